// IpodHelpDialog: how to let the computer read an iPod as a disk; a picture of
// the player's device page with two instruction texts over its white top.
#pragma once

#include <QDialog>

namespace datrevo::ui {

class IpodHelpDialog : public QDialog {
    Q_OBJECT
public:
    explicit IpodHelpDialog(QWidget* parent = nullptr);
};

}  // namespace datrevo::ui
