// AboutDialog: the program's name and version, a notice line, the support mail
// and the web page as links, and OK.
#pragma once

#include <QDialog>

#include "ui/dialogs/link_actions.h"

namespace datrevo::ui {

class AboutDialog : public QDialog {
    Q_OBJECT
public:
    explicit AboutDialog(QWidget* parent = nullptr, LinkActions links = {});

private:
    LinkActions links_;
};

}  // namespace datrevo::ui
