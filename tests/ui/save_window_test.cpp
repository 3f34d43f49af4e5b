// Saving from the real window, offscreen: checked folders through the "Save"
// button, selected rows through the file list's menu, the copies compared
// with the manifest; a destination on the image refused; and the exit
// questions with their answers.
#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QMenu>
#include <QTimer>

#include "search/notices.h"
#include "support/manifest.h"
#include "window_driver.h"

namespace datrevo {
namespace {

using test::WindowDriver;

// The live files of the fat16 image below `folder` ("Music/"), by path.
std::map<std::string, std::string> LiveFilesBelow(const std::string& folder) {
    std::map<std::string, std::string> files;
    for (const test::ManifestRow& row : test::ManifestRows("fat16", "file"))
        if (!row.deleted && row.path.rfind(folder, 0) == 0) files[row.path] = row.md5;
    return files;
}

bool RunStandardFat16Search(WindowDriver& driver) {
    driver.toPartitionPage("id1064");
    driver.click("id1058");
    return driver.waitForResult();
}

// Saves the selected rows of the list with the menu's "Save" and waits.
bool SaveSelectedRows(WindowDriver& driver) {
    driver.window().findChild<QMenu*>("menu252")->findChild<QAction*>("id32773")->trigger();
    return driver.waitForSaveEnd();
}

void SelectRows(WindowDriver& driver, const std::vector<QString>& names) {
    driver.fileList()->clearSelection();
    for (const QString& name : names) {
        QTreeWidgetItem* row = test::RowNamed(driver.fileList(), name);
        if (row == nullptr) qFatal("no row %s", qPrintable(name));
        row->setSelected(true);
    }
}

class SaveWindow : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void checkedFoldersAreSavedWithEverythingInThem() {
        const auto image = test::FixtureImage("fat16");
        const auto out = test::MakeTempDir("window-save");
        {
            WindowDriver driver(*image);
            QVERIFY(RunStandardFat16Search(driver));
            auto* save = driver.find<QPushButton>("id1054");
            QVERIFY(save->isEnabled());
            QTreeWidgetItem* root = driver.tree()->topLevelItem(0);
            QTreeWidgetItem* music = test::ChildNamed(root, "Music");
            QTreeWidgetItem* docs = test::ChildNamed(root, "Docs");
            QVERIFY(music != nullptr && docs != nullptr);
            music->setCheckState(0, Qt::Checked);  // as a click on the box sets it
            docs->setCheckState(0, Qt::Checked);
            auto* treeMenu = driver.window().findChild<QMenu*>("menu253");
            QVERIFY(treeMenu != nullptr);
            QCOMPARE(treeMenu->actions().size(), qsizetype{1});
            QCOMPARE(treeMenu->defaultAction()->objectName(), QString("id32773"));

            // The window's event loop runs while the workers count and copy.
            int ticks = 0;
            QTimer timer;
            QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
            timer.start(5);
            driver.saveDialogs.destination = out.string();
            QTest::mouseClick(save, Qt::LeftButton);
            QCOMPARE(driver.saveDialogs.destinationAsked, 1);
            QVERIFY(driver.window().saveRunner().running());
            QVERIFY(!save->isEnabled());
            QVERIFY(driver.waitForSaveEnd());
            QVERIFY(ticks > 0);
            QVERIFY(save->isEnabled());

            const auto& summary = driver.window().saveRunner().lastSummary();
            QVERIFY(summary.has_value());
            QCOMPARE(summary->ending, SaveEnding::Finished);
            QCOMPARE(summary->filesFailed, std::size_t{0});
            QCOMPARE(driver.prompter.messages.size(), std::size_t{1});  // the summary
            QCOMPARE(driver.prompter.messages[0].text, SummaryText(*summary));
            QVERIFY(driver.saveDialogs.replaceAsked.empty());
        }
        const auto copies = test::Md5OfFiles(out);
        auto wanted = LiveFilesBelow("Music/");
        const auto docs = LiveFilesBelow("Docs/");
        wanted.insert(docs.begin(), docs.end());
        QVERIFY(wanted.size() >= 4);
        for (const auto& [path, md5] : wanted) {
            const auto copy = copies.find(path);
            QVERIFY2(copy != copies.end(), path.c_str());
            QCOMPARE(copy->second, md5);
        }
        for (const auto& [path, md5] : copies)  // nothing from unchecked folders
            QVERIFY2(path.rfind("Music/", 0) == 0 || path.rfind("Docs/", 0) == 0, path.c_str());
        std::filesystem::remove_all(out);
        QVERIFY(image->unchanged());
    }

