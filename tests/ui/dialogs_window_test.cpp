// The auxiliary dialogs, offscreen: their texts and controls by id, what
// their links open (through a recording opener, so nothing is launched),
// the no-disk dialog's Retry and Exit, the splash closing itself, the help
// file's place, and which notice the window's prompter shows. With
// DATREVO_RENDER_DIR set, each dialog is also saved there as a PNG.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>

#include "search/notices.h"
#include "ui/controls/bitmap_button.h"
#include "ui/controls/link_label.h"
#include "ui/controls/text_progress.h"
#include "ui/dialogs/about_dialog.h"
#include "ui/dialogs/contact.h"
#include "ui/dialogs/info_dialog.h"
#include "ui/dialogs/ipod_connect.h"
#include "ui/dialogs/notice_dialogs.h"
#include "ui/dialogs/splash.h"
#include "ui/gui_reporting.h"
#include "ui/help_file.h"
#include "ui/images.h"
#include "ui/saldrin_app.h"

namespace datrevo {
namespace {

// Links open into this list instead of a browser or mail program.
struct Recorder {
    QList<QUrl> opened;
    int ipodHelps = 0;
    ui::LinkActions actions() {
        ui::LinkActions links;
        links.open = [this](const QUrl& url) {
            opened << url;
            return true;
        };
        links.showIpodHelp = [this](QWidget*) { ++ipodHelps; };
        return links;
    }
};

template <typename Widget>
Widget* Find(QWidget& dialog, const char* name) {
    auto* widget = dialog.findChild<Widget*>(QString::fromLatin1(name));
    if (widget == nullptr) qFatal("no control %s", name);
    return widget;
}

QString Text(QWidget& dialog, const char* name) { return Find<QLabel>(dialog, name)->text(); }

bool IsHeadline(QWidget& dialog, const char* name) {
    const QFont font = Find<QLabel>(dialog, name)->font();
    return font.bold() && font.pixelSize() == 16;
}

void ClickLink(QWidget& dialog, const char* name) {
    QTest::mouseClick(Find<ui::LinkLabel>(dialog, name), Qt::LeftButton);
}

const QUrl kWeb(QStringLiteral("https://www.vantorrel.example/datrevo"));

// Runs `inspect` on the next modal dialog once it is up, then closes it.
void OnNextModal(std::function<void(QWidget*)> inspect) {
    auto* poll = new QTimer;
    poll->setInterval(20);
    QObject::connect(poll, &QTimer::timeout, [poll, inspect] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr) return;
        poll->stop();
        poll->deleteLater();
        inspect(modal);
        if (auto* dialog = qobject_cast<QDialog*>(modal)) dialog->reject();
    });
    poll->start();
}

// Saves `widget` to DATREVO_RENDER_DIR/<name>.png when that is set.
void Render(QWidget& widget, const QString& name) {
    const QByteArray folder = qgetenv("DATREVO_RENDER_DIR");
    if (folder.isEmpty()) return;
    QDir().mkpath(QString::fromLocal8Bit(folder));
    widget.show();
    QVERIFY(QTest::qWaitForWindowExposed(&widget));
    QVERIFY(widget.grab().save(QDir(QString::fromLocal8Bit(folder)).filePath(name + ".png")));
}

