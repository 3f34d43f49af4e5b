// CSplash: the start-up picture; closes itself after two seconds.
#pragma once

#include <QDialog>

namespace datrevo::ui {

inline constexpr int kSplashMilliseconds = 2000;

class CSplash : public QDialog {
    Q_OBJECT
public:
    explicit CSplash(QWidget* parent = nullptr);
};

}  // namespace datrevo::ui
