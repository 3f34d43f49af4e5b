// The notices shown when a search found nothing to recover: CMsgStand after a
// Standard search, CAdvanceDlg after an Advance search that identified no
// file system. Both point to help and to support.
#pragma once

#include <QDialog>

#include "ui/dialogs/link_actions.h"

namespace datrevo::ui {

class CMsgStand : public QDialog {
    Q_OBJECT
public:
    explicit CMsgStand(QWidget* parent = nullptr, LinkActions links = {});

private:
    LinkActions links_;
};

class CAdvanceDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAdvanceDlg(QWidget* parent = nullptr, LinkActions links = {});

private:
    LinkActions links_;
};

}  // namespace datrevo::ui
