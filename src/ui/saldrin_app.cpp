#include "ui/saldrin_app.h"

#include <QCommandLineParser>

#include "ui/dialogs/contact.h"
#include "ui/dialogs/splash.h"
#include "ui/images.h"
#include "ui/main_window.h"
#include "ui/udisks_opener.h"

namespace datrevo::ui {

StartOptions ParseStartOptions(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Recover folders and files from removable disks"));
    parser.addHelpOption();
    const QCommandLineOption image(
        QStringLiteral("image"), QStringLiteral("List the disk image FILE as a disk (repeatable)."),
        QStringLiteral("FILE"));
    const QCommandLineOption noSplash(QStringLiteral("no-splash"),
                                      QStringLiteral("Start without the splash picture."));
    parser.addOption(image);
    parser.addOption(noSplash);
    parser.process(arguments);
    StartOptions options;
    for (const QString& path : parser.values(image)) options.images.push_back(path.toStdString());
    options.splash = !parser.isSet(noSplash);
    return options;
}

DatrevoApplication::DatrevoApplication(int& argc, char** argv) : app_(argc, argv) {
    QApplication::setApplicationName(QString::fromLatin1(kProductName));
    QApplication::setWindowIcon(WindowIcon());
}

int DatrevoApplication::run() {
    StartOptions options = ParseStartOptions(QApplication::arguments());
    if (options.splash) {
        SplashWindow splash;
        splash.exec();
    }
    // Devices the user may not open are asked of udisks2 on the system bus;
    // it also names the drives. Without it the inventory is sysfs alone.
    UdisksOpener udisks;
    MainWindow window(std::move(options.images));
    window.wizard().context().inventoryOptions.broker = &udisks;
    window.wizard().refreshList();
    window.show();
    return QApplication::exec();
}

}  // namespace datrevo::ui