    void selectedRowsAreSavedFromTheListMenuAndAFileInTheWayIsAskedAbout() {
        const auto image = test::FixtureImage("fat16");
        const auto out = test::MakeTempDir("window-save-rows");
        {
            WindowDriver driver(*image);
            QVERIFY(RunStandardFat16Search(driver));
            QTreeWidget* list = driver.fileList();
            QTreeWidgetItem* readme = test::RowNamed(list, "README.TXT");
            QTreeWidgetItem* data = test::RowNamed(list, "DATA");
            QVERIFY(readme != nullptr && data != nullptr);
            readme->setSelected(true);
            data->setSelected(true);

            auto* menu = driver.window().findChild<QMenu*>("menu252");
            QVERIFY(menu != nullptr);
            QCOMPARE(menu->defaultAction()->text(), QString("Save"));
            driver.saveDialogs.destination = out.string();
            menu->findChild<QAction*>("id32773")->trigger();
            QVERIFY(driver.waitForSaveEnd());
            const auto copies = test::Md5OfFiles(out);
            QCOMPARE(copies.at("README.TXT"), LiveFilesBelow("README.TXT").at("README.TXT"));
            QCOMPARE(copies.at("DATA/CONFIG.INI"), LiveFilesBelow("DATA/").at("DATA/CONFIG.INI"));
            QVERIFY(copies.count("Music/Café del Mar/Привет.mp3") == 0);

            // The same rows again: the file in the way is asked about, and
            // "Skip" leaves the first copy as it was.
            menu->findChild<QAction*>("id32773")->trigger();
            QVERIFY(driver.waitForSaveEnd());
            QVERIFY(!driver.saveDialogs.replaceAsked.empty());
            QCOMPARE(test::Md5OfFiles(out), copies);

            // No check mark and no row: the user is told to select something.
            list->clearSelection();
            const std::size_t messages = driver.prompter.messages.size();
            driver.click("id1054");
            QCOMPARE(driver.prompter.messages.size(), messages + 1);
            QCOMPARE(driver.prompter.messages.back().text,
                     std::string(ui::kNothingSelectedMessage));
            QVERIFY(!driver.window().saveRunner().running());
        }
        std::filesystem::remove_all(out);
        QVERIFY(image->unchanged());
    }

    void stopWhileAQuestionIsOpenEndsTheSaveAfterTheCurrentFile() {
        const auto image = test::FixtureImage("fat16");
        const auto out = test::MakeTempDir("window-save-stop");
        {
            WindowDriver driver(*image);
            QVERIFY(RunStandardFat16Search(driver));
            driver.saveDialogs.destination = out.string();
            SelectRows(driver, {"README.TXT", "empty.txt"});
            QVERIFY(SaveSelectedRows(driver));
            QCOMPARE(driver.window().saveRunner().lastSummary()->filesSaved, std::size_t{2});

            // Again: the first file is in the way; while its question is
            // open the user presses "Stop" in the progress window.
            driver.saveDialogs.duringReplace = [&] {
                auto* progress = driver.window().findChild<QDialog*>("id130");
                QVERIFY(progress != nullptr && progress->isVisible());
                // The worker reads the result: Back and a check box wait for it.
                Q_EMIT driver.find<QPushButton>("id1059")->clicked();
                QCOMPARE(driver.window().wizard().page(), ui::WizardPage::Results);
                QTreeWidgetItem* music = test::ChildNamed(driver.tree()->topLevelItem(0), "Music");
                music->setCheckState(0, Qt::Checked);
                QCOMPARE(music->checkState(0), Qt::Unchecked);
                QTest::mouseClick(progress->findChild<QPushButton*>("id1"), Qt::LeftButton);
            };
            QVERIFY(SaveSelectedRows(driver));
            QCOMPARE(driver.saveDialogs.replaceAsked.size(), std::size_t{1});
            QCOMPARE(driver.window().saveRunner().lastSummary()->ending, SaveEnding::Stopped);
        }
        std::filesystem::remove_all(out);
        QVERIFY(image->unchanged());
    }

