// The window and udisks2: a private dbus-daemon, a small fake
// org.freedesktop.UDisks2 on it (fake_udisks.py) that hands out a read-only
// descriptor of a test image, and the window run as a user who may not open
// that "device". Its inventory must list the drive from the bus; the first
// request is refused (a clear message, the disk page stays); the second is
// granted and a Standard search reads the disk through the descriptor.
//
// Run as root, the window's part runs in a second process of this program
// with the rights of `nobody` (setpriv); otherwise the image is made
// unreadable to the user after the fake service opened it.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardPaths>
#include <QTest>
#include <QTreeWidget>
#include <cerrno>
#include <fstream>

#include "support/image_fixture.h"
#include "support/recording_observer.h"
#include "ui/main_window.h"
#include "ui/udisks_opener.h"
#include "ui/wizard_controller.h"

namespace datrevo {
namespace {

constexpr const char* kBusVariable = "DATREVO_FAKE_UDISKS_BUS";
constexpr const char* kDeviceVariable = "DATREVO_FAKE_UDISKS_DEVICE";
constexpr const char* kSysRootVariable = "DATREVO_FAKE_UDISKS_SYSROOT";
constexpr const char* kPython = "/usr/bin/python3";

QString FakeServiceScript() { return QStringLiteral(DATREVO_UI_TEST_DIR "/fake_udisks.py"); }

// A private bus anyone on the machine may join (the window's process may run
// as another user), on an abstract socket.
QString WriteBusConfig(const std::filesystem::path& folder) {
    const auto path = folder / "bus.conf";
    std::ofstream(path)
        << "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
           " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
           "<busconfig><type>session</type>"
           "<listen>unix:abstract=datrevo-fake-udisks-"
        << ::getpid()
        << "</listen><auth>EXTERNAL</auth>"
           "<policy context=\"default\"><allow user=\"*\"/><allow own=\"*\"/>"
           "<allow send_destination=\"*\"/><allow receive_sender=\"*\"/></policy>"
           "</busconfig>\n";
    return QString::fromStdString(path.string());
}

bool PythonHasDbus() {
    if (!QFileInfo(QString::fromLatin1(kPython)).isExecutable()) return false;
    return QProcess::execute(QString::fromLatin1(kPython),
                             {QStringLiteral("-c"), QStringLiteral("import dbus, gi")}) == 0;
}

template <typename Widget>
Widget* Find(ui::MainWindow& window, const char* name) {
    auto* widget = window.findChild<Widget*>(name);
    if (widget == nullptr) qFatal("no control %s", name);
    return widget;
}

// The part run with the rights of a user who may not open the device.
class WindowWithoutRights : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void inventoryListsTheDriveAndASearchReadsItThroughTheBus() {
        const QByteArray address = qgetenv(kBusVariable);
        const std::string device = qgetenv(kDeviceVariable).toStdString();
        // The premise: this process may not open the device itself.
        const int fd = ::open(device.c_str(), O_RDONLY | O_CLOEXEC);
        const int error = errno;
        if (fd >= 0) ::close(fd);
        QVERIFY2(fd < 0 && error == EACCES, "the window's process can open the device itself");

