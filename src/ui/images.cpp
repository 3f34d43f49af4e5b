#include "ui/images.h"

#include <QImage>
#include <QPainter>

// Outside any namespace, as the resource macro requires.
static void RegisterDatrevoResources() { Q_INIT_RESOURCE(datrevo); }

namespace datrevo::ui {

void LoadImageResources() {
    static const bool registered = [] {
        RegisterDatrevoResources();
        return true;
    }();
    (void)registered;
}

QPixmap LoadPixmap(const char* resource) {
    LoadImageResources();
    return QPixmap(QString::fromLatin1(resource));
}

QIcon WindowIcon() { return QIcon(LoadPixmap(image::kWindowIcon)); }

ButtonPictures ToolbarPictures(const char* resource) {
    ButtonPictures pictures;
    pictures.normal = LoadPixmap(resource);
    if (pictures.normal.isNull()) return pictures;

    QImage pressed = pictures.normal.toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
    {
        QPainter shade(&pressed);
        shade.setCompositionMode(QPainter::CompositionMode_SourceAtop);
        shade.fillRect(pressed.rect(), QColor(0, 0, 40, 60));
    }
    pictures.pressed = QPixmap::fromImage(pressed);

    QImage grey = pictures.normal.toImage().convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < grey.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(grey.scanLine(y));
        for (int x = 0; x < grey.width(); ++x) {
            const int level = qGray(line[x]) / 2 + 110;
            line[x] = qRgba(level, level, level, qAlpha(line[x]) * 2 / 3);
        }
    }
    pictures.disabled = QPixmap::fromImage(grey);
    return pictures;
}

}  // namespace datrevo::ui
