// CIpodConnect: how to let the computer read an iPod as a disk; a picture of
// the player's device page with two instruction texts over its white top.
#pragma once

#include <QDialog>

namespace datrevo::ui {

class CIpodConnect : public QDialog {
    Q_OBJECT
public:
    explicit CIpodConnect(QWidget* parent = nullptr);
};

}  // namespace datrevo::ui
