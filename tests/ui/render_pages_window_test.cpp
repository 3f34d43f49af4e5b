// Renders every page of the window offscreen to PNG files for review, on the
// way through an Advance NTFS search with a volume choice, each at 800x600
// and at 1280x900; at both sizes every shown control and the guide text lie
// inside the window. With DATREVO_RENDER_DIR unset the pages are rendered
// into a temporary folder and only checked to be non-empty.
#include <QAbstractButton>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTreeWidget>

#include "search/notices.h"
#include "support/image_fixture.h"
#include "support/recording_observer.h"
#include "ui/main_window.h"
#include "ui/save_dialogs.h"

namespace datrevo {
namespace {

class RenderPages : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void advanceNtfsPagesRender() {
        const auto image = test::FixtureImage("ntfs-disk");
        const auto sysRoot = test::MakeTempDir("render-sys");
        const QByteArray wanted = qgetenv("DATREVO_RENDER_DIR");
        const auto folder = wanted.isEmpty() ? test::MakeTempDir("render-pages")
                                             : std::filesystem::path(wanted.toStdString());
        std::filesystem::create_directories(folder);
        test::ScriptedPrompter prompter;
        {
            ui::MainWindow window({image->path()});
            window.setPrompter(&prompter);
            window.wizard().context().inventoryOptions.root = sysRoot;
            window.wizard().refreshList();
            window.show();
            const auto render = [&](const char* name) {
                for (const QSize size : {QSize(800, 600), QSize(1280, 900)}) {
                    window.resize(size);
                    QApplication::processEvents();
                    QCOMPARE(window.size(), size);
                    // Usable: nothing shown is cut off by the window's edges.
                    const QRect inside = window.rect();
                    for (QWidget* control : window.findChildren<QWidget*>()) {
                        if (!control->isVisible() || control->parentWidget() == nullptr ||
                            (qobject_cast<QAbstractButton*>(control) == nullptr &&
                             control->objectName() != "id1116"))  // buttons and the guide
                            continue;
                        const QRect at(control->mapTo(&window, QPoint(0, 0)), control->size());
                        QVERIFY2(inside.contains(at),
                                 qPrintable(QString("%1 %2 at %3x%4")
                                                .arg(name, control->objectName(),
                                                     QString::number(size.width()),
                                                     QString::number(size.height()))));
                    }
                    const QString stem = QString::fromLatin1(name).chopped(4);
                    const QString path = QString::fromStdString((folder / QString("%1-%2x%3.png")
                                                                              .arg(stem)
                                                                              .arg(size.width())
                                                                              .arg(size.height())
                                                                              .toStdString())
                                                                    .string());
                    QVERIFY(window.grab().save(path));
                    QVERIFY(QFileInfo(path).size() > 0);
                }
            };
            auto* guide = window.findChild<QLabel*>("id1116");
            auto* next = window.findChild<QPushButton*>("id1058");
            auto* tree = window.findChild<QTreeWidget*>("tree");
            render("1-disk-page.png");
            QTreeWidgetItem* device = tree->topLevelItem(0)->child(0);
            Q_EMIT tree->itemClicked(device, 0);
            QTest::mouseClick(window.findChild<QRadioButton*>("id1108"), Qt::LeftButton);
            QTest::mouseClick(next, Qt::LeftButton);
            render("2-partition-page.png");
            QTest::mouseClick(next, Qt::LeftButton);
            render("3-search-page.png");
            QTRY_COMPARE_WITH_TIMEOUT(guide->text().toStdString(),
                                      std::string(ui::kGuideNtfsProceed), 120000);
            QCOMPARE(tree->topLevelItem(0)->child(0)->text(0), QString("File System 1 - NTFS"));
            Q_EMIT tree->itemClicked(tree->topLevelItem(0)->child(0), 0);
            render("4-file-system-page.png");
            QTest::mouseClick(next, Qt::LeftButton);
            QTRY_VERIFY_WITH_TIMEOUT(window.wizard().resultReady(), 120000);
            QCOMPARE(guide->text().toStdString(), std::string(kGuideStandardDone));
            render("5-results-page.png");
            QTreeWidgetItem* projects = nullptr;
            for (int i = 0; i < tree->topLevelItem(0)->childCount(); ++i)
                if (tree->topLevelItem(0)->child(i)->text(0) == "Projects")
                    projects = tree->topLevelItem(0)->child(i);
            QVERIFY(projects != nullptr && projects->childCount() > 0);
            projects->setExpanded(true);
            QTreeWidgetItem* beta = projects->child(0);
            tree->setCurrentItem(beta);
            Q_EMIT tree->itemClicked(beta, 0);
            beta->setCheckState(0, Qt::Checked);
            render("6-results-file-list.png");
            QVERIFY(prompter.messages.empty());

            // The save's windows, with figures as a save in progress shows them.
            const auto renderDialog = [&](QDialog& dialog, const char* name) {
                dialog.show();
                QApplication::processEvents();
                const QString path = QString::fromStdString((folder / name).string());
                QVERIFY(dialog.grab().save(path));
                dialog.hide();
            };
            ui::SaveProgressDialog progress(&window);
            SaveProgressInfo info;
            info.fileName = "design.txt";
            info.filePath = "Projects\\Beta\\design.txt";
            info.filePercent = 40;
            info.filesDone = 1;
            info.fileTotal = 3;
            info.bytesWritten = 2650;
            info.byteTotal = 20250;
            progress.showProgress(info);
            renderDialog(progress, "7-save-progress.png");
            ui::DestinationDialog destination(&window, "/media/backup/recovered",
                                              [](const std::string&) { return std::string(); });
            renderDialog(destination, "8-save-as.png");
            ui::CountingDialog counting(&window);
            renderDialog(counting, "9-counting.png");
            ui::ReplaceDialog replace(&window, "design.txt", "design (2).txt");
            renderDialog(replace, "10-replace.png");
            ui::WriteErrorDialog writeError(&window, "Projects/Beta/design.txt",
                                            "No space left on device");
            renderDialog(writeError, "11-write-error.png");
        }
        std::filesystem::remove_all(sysRoot);
        if (wanted.isEmpty()) std::filesystem::remove_all(folder);
        QVERIFY(image->unchanged());
    }
};

}  // namespace
}  // namespace datrevo

QTEST_MAIN(datrevo::RenderPages)
#include "render_pages_window_test.moc"
