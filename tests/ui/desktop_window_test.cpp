// What a desktop user expects of the real window, offscreen: the keyboard
// (arrows choose, Return is Next, Escape does nothing, the focus in the
// tree), tooltips and no default toolbar button, a check box that changes
// the check only, the file list's Save on the rows pointed at, Skip as the
// replace question's default, Save Log's extension, the no-disk notice after
// every inventory that found none, and a window that fits the screen and
// keeps its place between runs.
#include <QAction>
#include <QMenu>
#include <QSettings>
#include <QStandardPaths>
#include <QStyle>
#include <QStyleOptionViewItem>

#include "support/manifest.h"
#include "ui/controls/bitmap_button.h"
#include "window_driver.h"

namespace datrevo {
namespace {

using test::WindowDriver;

constexpr const char* kToolbarButtons[] = {"id1055", "id1057", "id1106", "id1056",
                                           "id1054", "id1059", "id1058", "id1114"};

bool RunStandardFat16Search(WindowDriver& driver) {
    driver.toPartitionPage("id1064");
    driver.click("id1058");
    return driver.waitForResult();
}

// Where the style draws the check box of `item`, in viewport coordinates.
QPoint CheckBoxCentre(QTreeWidget* tree, QTreeWidgetItem* item) {
    QStyleOptionViewItem option;
    option.initFrom(tree);
    option.rect = tree->visualItemRect(item);
    option.features = QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDisplay;
    if (!item->icon(0).isNull()) option.features |= QStyleOptionViewItem::HasDecoration;
    option.decorationSize = tree->iconSize().isValid() ? tree->iconSize() : QSize(16, 16);
    option.text = item->text(0);
    return tree->style()
        ->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, tree)
        .center();
}

QString ShownFolder(WindowDriver& driver) { return driver.find<QLabel>("id1093")->text(); }

class DesktopWindow : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void init() { QSettings().clear(); }

    void theDiskPageWorksFromTheKeyboard() {
        const auto image = test::FixtureImage("fat16");
        {
            WindowDriver driver(*image);
            QTreeWidget* tree = driver.tree();
            QCOMPARE(driver.window().focusWidget(), static_cast<QWidget*>(tree));
            QTest::mouseClick(driver.find<QRadioButton>("id1064"), Qt::LeftButton);
            tree->setFocus();                     // the user tabs back to the tree
            QTest::keyClick(tree, Qt::Key_Down);  // from "My Computer" to the disk
            QCOMPARE(driver.window().wizard().selectedDevice(), std::optional<int>(0));
            QVERIFY(driver.find<QPushButton>("id1058")->isEnabled());
            QTest::keyClick(tree, Qt::Key_Return);  // Next, not Help
            QVERIFY(driver.opened.empty());
            QCOMPARE(driver.window().wizard().page(), ui::WizardPage::Partitions);
            QCOMPARE(driver.window().focusWidget(), static_cast<QWidget*>(tree));
            // The partition page's highlight is the partition whose details show.
            QVERIFY(tree->currentItem() != nullptr && tree->currentItem()->parent() != nullptr);

            QTest::keyClick(tree, Qt::Key_Return);  // the search
            QVERIFY(driver.waitForResult());
            QCOMPARE(driver.window().focusWidget(), static_cast<QWidget*>(tree));
            QVERIFY(driver.opened.empty());
        }
        QVERIFY(image->unchanged());
    }

    void escapeDoesNothingOnTheMainWindow() {
        const auto image = test::FixtureImage("fat16");
        {
            WindowDriver driver(*image);
            QTest::keyClick(&driver.window(), Qt::Key_Escape);
            QTest::keyClick(driver.tree(), Qt::Key_Escape);
            QVERIFY(driver.prompter.questions.empty());
            QVERIFY(driver.window().isVisible());
        }
        QVERIFY(image->unchanged());
    }

    void noToolbarButtonIsADefaultButtonAndEachHasATooltip() {
        const auto image = test::FixtureImage("fat16");
        {
            WindowDriver driver(*image);
            for (const char* id : kToolbarButtons) {
                auto* button = driver.find<QPushButton>(id);
                QVERIFY2(!button->isDefault() && !button->autoDefault(), id);
                QVERIFY2(!button->toolTip().isEmpty(), id);
            }
        }
        QVERIFY(image->unchanged());
    }

    void aCheckBoxClickChangesTheCheckOnly() {
        const auto image = test::FixtureImage("fat16");
        {
            WindowDriver driver(*image);
            QVERIFY(RunStandardFat16Search(driver));
            QTreeWidget* tree = driver.tree();
            QTreeWidgetItem* root = tree->topLevelItem(0);
            QTreeWidgetItem* docs = test::ChildNamed(root, "Docs");
            QTreeWidgetItem* music = test::ChildNamed(root, "Music");
            QVERIFY(docs != nullptr && music != nullptr);
            QTest::mouseClick(tree->viewport(), Qt::LeftButton, {},
                              tree->visualItemRect(docs).center());
            QCOMPARE(tree->currentItem(), docs);
            QCOMPARE(ShownFolder(driver), QString("Current Folder : Docs"));

            QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, CheckBoxCentre(tree, music));
            QCOMPARE(music->checkState(0), Qt::Checked);
            QCOMPARE(tree->currentItem(), docs);                              // the highlight stays
            QCOMPARE(ShownFolder(driver), QString("Current Folder : Docs"));  // and the list
            QVERIFY(docs->isSelected());
            QVERIFY(!music->isSelected());
            QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, CheckBoxCentre(tree, music));
            QCOMPARE(music->checkState(0), Qt::Unchecked);
            QCOMPARE(tree->currentItem(), docs);