        QDBusConnection bus = QDBusConnection::connectToBus(QString::fromLatin1(address),
                                                            QStringLiteral("fake-system-bus"));
        QVERIFY(bus.isConnected());
        ui::UdisksOpener udisks(bus);
        const std::filesystem::path sysRoot = qgetenv(kSysRootVariable).toStdString();
        test::ScriptedPrompter prompter;
        {
            ui::MainWindow window({});
            window.setPrompter(&prompter);
            window.wizard().context().inventoryOptions.root = sysRoot;
            window.wizard().context().inventoryOptions.broker = &udisks;
            window.wizard().refreshList();
            window.show();
            auto* guide = Find<QLabel>(window, "id1116");
            auto* next = Find<QPushButton>(window, "id1058");
            auto* tree = Find<QTreeWidget>(window, "tree");

            QCOMPARE(tree->topLevelItem(0)->childCount(), 1);
            QTreeWidgetItem* item = tree->topLevelItem(0)->child(0);
            QVERIFY2(item->text(0).contains("Datrevo Fake Card Reader"), qPrintable(item->text(0)));
            const auto& disks = window.wizard().context().inventory.disks;
            QCOMPARE(disks.size(), std::size_t{1});  // the partition is not a disk
            QCOMPARE(disks[0].deviceId, device);
            QCOMPARE(disks[0].serialNumber, std::string("FAKE0001"));
            QCOMPARE(disks[0].interfaceType, std::string("USB"));

            tree->setCurrentItem(item);
            Q_EMIT tree->itemClicked(item, 0);
            QTest::mouseClick(Find<QRadioButton>(window, "id1064"), Qt::LeftButton);
            QTest::mouseClick(next, Qt::LeftButton);
            // Refused: said, and the disk page stays for another try.
            QCOMPARE(prompter.messages.size(), std::size_t{1});
            const std::string& refusal = prompter.messages[0].text;
            QCOMPARE(prompter.messages[0].icon, MessageIcon::Error);
            QVERIFY2(refusal.find(device) != std::string::npos, refusal.c_str());
            QVERIFY2(refusal.find("udisks2") != std::string::npos, refusal.c_str());
            QVERIFY2(refusal.find("Not authorized") != std::string::npos, refusal.c_str());
            QCOMPARE(guide->text().toStdString(), std::string(ui::kGuideDiskPage));
            QVERIFY(next->isEnabled());

            QTest::mouseClick(next, Qt::LeftButton);  // granted this time
            QCOMPARE(prompter.messages.size(), std::size_t{1});
            QCOMPARE(guide->text().toStdString(), std::string(ui::kGuidePartitionPage));
            QTest::mouseClick(next, Qt::LeftButton);
            QTRY_VERIFY_WITH_TIMEOUT(window.wizard().resultReady(), 120000);
            QTreeWidgetItem* root = tree->topLevelItem(0);
            QCOMPARE(root->text(0), QString("Root"));
            bool music = false;
            for (int i = 0; i < root->childCount(); ++i)
                music |= root->child(i)->text(0) == "Music";
            QVERIFY(music);
            QCOMPARE(prompter.messages.size(), std::size_t{1});
        }
    }
};

class UdisksWindow : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void deviceTheUserMayNotOpenIsListedRefusedOnceThenReadThroughTheBus() {
        if (QStandardPaths::findExecutable(QStringLiteral("dbus-daemon")).isEmpty())
            QSKIP("dbus-daemon is not installed (package dbus)");
        if (!PythonHasDbus()) QSKIP("python3-dbus and python3-gi are not installed");
        const bool root = ::geteuid() == 0;
        const QString setpriv = QStandardPaths::findExecutable(QStringLiteral("setpriv"));
        if (root && setpriv.isEmpty()) QSKIP("setpriv (util-linux) is needed to drop the rights");

        const auto image = test::FixtureImage("fat16");
        const auto folder = test::MakeTempDir("fake-udisks");
        // Ends the helpers and gives the image its mode back, also when a
        // check fails half-way.
        struct Cleanup {
            std::string image;
            std::filesystem::path folder;
            QProcess daemon;
            QProcess fake;
            ~Cleanup() {
                for (QProcess* process : {&fake, &daemon})
                    if (process->state() != QProcess::NotRunning) {
                        process->kill();
                        process->waitForFinished();
                    }
                ::chmod(image.c_str(), 0644);
                std::filesystem::remove_all(folder);
            }
        } cleanup{image->path(), folder, {}, {}};
        QProcess& daemon = cleanup.daemon;
        QProcess& fake = cleanup.fake;
        // The window's part may run as `nobody`: its folders are its own.
        const uid_t uid = root ? 65534 : ::geteuid();
        const auto sysRoot = folder / "sys";  // no disk in sysfs
        const auto runtime = folder / "runtime";
        std::filesystem::create_directories(sysRoot);
        std::filesystem::create_directories(runtime);
        std::filesystem::permissions(folder, std::filesystem::perms(0755));
        std::filesystem::permissions(sysRoot, std::filesystem::perms(0755));
        std::filesystem::permissions(runtime, std::filesystem::perms(0700));
        QVERIFY(::chown(runtime.c_str(), uid, uid) == 0 || !root);