class DialogsWindow : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void supportMailCarriesSubjectAndBodyLines() {
        QCOMPARE(
            ui::SupportMailUrl(),
            QString("mailto:support@vantorrel.example?subject=Vantorrel Datrevo Question&body="
                    "Dear Customer Support,%0A"
                    "I am having Difficulties in using Vantorrel Datrevo. %0A"
                    "%0A"
                    "My Operating system is: %0A"
                    "%0A"
                    "I am using following security/Antivirus/Firewall Software in My Machine: %0A"
                    "%0A"
                    "The Hardware Configuration details of My Machine in which I am running the "
                    "software are: %0A"
                    "%0A"
                    "%0A"
                    "The details of my Storage media (from which I am trying to recover data) are "
                    "as follows: %0A"
                    "Media Type: %0A"
                    "Storage Capacity: %0A"
                    "Manufacturer: %0A"
                    "%0A"
                    "Possible cause of Data Loss (if known): %0A"
                    "Error message (if any): %0A"
                    "%0A"
                    "More Details of problem with screenshot (if any): "));
        // The mail program gets the same text, the blanks percent-encoded.
        const QUrl url(ui::SupportMailUrl());
        QCOMPARE(url.scheme(), QString("mailto"));
        QCOMPARE(url.path(), QString("support@vantorrel.example"));
        QVERIFY(url.toEncoded().contains("subject=Vantorrel%20Datrevo%20Question&body=Dear%20"));
    }

    void standardNoticeTextsAndLinks() {
        Recorder recorder;
        ui::StandardNothingFoundNotice notice(nullptr, recorder.actions());
        QCOMPARE(notice.windowTitle(), QString("Vantorrel Datrevo"));
        QCOMPARE(Text(notice, "id1154").toStdString(), std::string(kStandardNothingFoundNotice));
        QCOMPARE(Text(notice, "id1155"), QString("Important:"));
        QVERIFY(IsHeadline(notice, "id1154"));
        QVERIFY(IsHeadline(notice, "id1155"));
        QCOMPARE(Text(notice, "id1169"), QString("click here to contact us..."));
        QCOMPARE(notice.palette().color(QPalette::Window), QColor(244, 251, 254));
        ClickLink(notice, "id1169");
        QCOMPARE(recorder.opened, QList<QUrl>({QUrl(ui::SupportMailUrl())}));
        notice.show();
        QTest::mouseClick(Find<QPushButton>(notice, "id1008"), Qt::LeftButton);
        QCOMPARE(notice.result(), int(QDialog::Accepted));
        QVERIFY(!notice.isVisible());
    }

    void advanceNoticeTextsAndLinks() {
        Recorder recorder;
        ui::AdvanceNothingFoundNotice notice(nullptr, recorder.actions());
        QCOMPARE(Text(notice, "id1156").toStdString(), std::string(kAdvanceNothingFoundNotice));
        QCOMPARE(Text(notice, "id1157"), QString("Important:"));
        QVERIFY(IsHeadline(notice, "id1156"));
        QVERIFY(
            Text(notice, "id1159").startsWith("1. Both the recovery modes (i.e. Standard Search"));
        QVERIFY(Text(notice, "id1159").endsWith("even if another fails to recover data."));
        QCOMPARE(Text(notice, "id1161"), QString("click here."));
        QCOMPARE(Text(notice, "id1193"), kWeb.toString());
        ClickLink(notice, "id1161");
        QCOMPARE(recorder.ipodHelps, 1);
        ClickLink(notice, "id1158");
        ClickLink(notice, "id1193");
        QCOMPARE(recorder.opened, QList<QUrl>({QUrl(ui::SupportMailUrl()), kWeb}));
        notice.show();
        QTest::mouseClick(Find<QPushButton>(notice, "id1125"), Qt::LeftButton);
        QCOMPARE(notice.result(), int(QDialog::Accepted));
    }

    void noDiskRetryClosesOnlyOnceADiskIsThere() {
        Recorder recorder;
        bool diskThere = false;
        int retries = 0;
        int ends = 0;
        ui::NoDiskDialog info(
            [&] {
                ++retries;
                return diskThere;
            },
            nullptr, [&] { ++ends; }, recorder.actions());
        info.show();
        QVERIFY(QTest::qWaitForWindowExposed(&info));
        QPushButton* retry = Find<QPushButton>(info, "id1139");
        QCOMPARE(retry->text(), QString("Retry"));
        QTest::mouseClick(retry, Qt::LeftButton);
        QCOMPARE(retries, 1);
        QVERIFY(info.isVisible());
        diskThere = true;
        QTest::mouseClick(retry, Qt::LeftButton);
        QVERIFY(!info.isVisible());
        QCOMPARE(info.result(), int(QDialog::Accepted));
        QCOMPARE(ends, 0);
        QVERIFY(recorder.opened.isEmpty());
    }

    void noDiskIgnoresEnterAndEscape() {
        Recorder recorder;
        int retries = 0;
        int ends = 0;
        ui::NoDiskDialog info(
            [&] {
                ++retries;
                return true;
            },
            nullptr, [&] { ++ends; }, recorder.actions());
        info.show();
        QVERIFY(QTest::qWaitForWindowExposed(&info));
        Find<QPushButton>(info, "id1139")->setFocus();
        QTest::keyClick(&info, Qt::Key_Escape);
        QTest::keyClick(&info, Qt::Key_Return);
        QTest::keyClick(Find<QPushButton>(info, "id1139"), Qt::Key_Enter);
        QVERIFY(info.isVisible());
        QCOMPARE(retries, 0);
        QCOMPARE(ends, 0);
    }

    void noDiskExitOpensTheWebPageAndEndsTheProgram() {
        Recorder recorder;
        int ends = 0;
        ui::NoDiskDialog info([] { return false; }, nullptr, [&] { ++ends; }, recorder.actions());
        QCOMPARE(
            Text(info, "id1137"),
            QString("Could not find any iPod or other Removable Storage Device Connected to your "
                    "Computer."));
        QVERIFY(IsHeadline(info, "id1137"));
        QCOMPARE(Text(info, "id1191"),
                 QString::fromUtf8("Follow these steps to \u2018Enable disk use\u2019 of your iPod "
                                   "from iTunes."));
        QCOMPARE(Text(info, "id1140"), QString("click here to contact us..."));
        QCOMPARE(Text(info, "id1141"), kWeb.toString());
        ClickLink(info, "id1191");
        QCOMPARE(recorder.ipodHelps, 1);
        info.show();
        QTest::mouseClick(Find<QPushButton>(info, "id1125"), Qt::LeftButton);
        QCOMPARE(recorder.opened, QList<QUrl>({kWeb}));
        QCOMPARE(ends, 1);
        QVERIFY(!info.isVisible());

        // The close box leaves the program as well.
        ui::NoDiskDialog again([] { return false; }, nullptr, [&] { ++ends; }, recorder.actions());
        again.show();
        QVERIFY(QTest::qWaitForWindowExposed(&again));
        again.close();
        QCOMPARE(ends, 2);
        QCOMPARE(recorder.opened.size(), 2);
    }

    void ipodHelpShowsThePictureAndBothSteps() {
        ui::IpodHelpDialog help;
        QCOMPARE(help.size(), QSize(523, 478));
        QVERIFY(Text(help, "id1142").startsWith("1. Temporarily Uninstall the iTunes software"));
        QVERIFY(Text(help, "id1143").endsWith("Selection Box (A) and (B) in following screen:"));
        QCOMPARE(Find<QLabel>(help, "picture")->pixmap().size(), QSize(523, 478));
    }

    void aboutBoxNamesVersionAndAddresses() {
        Recorder recorder;
        ui::AboutDialog about(nullptr, recorder.actions());
        QCOMPARE(about.windowTitle(), QString("About Vantorrel Datrevo"));
        QCOMPARE(Text(about, "version"), QString("Vantorrel Datrevo Version - 5.8.4.1"));
        QVERIFY(!Text(about, "notice").isEmpty());
        QCOMPARE(Text(about, "mailLink"), QString("support@vantorrel.example"));
        ClickLink(about, "mailLink");
        ClickLink(about, "webLink");
        QCOMPARE(recorder.opened, QList<QUrl>({QUrl(ui::SupportMailUrl()), kWeb}));
        about.show();
        QTest::mouseClick(Find<QPushButton>(about, "ok"), Qt::LeftButton);
        QCOMPARE(about.result(), int(QDialog::Accepted));
    }

    void splashShowsItsPictureAndClosesByItself() {
        ui::SplashWindow splash;
        QCOMPARE(splash.windowTitle(), QString("Vantorrel Datrevo"));
        QCOMPARE(Find<QLabel>(splash, "picture")->pixmap().size(), QSize(480, 300));
        splash.show();
        QVERIFY(splash.isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(!splash.isVisible(), 10000);
        QCOMPARE(splash.result(), int(QDialog::Accepted));
    }

    void everyPictureIsInTheResources() {
        for (const char* name :
             {ui::image::kHelp, ui::image::kLoadLog, ui::image::kSaveLog, ui::image::kExit,
              ui::image::kSave, ui::image::kNext, ui::image::kBack,
              ui::image::kSearchMorePartitions, ui::image::kStopSearchingPartitions,
              ui::image::kStopSearch, ui::image::kRefreshList, ui::image::kAboutUs}) {
            const ui::ButtonPictures pictures = ui::ToolbarPictures(name);
            QVERIFY2(!pictures.normal.isNull(), name);
            QCOMPARE(pictures.pressed.size(), pictures.normal.size());
            QCOMPARE(pictures.disabled.size(), pictures.normal.size());
        }
        for (const char* name :
             {ui::image::kTreeComputer, ui::image::kTreeDisk, ui::image::kTreePartition,
              ui::image::kTreeFolder, ui::image::kTreeDeletedFolder, ui::image::kTreeFileSystem,
              ui::image::kTreeFolderOpen, ui::image::kTreeFolderOpened,
              ui::image::kTreeFolderPassed})
            QCOMPARE(ui::LoadPixmap(name).size(), QSize(16, 16));
        QCOMPARE(ui::LoadPixmap(ui::image::kWindowIcon).size(), QSize(128, 128));
        QCOMPARE(ui::LoadPixmap(ui::image::kSplash).size(), QSize(480, 300));
        QVERIFY(!ui::LoadPixmap(ui::image::kNotice).isNull());
    }

    void helpFileLivesBesideTheProgram() {
        QCOMPARE(ui::HelpFilePath(),
                 QCoreApplication::applicationDirPath() + "/Software Guide.html");
        QTemporaryDir folder;
        const QString path = folder.filePath("Software Guide.html");
        QFile guide(path);
        QVERIFY(guide.open(QIODevice::WriteOnly));
        guide.write("<html></html>");
        guide.close();
        QList<QUrl> opened;
        QVERIFY(ui::OpenHelpFileAt(nullptr, path, [&](const QUrl& url) {
            opened << url;
            return true;
        }));
        QCOMPARE(opened, QList<QUrl>({QUrl::fromLocalFile(path)}));
    }

    void installedProgramFindsTheGuideInItsDocumentationFolder() {
        // bin/datrevo with share/doc/datrevo/"Software Guide.html", as installed.
        QTemporaryDir prefix;
        QVERIFY(QDir(prefix.path()).mkpath("bin"));
        QVERIFY(QDir(prefix.path()).mkpath("share/doc/datrevo"));
        const QString bin = prefix.filePath("bin");
        const QString installed = prefix.filePath("share/doc/datrevo/Software Guide.html");
        QCOMPARE(ui::FindHelpFile(bin), bin + "/Software Guide.html");  // none: named beside
        QFile guide(installed);
        QVERIFY(guide.open(QIODevice::WriteOnly));
        guide.close();
        QCOMPARE(ui::FindHelpFile(bin), installed);
        QFile beside(bin + "/Software Guide.html");  // a build tree's copy comes first
        QVERIFY(beside.open(QIODevice::WriteOnly));
        beside.close();
        QCOMPARE(ui::FindHelpFile(bin), bin + "/Software Guide.html");
    }

    void missingHelpFileIsReportedNotOpened() {
        QTemporaryDir folder;
        bool opened = false;
        QString shown;
        OnNextModal([&](QWidget* modal) {
            if (auto* box = qobject_cast<QMessageBox*>(modal)) shown = box->text();
        });
        QVERIFY(!ui::OpenHelpFileAt(nullptr, folder.filePath("Software Guide.html"),
                                    [&](const QUrl&) { return opened = true; }));
        QVERIFY(!opened);
        QVERIFY(shown.contains("could not be found"));
    }

    void prompterShowsTheNoticeDialogsForNothingFound() {
        QWidget owner;
        ui::GuiPrompter prompter(&owner);
        QString seen;
        auto classOf = [&](QWidget* modal) { seen = modal->metaObject()->className(); };

        OnNextModal(classOf);
        prompter.showMessage(kStandardNothingFoundNotice, MessageIcon::Information,
                             "Vantorrel Datrevo");
        QCOMPARE(seen, QString("datrevo::ui::StandardNothingFoundNotice"));

        OnNextModal(classOf);
        prompter.showMessage(kAdvanceNothingFoundNotice, MessageIcon::Information,
                             "Vantorrel Datrevo");
        QCOMPARE(seen, QString("datrevo::ui::AdvanceNothingFoundNotice"));

        OnNextModal(classOf);
        prompter.showMessage("Not Enough Memory", MessageIcon::Error, "Vantorrel Datrevo");
        QCOMPARE(seen, QString("QMessageBox"));
    }

    void commandLineListsImagesAndCanSkipTheSplash() {
        const ui::StartOptions plain = ui::ParseStartOptions({"datrevo"});
        QVERIFY(plain.splash);
        QVERIFY(plain.images.empty());
        const ui::StartOptions options = ui::ParseStartOptions(
            {"datrevo", "--image", "/tmp/a.img", "--no-splash", "--image", "/tmp/b c.img"});
        QVERIFY(!options.splash);
        QCOMPARE(options.images, std::vector<std::string>({"/tmp/a.img", "/tmp/b c.img"}));
    }

    void renderForReview() {
        if (qEnvironmentVariableIsEmpty("DATREVO_RENDER_DIR")) QSKIP("DATREVO_RENDER_DIR not set");
        Recorder recorder;
        ui::SplashWindow splash;
        Render(splash, "dialog-splash");
        splash.hide();
        ui::AboutDialog about(nullptr, recorder.actions());
        Render(about, "dialog-about");
        ui::StandardNothingFoundNotice standard(nullptr, recorder.actions());
        Render(standard, "dialog-305-standard-notice");
        ui::AdvanceNothingFoundNotice advance(nullptr, recorder.actions());
        Render(advance, "dialog-308-advance-notice");
        ui::NoDiskDialog info([] { return false; }, nullptr, [] {}, recorder.actions());
        Render(info, "dialog-301-no-disk");
        ui::IpodHelpDialog ipod;
        Render(ipod, "dialog-312-ipod-help");

        // The toolbar pictures on their buttons, normal, pressed and
        // disabled, the tree pictures and a progress bar.
        QWidget sheet;
        QPalette colours = sheet.palette();
        colours.setColor(QPalette::Window, QColor(244, 251, 254));
        sheet.setPalette(colours);
        sheet.setAutoFillBackground(true);
        const std::pair<const char*, const char*> buttons[] = {
            {ui::image::kHelp, "Help"},
            {ui::image::kLoadLog, "Load Log"},
            {ui::image::kSaveLog, "Save Log"},
            {ui::image::kExit, "Exit"},
            {ui::image::kSave, "Save"},
            {ui::image::kNext, "Next"},
            {ui::image::kBack, "Back"},
            {ui::image::kSearchMorePartitions, "Search More Partitions"},
            {ui::image::kStopSearchingPartitions, "Stop Searching Partitions"},
            {ui::image::kStopSearch, "Stop Search"},
            {ui::image::kRefreshList, "Refresh List"},
            {ui::image::kAboutUs, "About Us"}};
        int x = 8;
        for (const auto& [picture, caption] : buttons) {
            int width = 0;
            for (int state = 0; state < 3; ++state) {
                auto* button = new ui::PictureButton(QString::fromLatin1(caption), &sheet);
                const ui::ButtonPictures pictures = ui::ToolbarPictures(picture);
                button->setBitmaps(pictures.normal, pictures.pressed, pictures.disabled);
                button->setCaptionPlacement(ui::PictureButton::CaptionPlacement::Below);
                button->setTextColor(Qt::black, QColor(130, 130, 130));
                button->setDown(state == 1);
                button->setEnabled(state != 2);
                width = button->sizeHint().width();
                button->setGeometry(x, 8 + state * 64, width, button->sizeHint().height());
            }
            x += width + 4;
        }
        int treeX = 8;
        for (const char* picture :
             {ui::image::kTreeComputer, ui::image::kTreeDisk, ui::image::kTreePartition,
              ui::image::kTreeFolder, ui::image::kTreeDeletedFolder, ui::image::kTreeFileSystem,
              ui::image::kTreeFolderOpen, ui::image::kTreeFolderOpened,
              ui::image::kTreeFolderPassed}) {
            auto* label = new QLabel(&sheet);
            label->setPixmap(ui::LoadPixmap(picture));
            label->setGeometry(treeX, 210, 16, 16);
            treeX += 28;
        }
        auto* bar = new ui::TextProgressBar(&sheet);
        bar->setCaption("Completed ");
        bar->setValue(47);
        bar->setGeometry(treeX + 8, 206, 300, 22);  // right of the tree pictures
        sheet.resize(x + 8, 240);
        Render(sheet, "controls-sheet");
    }
};

}  // namespace
}  // namespace datrevo

QTEST_MAIN(datrevo::DialogsWindow)
#include "dialogs_window_test.moc"
