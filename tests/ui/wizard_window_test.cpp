// The real window, offscreen, through the wizard's paths: an Advance NTFS
// search with a volume choice and the texts each page shows, Back from every
// page, Stop during a search, and a recovery log stored and loaded through
// the buttons.
#include <QTableWidget>
#include <QTimer>

#include "search/notices.h"
#include "ui/populate_window.h"
#include "window_driver.h"

namespace datrevo {
namespace {

using test::WindowDriver;

std::vector<std::pair<std::string, std::string>> DetailRows(WindowDriver& driver) {
    auto* details = driver.find<QTableWidget>("id1105");
    std::vector<std::pair<std::string, std::string>> rows;
    for (int row = 0; row < details->rowCount(); ++row)
        rows.emplace_back(details->item(row, 0)->text().toStdString(),
                          details->item(row, 1)->text().toStdString());
    return rows;
}

// Every item's text below `item`, depth first, with its depth.
void CollectTexts(QTreeWidgetItem* item, int depth, std::vector<std::string>& texts) {
    texts.push_back(std::string(static_cast<std::size_t>(depth), ' ') +
                    item->text(0).toStdString());
    for (int i = 0; i < item->childCount(); ++i) CollectTexts(item->child(i), depth + 1, texts);
}

std::vector<std::string> TreeTexts(QTreeWidget* tree) {
    std::vector<std::string> texts;
    for (int i = 0; i < tree->topLevelItemCount(); ++i)
        CollectTexts(tree->topLevelItem(i), 0, texts);
    return texts;
}

class WizardWindow : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void advanceNtfsSearchWithAVolumeChoice() {
        const auto image = test::FixtureImage("ntfs-disk");
        {
            WindowDriver driver(*image);
            driver.toPartitionPage("id1108");
            QCOMPARE(driver.guide(), std::string(ui::kGuidePartitionPage));
            QCOMPARE(driver.find<QLabel>("id1068")->text(), QString("Advance Search"));
            QVERIFY(
                driver.find<QWidget>("id1037")->isEnabled());  // type choice open in Advance mode
            const auto partitionDetails = DetailRows(driver);
            QCOMPARE(partitionDetails.size(), std::size_t{3});
            QVERIFY(partitionDetails[0].first.rfind("1.   Partition Number", 0) == 0);
            QCOMPARE(partitionDetails[1].second, std::string("Advance"));

            driver.click("id1058");
            QCOMPARE(driver.guide(), std::string(ui::kGuideSearching));
            QCOMPARE(driver.find<QLabel>("id1084")->text(), QString("Advance Search"));
            QCOMPARE(driver.find<QLabel>("id1078")->text(), QString("NTFS"));
            QVERIFY(driver.find<QLabel>("id1087")->text().contains(" to "));
            QVERIFY(
                QTest::qWaitFor([&] { return !driver.window().wizard().searchRunning(); }, 120000));
            QCOMPARE(driver.guide(), std::string(ui::kGuideNtfsProceed));

            QTreeWidgetItem* fileSystems = driver.tree()->topLevelItem(0);
            QCOMPARE(fileSystems->text(0), QString("File Systems"));
            QVERIFY(fileSystems->childCount() >= 1);
            QCOMPARE(fileSystems->child(0)->text(0), QString("File System 1 - NTFS"));
            driver.clickTreeItem(fileSystems->child(0));
            const auto volumeDetails = DetailRows(driver);
            QCOMPARE(volumeDetails.size(), std::size_t{4});
            QCOMPARE(volumeDetails[0].second, std::string("1"));
            QCOMPARE(volumeDetails[1].second, std::string("NTFS"));

            driver.click("id1058");
            QVERIFY(driver.waitForResult());
            QCOMPARE(driver.guide(), std::string(kGuideStandardDone));
            QTreeWidgetItem* root = driver.tree()->topLevelItem(0);
            QCOMPARE(root->text(0), QString("Root"));
            QTreeWidgetItem* projects = test::ChildNamed(root, "Projects");
            QVERIFY(projects != nullptr);
            QTreeWidgetItem* beta = test::ChildNamed(projects, "Beta");
            QVERIFY(beta != nullptr);
            driver.clickTreeItem(beta);
            QCOMPARE(driver.find<QLabel>("id1093")->text(),
                     QString("Current Folder : Projects\\Beta"));
            QTreeWidgetItem* notes = test::RowNamed(driver.fileList(), "notes small.txt");
            QVERIFY(notes != nullptr);
            QCOMPARE(notes->text(1), QString("Text file"));
            QCOMPARE(notes->text(2), QString("250"));
            QVERIFY(!notes->icon(0).isNull());
            QVERIFY(test::RowNamed(driver.fileList(), "design.txt") != nullptr);
            QVERIFY(driver.find<QPushButton>("id1054")->isEnabled());   // "Save"
            QVERIFY(driver.find<QPushButton>("id1106")->isEnabled());   // "Save Log"
            QVERIFY(!driver.find<QPushButton>("id1058")->isVisible());  // no "Next" after Advance
            QVERIFY(driver.prompter.messages.empty());
        }
        QVERIFY(image->unchanged());
    }