        daemon.start(QStringLiteral("dbus-daemon"),
                     {QStringLiteral("--config-file=") + WriteBusConfig(folder),
                      QStringLiteral("--nofork"), QStringLiteral("--print-address=1")});
        QVERIFY(daemon.waitForStarted());
        QVERIFY(daemon.waitForReadyRead(10000));
        const QString address = QString::fromLatin1(daemon.readLine()).trimmed();
        QVERIFY2(address.startsWith("unix:"), qPrintable(address));

        const QString device = QString::fromStdString(image->path());
        fake.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        fake.start(QString::fromLatin1(kPython), {FakeServiceScript(), address, device, device});
        QVERIFY(fake.waitForReadyRead(20000));
        QCOMPARE(fake.readLine().trimmed(), QByteArray("ready"));

        // The fake service holds its descriptor; from now on nobody else may
        // open the image (root's part runs as `nobody`, which cannot anyway).
        ::chmod(image->path().c_str(), 0);
        QProcess window;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QString::fromLatin1(kBusVariable), address);
        environment.insert(QString::fromLatin1(kDeviceVariable), device);
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        environment.insert(QStringLiteral("HOME"), QString::fromStdString(folder.string()));
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"),
                           QString::fromStdString(folder.string()));
        window.setProcessEnvironment(environment);
        window.setProcessChannelMode(QProcess::MergedChannels);
        const QString self = QCoreApplication::applicationFilePath();
        if (root)
            window.start(setpriv, {QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                                   QStringLiteral("--clear-groups"), self});
        else
            window.start(self, {});
        QVERIFY(window.waitForFinished(300000));
        const QByteArray output = window.readAll();
        ::chmod(image->path().c_str(), 0644);
        QVERIFY2(window.exitStatus() == QProcess::NormalExit && window.exitCode() == 0,
                 output.constData());

        // What the service was asked: only read-only opens, two of them.
        QDBusConnection bus = QDBusConnection::connectToBus(address, QStringLiteral("fake-check"));
        QDBusMessage calls = QDBusMessage::createMethodCall("org.freedesktop.UDisks2",
                                                            "/org/freedesktop/UDisks2/Manager",
                                                            "org.datrevo.FakeUdisks", "Calls");
        const QDBusReply<QStringList> reply = bus.call(calls);
        QVERIFY(reply.isValid());
        QCOMPARE(reply.value().filter("OpenDevice"), QStringList({"OpenDevice r", "OpenDevice r"}));
        QDBusConnection::disconnectFromBus(QStringLiteral("fake-check"));
        QVERIFY(image->unchanged());
    }

    void realUdisksListsOnlyDevicesWhenPresent() {
        QDBusConnection bus = QDBusConnection::systemBus();
        if (!bus.isConnected()) QSKIP("no system bus here");
        const QDBusReply<bool> registered =
            bus.interface()->isServiceRegistered(QStringLiteral("org.freedesktop.UDisks2"));
        if (!registered.isValid() || !registered.value()) QSKIP("no udisksd on the system bus");
        ui::UdisksOpener udisks(bus);
        for (const DiskDescription& disk : udisks.listDisks())  // listing only: no disk is read
            QVERIFY2(disk.deviceId.rfind("/dev/", 0) == 0, disk.deviceId.c_str());
    }
};

}  // namespace
}  // namespace datrevo

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (qEnvironmentVariableIsSet(datrevo::kBusVariable)) {
        datrevo::WindowWithoutRights part;
        return QTest::qExec(&part, argc, argv);
    }
    datrevo::UdisksWindow test;
    return QTest::qExec(&test, argc, argv);
}
#include "udisks_window_test.moc"
