// datrevo_make_images OUT_DIR: writes every picture of the program as PNG.
#include <QDir>
#include <QGuiApplication>
#include <cstdio>

#include "image_painter.h"

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: datrevo_make_images OUT_DIR\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    for (const auto& image : datrevo::ui::art::AllImages()) {
        const QString path = out.filePath(QString::fromLatin1(image.file));
        if (!image.paint().save(path, "PNG")) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    return 0;
}
