// datrevo [--image FILE]...: the wizard, with image files listed as disks.
#include <QApplication>
#include <QCommandLineParser>

#include "ui/main_window.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Vantorrel Datrevo");
    QCommandLineParser parser;
    parser.setApplicationDescription("Recover folders and files from removable disks");
    parser.addHelpOption();
    const QCommandLineOption image("image", "List the disk image FILE as a disk (repeatable).",
                                   "FILE");
    parser.addOption(image);
    parser.process(app);
    std::vector<std::string> images;
    for (const QString& path : parser.values(image)) images.push_back(path.toStdString());
    datrevo::ui::MainWindow window(std::move(images));
    window.show();
    return QApplication::exec();
}
