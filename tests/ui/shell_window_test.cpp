// The real window's shell, offscreen: the no-disk notice, the file list's
// heading sort, the tree's pictures, and the links.
#include <QHeaderView>
#include <QShortcut>
#include <QTest>

#include "browse/file_rows.h"
#include "catalogue/cell_compare.h"
#include "ui/controls/bitmap_button.h"
#include "ui/controls/link_label.h"
#include "ui/controls/text_progress.h"
#include "ui/images.h"
#include "window_driver.h"

namespace datrevo {
namespace {

using test::WindowDriver;

std::vector<std::string> Column(QTreeWidget* list, int column) {
    std::vector<std::string> cells;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        cells.push_back(list->topLevelItem(i)->text(column).toStdString());
    return cells;
}

void ClickHeading(QTreeWidget* list, int column) {
    QHeaderView* header = list->header();
    const QPoint at(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                    header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
}

QImage PictureOf(const QIcon& icon) {
    return icon.pixmap(16, 16).toImage().convertToFormat(QImage::Format_ARGB32);
}

class ShellWindow : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void noDiskFoundShowsTheNoDiskNoticeOnceTheWindowRuns() {
        const auto sysRoot = test::MakeTempDir("shell-sys");
        int shown = 0;
        {
            ui::MainWindow window({});
            window.setNoDiskNotice([&] { ++shown; });
            window.wizard().context().inventoryOptions.root = sysRoot;
            window.wizard().refreshList();
            QVERIFY(window.wizard().deviceItems().empty());
            QTRY_COMPARE(shown, 1);
        }
        std::filesystem::remove_all(sysRoot);
    }

    void resultsOfAStandardSearchSortByHeadingAndShowDeletedFolders() {
        const auto image = test::FixtureImage("fat16");
        {
            WindowDriver driver(*image);
            driver.toPartitionPage("id1064");
            driver.click("id1058");
            QVERIFY(driver.waitForResult());
            QTreeWidget* list = driver.fileList();
            QVERIFY(list->topLevelItemCount() >= 3);

            // Size, as numbers: ascending, then descending on a second click.
            ClickHeading(list, file_col::Size);
            std::vector<std::string> sizes = Column(list, file_col::Size);
            QVERIFY(std::is_sorted(sizes.begin(), sizes.end(), [](const auto& a, const auto& b) {
                return CompareCells(a, b) < 0;
            }));
            ClickHeading(list, file_col::Size);
            sizes = Column(list, file_col::Size);
            QVERIFY(std::is_sorted(sizes.begin(), sizes.end(), [](const auto& a, const auto& b) {
                return CompareCells(a, b) > 0;
            }));
            QVERIFY(CompareCells(sizes.front(), sizes.back()) > 0);

            QTreeWidgetItem* root = driver.tree()->topLevelItem(0);
            QTreeWidgetItem* trash = test::ChildNamed(root, "Trash Folder");
            QTreeWidgetItem* music = test::ChildNamed(root, "Music");
            QVERIFY(trash != nullptr && music != nullptr);
            QCOMPARE(PictureOf(trash->icon(0)),
                     PictureOf(QIcon(ui::LoadPixmap(ui::image::kTreeDeletedFolder))));
            QCOMPARE(PictureOf(music->icon(0)),
                     PictureOf(QIcon(ui::LoadPixmap(ui::image::kTreeFolder))));
        }
        QVERIFY(image->unchanged());
    }

    void toolbarButtonsCarryPicturesAndTheIpodLinkOpensItsHelp() {
        const auto image = test::FixtureImage("fat16");
        {
            WindowDriver driver(*image);
            for (const char* id : {"id1055", "id1057", "id1106", "id1056", "id1054", "id1058",
                                   "id1059", "id1114", "id1092", "id1135"}) {
                auto* button = driver.window().findChild<ui::PictureButton*>(id);
                QVERIFY2(button != nullptr && button->imageCount() == 3, id);
            }
            QVERIFY(driver.find<QPushButton>("id1055")->isEnabled());  // Help
            QVERIFY(driver.find<QPushButton>("id1114")->isEnabled());  // About Us
            int ipodHelp = 0;
            ui::LinkActions links;
            links.open = [](const QUrl&) { return true; };
            links.showIpodHelp = [&](QWidget*) { ++ipodHelp; };
            driver.window().setLinkActions(links);
            auto* link = driver.find<ui::LinkLabel>("id1194");
            QCOMPARE(link->text(),
                     QString("For Help on connecting iPod for recovery, click here."));
            QTest::mouseClick(link, Qt::LeftButton);
            QCOMPARE(ipodHelp, 1);
        }
        QVERIFY(image->unchanged());
    }

    void lostPartitionSearchShowsItsBarWhileItRuns() {
        const auto image = test::FixtureImage("mbr-primary");
        {
            WindowDriver driver(*image);
            driver.toPartitionPage("id1064");
            auto* bar = driver.find<QWidget>("id1070");
            QVERIFY(!bar->isVisible());
            driver.click("id1062");  // "Search More Partitions"
            QVERIFY(bar->isVisible());
            // Its text says the time left, once enough is done to tell.
            auto* lostBar = driver.find<ui::TextProgressBar>("id1070");
            QVERIFY(lostBar->timing());
            QCOMPARE(driver.find<QLabel>("id1072")->text(), QString("Searching Partition..."));
            QTRY_VERIFY_WITH_TIMEOUT(!driver.window().wizard().lostPartitionSearchRunning(), 60000);
            QTRY_VERIFY(!bar->isVisible());
            QVERIFY(!lostBar->timing());
            QVERIFY(driver.find<QPushButton>("id1062")->isVisible());
            // The search's bar is timed while the search runs.
            auto* searchBar = driver.find<ui::TextProgressBar>("id1073");
            driver.click("id1058");
            QVERIFY(searchBar->timing());
            QVERIFY(driver.waitForResult());
            QVERIFY(!searchBar->timing());
        }
        QVERIFY(image->unchanged());
    }

    void quitAsksOnceThenOffersToStoreAFinishedResult() {
        const auto image = test::FixtureImage("fat16");
        {
            WindowDriver driver(*image);
            driver.toPartitionPage("id1064");
            driver.click("id1058");
            QVERIFY(driver.waitForResult());
            driver.prompter.answers = {false};
            QShortcut* quit = nullptr;
            for (QShortcut* shortcut : driver.window().findChildren<QShortcut*>())
                if (shortcut->key() == QKeySequence(QKeySequence::Quit)) quit = shortcut;
            QVERIFY(quit != nullptr);
            Q_EMIT quit->activated();
            QCOMPARE(driver.prompter.questions, std::vector<std::string>{"Do you want to Exit?"});
            QVERIFY(driver.window().isVisible());

            driver.prompter.questions.clear();
            driver.prompter.answers = {true, false};
            driver.window().quitRequested();
            QCOMPARE(driver.prompter.questions,
                     (std::vector<std::string>{"Do you want to Exit?",
                                               "Do you want to save the recovery?"}));
            QVERIFY(!driver.window().isVisible());
        }
        QVERIFY(image->unchanged());
    }
};

}  // namespace
}  // namespace datrevo

QTEST_MAIN(datrevo::ShellWindow)
#include "shell_window_test.moc"
