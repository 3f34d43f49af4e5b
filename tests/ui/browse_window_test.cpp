// Browsing a result in the real window, offscreen: the folder pictures
// follow what the list shows (open, opened from the list, passed, closed
// again), the Right arrow lists the folder it expands with its deleted
// folders typed "Deleted FOLDER", the root's current-folder text, and the
// colons of the details list in one column.
#include <QTableWidget>
#include <QTest>

#include "browse/file_row.h"
#include "ui/controls/colon_column.h"
#include "ui/images.h"
#include "window_driver.h"

namespace datrevo {
namespace {

using test::WindowDriver;

QImage PictureOf(const QIcon& icon) {
    return icon.pixmap(16, 16).toImage().convertToFormat(QImage::Format_ARGB32);
}

QImage Picture(const char* resource) { return PictureOf(QIcon(ui::LoadPixmap(resource))); }

QString ShownFolder(WindowDriver& driver) { return driver.find<QLabel>("id1093")->text(); }

bool RunStandardFat16Search(WindowDriver& driver) {
    driver.toPartitionPage("id1064");
    driver.click("id1058");
    return driver.waitForResult();
}

// The right-most column of dark pixels in `area` of `shot`.
int RightmostInk(const QImage& shot, const QRect& area) {
    for (int x = area.right(); x >= area.left(); --x)
        for (int y = area.top(); y <= area.bottom(); ++y)
            if (qGray(shot.pixel(x, y)) < 128) return x;
    return -1;
}

class BrowseWindow : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void folderPicturesFollowTheListedFolder() {
        const auto image = test::FixtureImage("fat16");
        {
            WindowDriver driver(*image);
            // The disk's item names it whole in its tooltip (a narrow tree cuts it).
            QTreeWidgetItem* disk = driver.tree()->topLevelItem(0)->child(0);
            QCOMPARE(disk->toolTip(0), disk->text(0));
            QVERIFY(RunStandardFat16Search(driver));
            QTreeWidget* tree = driver.tree();
            QTreeWidgetItem* root = tree->topLevelItem(0);
            QCOMPARE(ShownFolder(driver), QString("Current Folder : "));  // the root has no path
            QCOMPARE(PictureOf(root->icon(0)), Picture(ui::image::kTreeComputer));
            QTreeWidgetItem* docs = test::ChildNamed(root, "Docs");
            QTreeWidgetItem* music = test::ChildNamed(root, "Music");
            QVERIFY(docs != nullptr && music != nullptr);
            QCOMPARE(PictureOf(docs->icon(0)), Picture(ui::image::kTreeFolder));

            driver.clickTreeItem(docs);
            QCOMPARE(PictureOf(docs->icon(0)), Picture(ui::image::kTreeFolderOpen));
            driver.clickTreeItem(music);
            QCOMPARE(PictureOf(music->icon(0)), Picture(ui::image::kTreeFolderOpen));
            QCOMPARE(PictureOf(docs->icon(0)), Picture(ui::image::kTreeFolderPassed));
            QCOMPARE(PictureOf(root->icon(0)), Picture(ui::image::kTreeComputer));

            // "Open" on a folder row: the folder opened from the list, its
            // parent passed.
            QTreeWidgetItem* artistRow = test::RowNamed(driver.fileList(), "Artist One");
            QVERIFY(artistRow != nullptr);
            Q_EMIT driver.fileList()->itemDoubleClicked(artistRow, 0);
            QTreeWidgetItem* artist = test::ChildNamed(music, "Artist One");
            QVERIFY(artist != nullptr);
            QCOMPARE(tree->currentItem(), artist);
            QCOMPARE(ShownFolder(driver), QString("Current Folder : Music\\Artist One"));
            QCOMPARE(PictureOf(artist->icon(0)), Picture(ui::image::kTreeFolderOpened));
            QCOMPARE(PictureOf(music->icon(0)), Picture(ui::image::kTreeFolderPassed));

            // Collapsing closes a folder.
            music->setExpanded(false);
            QCOMPARE(PictureOf(music->icon(0)), Picture(ui::image::kTreeFolder));
        }
        QVERIFY(image->unchanged());
    }

    void theRightArrowListsTheFolderItExpandsWithItsDeletedFolders() {
        const auto image = test::FixtureImage("fat16");
        {
            WindowDriver driver(*image);
            QVERIFY(RunStandardFat16Search(driver));
            QTreeWidget* tree = driver.tree();
            QTreeWidgetItem* root = tree->topLevelItem(0);
            QTreeWidgetItem* trash = test::ChildNamed(root, "Trash Folder");
            QTreeWidgetItem* music = test::ChildNamed(root, "Music");
            QVERIFY(trash != nullptr && music != nullptr && !trash->isExpanded());
            driver.clickTreeItem(music);
            driver.clickTreeItem(trash);
            QTreeWidgetItem* sub = test::RowNamed(driver.fileList(), "Sub Folder");
            QVERIFY(sub != nullptr);
            QCOMPARE(sub->text(file_col::Type), QString("FOLDER"));  // a click's list

            tree->setFocus();
            QTest::keyClick(tree, Qt::Key_Right);
            QVERIFY(trash->isExpanded());
            QCOMPARE(tree->currentItem(), trash);
            QCOMPARE(ShownFolder(driver), QString("Current Folder : Trash Folder"));
            sub = test::RowNamed(driver.fileList(), "Sub Folder");
            QVERIFY(sub != nullptr);
            QCOMPARE(sub->text(file_col::Type), QString("Deleted FOLDER"));
            // The folder listed before stays passed; the deleted folder keeps
            // its own picture.
            QCOMPARE(PictureOf(music->icon(0)), Picture(ui::image::kTreeFolderPassed));
            QCOMPARE(PictureOf(trash->icon(0)), Picture(ui::image::kTreeDeletedFolder));

            // Expanding another folder without the Right arrow lists nothing new.
            music->setExpanded(true);
            QCOMPARE(ShownFolder(driver), QString("Current Folder : Trash Folder"));
        }
        QVERIFY(image->unchanged());
    }

    void theColonsOfTheDetailsLineUp() {
        QCOMPARE(ui::SplitAtColon("3.   Partition Type  :  ").name, QString("3.   Partition Type"));
        QVERIFY(ui::SplitAtColon("Search Mode : ").colon);
        QVERIFY(!ui::SplitAtColon("Searching from sectors").colon);

        const auto image = test::FixtureImage("fat16");
        {
            WindowDriver driver(*image);
            driver.toPartitionPage("id1064");  // seven rows of different name lengths
            auto* details = driver.find<QTableWidget>("id1105");
            QVERIFY(details->rowCount() >= 5);
            QVERIFY(QTest::qWaitForWindowExposed(&driver.window()));
            const QImage shot = details->viewport()->grab().toImage();
            std::vector<int> colons;
            for (int row = 0; row < details->rowCount(); ++row) {
                QVERIFY(details->item(row, 0)->text().contains(':'));  // the text stays whole
                QRect cell = details->visualRect(details->model()->index(row, 0));
                cell.adjust(0, 1, -2, -1);  // inside the grid lines
                colons.push_back(RightmostInk(shot, cell));
            }
            QVERIFY(colons.front() > 0);
            for (int x : colons) QCOMPARE(x, colons.front());
        }
        QVERIFY(image->unchanged());
    }
};

}  // namespace
}  // namespace datrevo

QTEST_MAIN(datrevo::BrowseWindow)
#include "browse_window_test.moc"
