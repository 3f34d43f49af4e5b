// NoDiskDialog: no iPod or other removable disk was found. "Retry" takes the disk
// inventory again through the owner's hook and closes the dialog once a disk
// is there; "Exit" (and the close box) open the web page and end the
// program. Enter and Esc do nothing here.
#pragma once

#include <QDialog>
#include <functional>

#include "ui/dialogs/link_actions.h"

namespace datrevo::ui {

class NoDiskDialog : public QDialog {
    Q_OBJECT
public:
    // `retry` answers whether the inventory now holds a disk. `endProgram`
    // ends the program (by default: leaves the application's event loops).
    NoDiskDialog(std::function<bool()> retry, QWidget* parent = nullptr,
                 std::function<void()> endProgram = {}, LinkActions links = {});

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void retryClicked();
    void exitClicked();

    std::function<bool()> retry_;
    std::function<void()> endProgram_;
    LinkActions links_;
};

}  // namespace datrevo::ui
