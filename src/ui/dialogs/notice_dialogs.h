// The notices shown when a search found nothing to recover: StandardNothingFoundNotice after a
// Standard search, AdvanceNothingFoundNotice after an Advance search that identified no
// file system. Both point to help and to support.
#pragma once

#include <QDialog>

#include "ui/dialogs/link_actions.h"

namespace datrevo::ui {

class StandardNothingFoundNotice : public QDialog {
    Q_OBJECT
public:
    explicit StandardNothingFoundNotice(QWidget* parent = nullptr, LinkActions links = {});

private:
    LinkActions links_;
};

class AdvanceNothingFoundNotice : public QDialog {
    Q_OBJECT
public:
    explicit AdvanceNothingFoundNotice(QWidget* parent = nullptr, LinkActions links = {});

private:
    LinkActions links_;
};

}  // namespace datrevo::ui