    void backFromEveryPage() {
        const auto image = test::FixtureImage("ntfs-disk");
        {
            WindowDriver driver(*image);
            driver.toPartitionPage("id1108");
            driver.click("id1059");  // partition page -> disk page
            QCOMPARE(driver.guide(), std::string(ui::kGuideDiskPage));
            QCOMPARE(driver.tree()->topLevelItem(0)->text(0), QString("My Computer"));
            QVERIFY(!driver.find<QRadioButton>("id1108")->isChecked());

            driver.toPartitionPage("id1108");
            driver.click("id1058");
            driver.click("id1092");  // "Stop Search"
            QVERIFY(
                QTest::qWaitFor([&] { return !driver.window().wizard().searchRunning(); }, 120000));
            QCOMPARE(driver.window().wizard().page(), ui::WizardPage::FileSystems);
            // A stop before the boot sector is reached finds no file system
            // and says so; a later one lists what was found.
            QVERIFY(driver.prompter.messages.size() <= 1);
            driver.prompter.messages.clear();
            driver.click("id1059");  // stopped search -> partition page
            QCOMPARE(driver.guide(), std::string(ui::kGuidePartitionPage));
            QCOMPARE(driver.tree()->topLevelItem(0)->text(0), QString("Disk 0"));

            driver.click("id1058");
            QVERIFY(
                QTest::qWaitFor([&] { return driver.guide() == ui::kGuideNtfsProceed; }, 120000));
            driver.clickTreeItem(driver.tree()->topLevelItem(0)->child(0));
            driver.click("id1058");
            QVERIFY(driver.waitForResult());
            driver.click("id1059");  // results -> file-system page
            QCOMPARE(driver.guide(), std::string(kGuideAdvanceChoose));
            QCOMPARE(driver.tree()->topLevelItem(0)->text(0), QString("File Systems"));
            QVERIFY(driver.find<QPushButton>("id1058")->isEnabled());
            driver.click("id1059");  // file-system page -> partition page
            QCOMPARE(driver.guide(), std::string(ui::kGuidePartitionPage));
            driver.click("id1059");
            QCOMPARE(driver.guide(), std::string(ui::kGuideDiskPage));
            QVERIFY(driver.prompter.messages.empty());
        }
        QVERIFY(image->unchanged());
    }

