// SplashWindow: the start-up picture; closes itself after two seconds.
#pragma once

#include <QDialog>

namespace datrevo::ui {

inline constexpr int kSplashMilliseconds = 2000;

class SplashWindow : public QDialog {
    Q_OBJECT
public:
    explicit SplashWindow(QWidget* parent = nullptr);
};

}  // namespace datrevo::ui