    void leavingWhileTheSaveWaitsForAnAnswerStopsItWithoutHanging() {
        const auto image = test::FixtureImage("fat16");
        const auto out = test::MakeTempDir("window-save-exit");
        {
            WindowDriver driver(*image);
            QVERIFY(RunStandardFat16Search(driver));
            driver.saveDialogs.destination = out.string();
            SelectRows(driver, {"README.TXT"});
            QVERIFY(SaveSelectedRows(driver));
            driver.prompter.questions.clear();
            driver.prompter.answers = {true};
            driver.saveDialogs.duringReplace = [&] { driver.window().close(); };
            SelectRows(driver, {"README.TXT"});
            driver.window().findChild<QMenu*>("menu252")->findChild<QAction*>("id32773")->trigger();
            QVERIFY(QTest::qWaitFor([&] { return !driver.window().isVisible(); }, 120000));
            QVERIFY(!driver.window().saveRunner().running());
            // A save runs: no offer to store the log, only the exit question.
            QCOMPARE(driver.prompter.questions, std::vector<std::string>{ui::kExitQuestion});
            QCOMPARE(test::Md5OfFiles(out).size(), std::size_t{1});
        }
        std::filesystem::remove_all(out);
        QVERIFY(image->unchanged());
    }

    void theDialogsGiveTheAnswersOfTheirButtons() {
        QWidget parent;
        ui::DestinationDialog destination(&parent, "", [](const std::string& folder) {
            return folder == "/refused" ? std::string("not there") : std::string();
        });
        destination.findChild<QLineEdit*>("id1000")->setText("/refused");
        QTest::mouseClick(destination.findChild<QPushButton*>("id1"), Qt::LeftButton);
        QCOMPARE(destination.result(), int(QDialog::Rejected));  // still open
        QCOMPARE(destination.findChild<QLabel*>("id1003")->text(), QString("not there"));
        destination.findChild<QLineEdit*>("id1000")->setText("/fine ");
        QTest::mouseClick(destination.findChild<QPushButton*>("id1"), Qt::LeftButton);
        QCOMPARE(destination.result(), int(QDialog::Accepted));
        QCOMPARE(destination.folder(), QString("/fine"));
        // Alternate data streams only when ticked.
        auto* streams = destination.findChild<QCheckBox*>("id1002");
        QVERIFY(streams != nullptr);
        QVERIFY(!destination.streams());
        streams->setChecked(true);
        QVERIFY(destination.streams());

        ui::ReplaceDialog replace(&parent, "a.txt", "a (2).txt");
        QCOMPARE(replace.findChild<QLineEdit*>("id1025")->text(), QString("a (2).txt"));
        QVERIFY(replace.findChild<QLineEdit*>("id1024")->isReadOnly());
        replace.findChild<QLineEdit*>("id1025")->setText("b.txt");
        replace.findChild<QCheckBox*>("id1026")->setChecked(true);
        QTest::mouseClick(replace.findChild<QPushButton*>("id1027"), Qt::LeftButton);
        QCOMPARE(replace.answer().action, ReplaceAction::Rename);
        QCOMPARE(replace.answer().newName, std::string("b.txt"));
        QVERIFY(replace.answer().applyToAll);
        ui::ReplaceDialog closed(&parent, "a.txt", "a (2).txt");
        closed.reject();  // Esc and the close box
        QCOMPARE(closed.answer().action, ReplaceAction::Skip);

        ui::WriteErrorDialog writeError(&parent, "x", "y");
        QTest::mouseClick(writeError.findChild<QPushButton*>("id1043"), Qt::LeftButton);
        QCOMPARE(writeError.answer(), WriteErrorAction::SkipAll);
        ui::WriteErrorDialog escaped(&parent, "x", "y");
        escaped.reject();
        QCOMPARE(escaped.answer(), WriteErrorAction::Skip);

        int stops = 0;
        int skips = 0;
        ui::SaveProgressDialog progress(&parent);
        progress.onStop = [&] { ++stops; };
        progress.onSkip = [&] { ++skips; };
        QTest::mouseClick(progress.findChild<QPushButton*>("id1008"), Qt::LeftButton);
        QTest::mouseClick(progress.findChild<QPushButton*>("id1"), Qt::LeftButton);
        progress.reject();
        QCOMPARE(skips, 1);
        QCOMPARE(stops, 2);
    }