    void stopDuringAStandardSearchShowsWhatWasFound() {
        const auto image = test::FixtureImage("fat16");
        {
            WindowDriver driver(*image);
            int ticks = 0;
            QTimer timer;
            QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
            timer.start(1);
            driver.toPartitionPage("id1064");
            driver.click("id1058");
            auto* stop = driver.find<QPushButton>("id1092");
            QVERIFY(stop->isVisible());
            QTest::mouseClick(stop, Qt::LeftButton);
            QVERIFY(driver.waitForResult());
            QVERIFY(ticks > 0);  // the event loop ran while the worker searched
            // Stopped, or finished before the stop came: either way the
            // results page shows the tree of what was found.
            QVERIFY(driver.guide() == kGuideStopped || driver.guide() == kGuideStandardDone);
            QCOMPARE(driver.tree()->topLevelItem(0)->text(0), QString("Root"));
            QVERIFY(driver.find<QPushButton>("id1106")->isEnabled());
            QVERIFY(!stop->isVisible());
        }
        QVERIFY(image->unchanged());
    }

    void aLargeFolderIsListedOnTheWorkerBehindThePopulateWindow() {
        const auto image = test::FixtureImage("ntfs");
        {
            WindowDriver driver(*image);
            driver.toPartitionPage("id1064");
            driver.click("id1058");
            QVERIFY(driver.waitForResult());
            QTreeWidgetItem* many = test::ChildNamed(driver.tree()->topLevelItem(0), "Many");
            QVERIFY(many != nullptr);
            driver.clickTreeItem(many);  // listed directly
            QVERIFY(!driver.window().populating());
            const auto listed = TreeTexts(driver.fileList());
            QVERIFY(listed.size() > 10);

            driver.window().setPopulateThreshold(0);
            driver.clickTreeItem(driver.tree()->topLevelItem(0));
            driver.clickTreeItem(many);
            QVERIFY(driver.window().populating());
            QVERIFY(!driver.window().isEnabled());
            auto* note = driver.window().findChild<QDialog*>("id311");
            QVERIFY(note != nullptr && note->isVisible());
            QCOMPARE(note->findChild<QLabel*>("id1142")->text(), QString(ui::kPopulatingText));
            QVERIFY(QTest::qWaitFor([&] { return !driver.window().populating(); }, 120000));
            QVERIFY(driver.window().isEnabled());
            QVERIFY(!note->isVisible());
            QCOMPARE(TreeTexts(driver.fileList()), listed);
            QCOMPARE(driver.find<QLabel>("id1093")->text(), QString("Current Folder : Many"));
        }
        QVERIFY(image->unchanged());
    }

    void aLogStoredAndLoadedThroughTheButtonsGivesTheSameTree() {
        const auto image = test::FixtureImage("fat16");
        const auto logs = test::MakeTempDir("window-log");
        const QString log = QString::fromStdString((logs / "fat16.MPD").string());
        std::vector<std::string> searched;
        {
            WindowDriver driver(*image);
            driver.toPartitionPage("id1064");
            driver.click("id1058");
            QVERIFY(driver.waitForResult());
            driver.tree()->expandAll();
            searched = TreeTexts(driver.tree());
            QVERIFY(searched.size() > 5);
            driver.logPath = log;
            driver.click("id1106");
            QCOMPARE(driver.logPathsAsked, std::vector<bool>{true});
            QVERIFY(std::filesystem::exists(logs / "fat16.MPD"));
        }
        {
            WindowDriver driver(*image);
            driver.toPartitionPage("id1064");
            auto* loadLog = driver.find<QPushButton>("id1057");
            QVERIFY(loadLog->isEnabled());
            driver.logPath = log;
            QTest::mouseClick(loadLog, Qt::LeftButton);
            QCOMPARE(driver.logPathsAsked, std::vector<bool>{false});
            QVERIFY(driver.waitForResult());
            driver.tree()->expandAll();
            QCOMPARE(TreeTexts(driver.tree()), searched);
            QVERIFY(driver.prompter.messages.empty());

            // A cancelled file dialog loads nothing and stays.
            driver.logPath.clear();
            driver.click("id1106");
            QCOMPARE(driver.logPathsAsked, (std::vector<bool>{false, true}));
        }
        std::filesystem::remove_all(logs);
        QVERIFY(image->unchanged());
    }
};

}  // namespace
}  // namespace datrevo

QTEST_MAIN(datrevo::WizardWindow)
#include "wizard_window_test.moc"