            // The keyboard moves the highlight, and the list follows it.
            tree->setCurrentItem(music);
            QCOMPARE(ShownFolder(driver), QString("Current Folder : Music"));
        }
        QVERIFY(image->unchanged());
    }

    void theListsSaveSavesThePointedRowsWhateverIsTicked() {
        const auto image = test::FixtureImage("fat16");
        const auto out = test::MakeTempDir("desktop-save-row");
        {
            WindowDriver driver(*image);
            QVERIFY(RunStandardFat16Search(driver));
            QTreeWidgetItem* music = test::ChildNamed(driver.tree()->topLevelItem(0), "Music");
            QVERIFY(music != nullptr);
            music->setCheckState(0, Qt::Checked);  // a ticked folder elsewhere
            QTreeWidgetItem* readme = test::RowNamed(driver.fileList(), "README.TXT");
            QVERIFY(readme != nullptr);
            driver.fileList()->clearSelection();
            readme->setSelected(true);
            driver.saveDialogs.destination = out.string();
            driver.window().findChild<QMenu*>("menu252")->findChild<QAction*>("id32773")->trigger();
            QVERIFY(driver.waitForSaveEnd());
            const auto copies = test::Md5OfFiles(out);
            QCOMPARE(copies.size(), std::size_t{1});
            QCOMPARE(copies.begin()->first, std::string("README.TXT"));
            for (const test::ManifestRow& row : test::ManifestRows("fat16", "file"))
                if (row.path == "README.TXT") QCOMPARE(copies.begin()->second, row.md5);

            // "Open" on a file row saves that file too, not the ticked tree.
            std::filesystem::remove_all(out);
            std::filesystem::create_directories(out);
            Q_EMIT driver.fileList()->itemDoubleClicked(readme, 0);
            QVERIFY(driver.waitForSaveEnd());
            QCOMPARE(test::Md5OfFiles(out).size(), std::size_t{1});
        }
        std::filesystem::remove_all(out);
        QVERIFY(image->unchanged());
    }

    void returnInTheReplaceQuestionSkips() {
        QWidget parent;
        ui::ReplaceDialog replace(&parent, "a.txt", "a (2).txt");
        replace.show();
        QVERIFY(replace.findChild<QPushButton*>("id2")->isDefault());
        QVERIFY(!replace.findChild<QPushButton*>("id1")->isDefault());
        QTest::keyClick(&replace, Qt::Key_Return);
        QCOMPARE(replace.answer().action, ReplaceAction::Skip);
    }

    void saveLogAddsTheExtensionLoadLogLooksForAndSaysWhere() {
        const auto image = test::FixtureImage("fat16");
        const auto logs = test::MakeTempDir("desktop-log");
        {
            WindowDriver driver(*image);
            QVERIFY(RunStandardFat16Search(driver));
            driver.logPath = QString::fromStdString((logs / "scan1").string());
            driver.click("id1106");
            QVERIFY(std::filesystem::exists(logs / "scan1.MPD"));
            QVERIFY(!std::filesystem::exists(logs / "scan1"));
            QVERIFY(!driver.prompter.messages.empty());
            QVERIFY(driver.prompter.messages.back().text.find((logs / "scan1.MPD").string()) !=
                    std::string::npos);
            // A name with its own extension keeps it.
            driver.logPath = QString::fromStdString((logs / "scan2.log").string());
            driver.click("id1106");
            QVERIFY(std::filesystem::exists(logs / "scan2.log"));
        }
        std::filesystem::remove_all(logs);
        QVERIFY(image->unchanged());
    }

    void noDiskFoundAfterRefreshAndAfterBackToTheDiskPage() {
        const auto image = test::FixtureImage("fat16");
        {
            WindowDriver driver(*image);
            int shown = 0;
            driver.window().setNoDiskNotice([&] { ++shown; });
            QTest::qWait(50);
            QCOMPARE(shown, 0);  // the image is a disk
            driver.window().wizard().context().inventoryOptions.images.clear();
            driver.click("id1135");  // "Refresh List"
            QTRY_COMPARE(shown, 1);

            driver.window().wizard().context().inventoryOptions.images = {image->path()};
            driver.click("id1135");
            driver.toPartitionPage("id1064");
            QCOMPARE(driver.window().wizard().page(), ui::WizardPage::Partitions);
            driver.window().wizard().context().inventoryOptions.images.clear();
            driver.click("id1059");  // Back: a new inventory, and no disk
            QTRY_COMPARE(shown, 2);
            QTest::qWait(50);
            QCOMPARE(shown, 2);  // once per inventory
        }
        QVERIFY(image->unchanged());
    }

    void theWindowFitsTheScreenAndKeepsItsPlace() {
        const auto image = test::FixtureImage("fat16");
        const QRect free = QGuiApplication::primaryScreen()->availableGeometry();
        {
            WindowDriver driver(*image);
            QVERIFY(driver.window().width() <= free.width());
            QVERIFY(driver.window().height() <= free.height());
            // Every page stays usable on an 800x600 screen.
            QVERIFY2(driver.window().minimumSizeHint().width() <= 800,
                     qPrintable(QString::number(driver.window().minimumSizeHint().width())));
            QVERIFY2(driver.window().minimumSizeHint().height() <= 600,
                     qPrintable(QString::number(driver.window().minimumSizeHint().height())));
            driver.window().resize(800, 560);
            driver.prompter.answers = {true};
            driver.click("id1056");  // Exit, Yes
            QVERIFY(!driver.window().isVisible());
        }
        {
            WindowDriver driver(*image);
            QCOMPARE(driver.window().size(), QSize(800, 560));
        }
        QVERIFY(image->unchanged());
    }
};

}  // namespace
}  // namespace datrevo

QTEST_MAIN(datrevo::DesktopWindow)
#include "desktop_window_test.moc"