    void theSaveSaysHowLongTheRestWillTakeOnceTwoPercentAreWritten() {
        QWidget parent;
        ui::SaveProgressDialog progress(&parent);
        std::int64_t now = 1000;
        progress.setClock([&now] { return now; });
        SaveProgressInfo info;
        info.fileTotal = 10;
        info.byteTotal = 100 * 1024 * 1024;
        info.bytesWritten = info.byteTotal / 100;  // 1 %: too early to tell
        progress.showProgress(info);
        auto* line = progress.findChild<QLabel*>("id1021");
        QCOMPARE(line->text(), QString("Data written: 1.0 MB of 100.0 MB"));
        now = 20000;
        info.bytesWritten = info.byteTotal / 4;
        progress.showProgress(info);
        QCOMPARE(line->text(),
                 QString("Data written: 25.0 MB of 100.0 MB - about 60 seconds left"));
    }

    void anNtfsFolderFoundByAnAdvanceSearchIsSavedBitExact() {
        const auto image = test::FixtureImage("ntfs-disk");
        const auto out = test::MakeTempDir("window-save-ntfs");
        {
            WindowDriver driver(*image);
            driver.toPartitionPage("id1108");
            driver.click("id1058");
            QVERIFY(
                QTest::qWaitFor([&] { return driver.guide() == ui::kGuideNtfsProceed; }, 120000));
            driver.clickTreeItem(driver.tree()->topLevelItem(0)->child(0));
            driver.click("id1058");
            QVERIFY(driver.waitForResult());
            QTreeWidgetItem* projects =
                test::ChildNamed(driver.tree()->topLevelItem(0), "Projects");
            QVERIFY(projects != nullptr);
            projects->setCheckState(0, Qt::Checked);
            driver.saveDialogs.destination = out.string();
            driver.click("id1054");
            QVERIFY(driver.waitForSaveEnd());
            QCOMPARE(driver.window().saveRunner().lastSummary()->ending, SaveEnding::Finished);
        }
        const auto copies = test::Md5OfFiles(out);
        std::size_t compared = 0;
        for (const test::ManifestRow& row : test::ManifestRows("ntfs-disk", "file")) {
            if (row.deleted || row.path.rfind("p1/Projects/", 0) != 0) continue;
            const std::string path = row.path.substr(3);
            QVERIFY2(copies.count(path) == 1, path.c_str());
            QCOMPARE(copies.at(path), row.md5);
            ++compared;
        }
        QVERIFY(compared >= 2);
        QCOMPARE(copies.size(), compared);
        std::filesystem::remove_all(out);
        QVERIFY(image->unchanged());
    }

    void aDestinationOnTheImageItselfIsRefused() {
        const auto image = test::FixtureImage("fat16");
        {
            WindowDriver driver(*image);
            QVERIFY(RunStandardFat16Search(driver));
            driver.saveDialogs.destination = image->path();
            auto* menu = driver.window().findChild<QMenu*>("menu252");
            menu->findChild<QAction*>("id32774")->trigger();  // "Save All"
            QCOMPARE(driver.saveDialogs.destinationAsked, 1);
            QVERIFY(!driver.saveDialogs.refusal.empty());
            QVERIFY(!driver.window().saveRunner().running());
        }
        QVERIFY(image->unchanged());
    }

