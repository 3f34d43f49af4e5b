// datrevo_make_images OUT_DIR
//   writes every picture of the program as PNG (src/ui/resources/images).
// datrevo_make_images --icon ICON_ID HICOLOR_DIR
//   writes the desktop icon into a hicolor tree: scalable/apps/ICON_ID.svg
//   (when the generator was built with Qt's SVG module), 48x48/apps/ICON_ID.png
//   and 256x256/apps/ICON_ID.png, all drawn from the same mark.
#include <QDir>
#include <QGuiApplication>
#include <QPainter>
#include <cstdio>
#include <cstring>

#ifdef DATREVO_HAVE_QT_SVG
#include <QSvgGenerator>
#endif

#include "image_painter.h"

namespace {

bool WritePictures(const QDir& out) {
    for (const auto& image : datrevo::ui::art::AllImages()) {
        const QString path = out.filePath(QString::fromLatin1(image.file));
        if (!image.paint().save(path, "PNG")) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return false;
        }
    }
    return true;
}

bool WriteIconPng(const QDir& hicolor, const QString& id, int size) {
    const QString folder = QStringLiteral("%1x%1/apps").arg(size);
    const QString path = hicolor.filePath(folder + QLatin1Char('/') + id + QStringLiteral(".png"));
    if (!hicolor.mkpath(folder)) return false;
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    datrevo::ui::art::PaintMark(p, QRectF(0, 0, size, size));
    p.end();
    if (image.save(path, "PNG")) return true;
    std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    return false;
}

bool WriteIconSvg(const QDir& hicolor, const QString& id) {
#ifdef DATREVO_HAVE_QT_SVG
    const QString folder = QStringLiteral("scalable/apps");
    if (!hicolor.mkpath(folder)) return false;
    QSvgGenerator svg;
    svg.setFileName(hicolor.filePath(folder + QLatin1Char('/') + id + QStringLiteral(".svg")));
    svg.setSize(QSize(128, 128));
    svg.setViewBox(QRectF(0, 0, 128, 128));
    svg.setTitle(QStringLiteral("Vantorrel Datrevo"));
    QPainter p(&svg);
    p.setRenderHint(QPainter::Antialiasing);
    datrevo::ui::art::PaintMark(p, QRectF(0, 0, 128, 128));
    return p.end();
#else
    (void)hicolor;
    (void)id;
    std::fprintf(stderr, "built without Qt SVG (qt6-svg-dev): no scalable icon written\n");
    return false;
#endif
}

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc == 4 && std::strcmp(argv[1], "--icon") == 0) {
        const QString id = QString::fromLocal8Bit(argv[2]);
        const QDir hicolor(QString::fromLocal8Bit(argv[3]));
        const bool written = WriteIconPng(hicolor, id, 48) && WriteIconPng(hicolor, id, 256) &&
                             WriteIconSvg(hicolor, id);
        return written ? 0 : 1;
    }
    if (argc != 2) {
        std::fprintf(stderr,
                     "usage: datrevo_make_images OUT_DIR\n"
                     "       datrevo_make_images --icon ICON_ID HICOLOR_DIR\n");
        return 2;
    }
    return WritePictures(QDir(QString::fromLocal8Bit(argv[1]))) ? 0 : 1;
}
