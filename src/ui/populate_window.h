// The small window shown while a folder's list is filled on a worker: a
// frameless note over the main window, which is disabled meanwhile.
#pragma once

#include <QDialog>

namespace datrevo::ui {

inline constexpr const char* kPopulatingText = "Populating List Items, Please Wait....";

class PopulateWindow : public QDialog {
    Q_OBJECT
public:
    explicit PopulateWindow(QWidget* parent);
    // Centred over the parent window.
    void showOverParent();
};

}  // namespace datrevo::ui