    void openOnAFolderRowListsThatFolder() {
        const auto image = test::FixtureImage("fat16");
        {
            WindowDriver driver(*image);
            QVERIFY(RunStandardFat16Search(driver));
            QTreeWidgetItem* music = test::RowNamed(driver.fileList(), "Music");
            QVERIFY(music != nullptr);
            Q_EMIT driver.fileList()->itemDoubleClicked(music, 0);
            QCOMPARE(driver.find<QLabel>("id1093")->text(), QString("Current Folder : Music"));
            QVERIFY(test::RowNamed(driver.fileList(), "Artist One") != nullptr);
            QCOMPARE(driver.tree()->currentItem()->text(0), QString("Music"));

            // Down moves to the next visible folder and lists it.
            QTest::keyClick(driver.tree(), Qt::Key_Down);
            QVERIFY(driver.tree()->currentItem()->text(0) != QString("Music"));
            const QString shown = driver.find<QLabel>("id1093")->text();
            QVERIFY(shown.endsWith(driver.tree()->currentItem()->text(0)));

            // "Open" on a file row saves it: the destination is asked for.
            driver.clickTreeItem(driver.tree()->topLevelItem(0));
            QTreeWidgetItem* readme = test::RowNamed(driver.fileList(), "README.TXT");
            QVERIFY(readme != nullptr);
            Q_EMIT driver.fileList()->itemDoubleClicked(readme, 0);
            QCOMPARE(driver.saveDialogs.destinationAsked, 1);  // cancelled: no destination set
            QVERIFY(!driver.window().saveRunner().running());
            QVERIFY(!driver.find<QWidget>("id1183")->isVisible());  // the tree-loading bar
        }
        QVERIFY(image->unchanged());
    }

    void exitAsksToSaveTheRecoveryThenWhetherToLeave() {
        const auto image = test::FixtureImage("fat16");
        const auto logs = test::MakeTempDir("window-exit");
        {
            WindowDriver driver(*image);
            // Before a result only the exit question; No stays.
            driver.click("id1056");
            QCOMPARE(driver.prompter.questions, std::vector<std::string>{ui::kExitQuestion});
            QVERIFY(driver.window().isVisible());

            QVERIFY(RunStandardFat16Search(driver));
            driver.prompter.questions.clear();
            driver.prompter.answers = {false, false};  // no log, stay
            driver.click("id1056");                    // Exit (Escape does nothing on this window)
            QCOMPARE(driver.prompter.questions,
                     (std::vector<std::string>{ui::kSaveRecoveryQuestion, ui::kExitQuestion}));
            QVERIFY(driver.window().isVisible());
            QVERIFY(driver.logPathsAsked.empty());
            QCOMPARE(driver.webPageOpened, 0);

            // Yes to both: the log is stored, then the window closes.
            driver.prompter.questions.clear();
            driver.prompter.answers = {true, true};
            driver.logPath = QString::fromStdString((logs / "exit.MPD").string());
            driver.window().close();
            QVERIFY(!driver.window().isVisible());
            QCOMPARE(driver.logPathsAsked, std::vector<bool>{true});
            QVERIFY(std::filesystem::file_size(logs / "exit.MPD") > 19);
            QCOMPARE(driver.webPageOpened, 1);
        }
        std::filesystem::remove_all(logs);
        QVERIFY(image->unchanged());
    }

    void exitDuringASearchStopsItAndWaitsForIt() {
        const auto image = test::FixtureImage("fat16");
        {
            WindowDriver driver(*image);
            driver.toPartitionPage("id1108");  // Advance: a scan of every sector
            driver.click("id1058");
            QVERIFY(driver.window().wizard().searchRunning());
            driver.prompter.answers = {true};
            driver.click("id1056");
            // No offer to store a result that is not there; the worker has ended.
            QCOMPARE(driver.prompter.questions, std::vector<std::string>{ui::kExitQuestion});
            QVERIFY(!driver.window().isVisible());
        }
        QVERIFY(image->unchanged());
    }
};

}  // namespace
}  // namespace datrevo

QTEST_MAIN(datrevo::SaveWindow)
#include "save_window_test.moc"
