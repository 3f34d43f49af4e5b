#include "ui/dialogs/splash.h"

#include <QLabel>
#include <QTimer>

#include "ui/dialogs/dialog_look.h"
#include "ui/images.h"

namespace datrevo::ui {

SplashWindow::SplashWindow(QWidget* parent) : QDialog(parent) {
    ApplyDialogLook(*this);
    const QPixmap picture = LoadPixmap(image::kSplash);
    setFixedSize(480, 300);
    auto* label = new QLabel(this);
    label->setObjectName(QStringLiteral("picture"));
    label->setPixmap(picture);
    label->setGeometry(0, 0, 480, 300);
    auto* timer = new QTimer(this);
    timer->setSingleShot(true);
    connect(timer, &QTimer::timeout, this, &QDialog::accept);
    timer->start(kSplashMilliseconds);
}

}  // namespace datrevo::ui
