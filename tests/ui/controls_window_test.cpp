// The custom controls, offscreen: the list's cell-order sort with its heading
// clicks and groups, the striped rows, the picture button's states, the
// progress bar's text and halves, the link and the folder field.
#include <QHeaderView>
#include <QImage>
#include <QSignalSpy>
#include <QTest>
#include <climits>

#include "ui/controls/bitmap_button.h"
#include "ui/controls/color_text.h"
#include "ui/controls/colored_list.h"
#include "ui/controls/folder_control.h"
#include "ui/controls/link_label.h"
#include "ui/controls/text_progress.h"

namespace datrevo {
namespace {

using ui::FolderField;
using ui::LinkLabel;
using ui::PictureButton;
using ui::StripedSortableList;
using ui::TextProgressBar;

QStringList Column(const QTreeWidget& list, int column) {
    QStringList cells;
    for (int i = 0; i < list.topLevelItemCount(); ++i) cells << list.topLevelItem(i)->text(column);
    return cells;
}

// A list with one row per entry of `rows`, each "a|b|..." split into cells.
void Fill(StripedSortableList& list, const QStringList& rows) {
    for (const QString& row : rows) list.addTopLevelItem(new QTreeWidgetItem(row.split('|')));
}

void ClickHeading(StripedSortableList& list, int column) {
    QHeaderView* header = list.header();
    const QPoint at(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                    header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
}

QPixmap Solid(QColor colour, QSize size = QSize(24, 24)) {
    QPixmap pixmap(size);
    pixmap.fill(colour);
    return pixmap;
}

QColor CentreOfPicture(PictureButton& button) {
    const QImage shot = button.grab().toImage();
    return shot.pixelColor(shot.width() / 2, shot.height() / 2);
}

class ControlsWindow : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void numbersSortByValueNotByText() {
        StripedSortableList list;
        list.setColumnCount(1);
        Fill(list, {"100", "9", "10"});
        list.sortRows(0, true);
        QCOMPARE(Column(list, 0), QStringList({"9", "10", "100"}));

        list.clear();
        Fill(list, {"10", "2.5"});
        list.sortRows(0, true);
        QCOMPARE(Column(list, 0), QStringList({"2.5", "10"}));

        list.clear();
        Fill(list, {"10%", "9%"});
        list.sortRows(0, true);
        QCOMPARE(Column(list, 0), QStringList({"9%", "10%"}));
    }

    void headingClicksSortAscendingThenDescendingAndAnotherColumnAscending() {
        StripedSortableList list;
        list.setColumnCount(2);
        list.setHeaderLabels({"Name", "Size"});
        Fill(list, {"b|100", "c|9", "a|10"});
        list.resize(400, 200);
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        QSignalSpy sorted(&list, &StripedSortableList::sorted);

        ClickHeading(list, 0);
        QCOMPARE(Column(list, 0), QStringList({"a", "b", "c"}));
        ClickHeading(list, 0);
        QCOMPARE(Column(list, 0), QStringList({"c", "b", "a"}));
        ClickHeading(list, 1);
        QCOMPARE(Column(list, 1), QStringList({"9", "10", "100"}));
        ClickHeading(list, 0);  // back on the first column: ascending again
        QCOMPARE(Column(list, 0), QStringList({"a", "b", "c"}));

        QCOMPARE(sorted.count(), 4);
        QCOMPARE(sorted.at(0), QVariantList({0, true}));
        QCOMPARE(sorted.at(1), QVariantList({0, false}));
        QCOMPARE(sorted.at(2), QVariantList({1, true}));
        QCOMPARE(sorted.at(3), QVariantList({0, true}));
    }

    void separatorRowsStayAndEachGroupSortsOnItsOwn() {
        StripedSortableList list;
        list.setColumnCount(1);
        list.setGroupSeparator("----");
        Fill(list, {"5", "3", "----", "20", "1", "----", "7"});
        list.sortRows(0, true);
        QCOMPARE(Column(list, 0), QStringList({"3", "5", "----", "1", "20", "----", "7"}));
        list.sortRows(0, false);
        QCOMPARE(Column(list, 0), QStringList({"5", "3", "----", "20", "1", "----", "7"}));
    }

    void refilledRowsSortAsLastTime() {
        StripedSortableList list;
        list.setColumnCount(1);
        Fill(list, {"b", "a"});
        list.resort();  // no sort yet: order kept
        QCOMPARE(Column(list, 0), QStringList({"b", "a"}));
        list.sortRows(0, false);
        list.clear();
        Fill(list, {"1", "3", "2"});
        list.resort();
        QCOMPARE(Column(list, 0), QStringList({"3", "2", "1"}));
    }

    void longListSortsInOnePass() {
        StripedSortableList list;
        list.setColumnCount(1);
        QList<QTreeWidgetItem*> rows;
        for (int i = 50000; i > 0; --i)
            rows << new QTreeWidgetItem(QStringList{QString::number(i)});
        list.addTopLevelItems(rows);
        list.sortRows(0, true);
        QCOMPARE(list.topLevelItem(0)->text(0), QString("1"));
        QCOMPARE(list.topLevelItem(49999)->text(0), QString("50000"));
    }

    void sortingMovesWholeRowsWithTheirStateAndData() {
        StripedSortableList list;
        list.setColumnCount(3);
        Fill(list, {"b|2|x", "a|1|y"});
        QTreeWidgetItem* second = list.topLevelItem(1);
        second->setData(0, Qt::UserRole, 42);
        second->setCheckState(0, Qt::Checked);
        list.setCurrentItem(second);
        list.sortRows(0, true);
        QTreeWidgetItem* first = list.topLevelItem(0);
        QCOMPARE(first->text(1), QString("1"));
        QCOMPARE(first->text(2), QString("y"));
        QCOMPARE(first->data(0, Qt::UserRole).toInt(), 42);
        QCOMPARE(first->checkState(0), Qt::Checked);
        QCOMPARE(list.currentItem(), first);
    }

    void rowsAreStripedLightAndDarkGrey() {
        StripedSortableList list;
        list.setColumnCount(2);
        list.setColumnWidth(0, 40);
        Fill(list, {"a|", "b|", "c|"});
        list.resize(300, 200);
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        list.setCurrentItem(nullptr);
        list.clearSelection();
        const QImage shot = list.viewport()->grab().toImage();
        const QRect row1 = list.visualItemRect(list.topLevelItem(1));
        const QRect row2 = list.visualItemRect(list.topLevelItem(2));
        // Inside the empty second cell of each row.
        QCOMPARE(shot.pixelColor(200, row1.center().y()), QColor(225, 225, 225));
        QCOMPARE(shot.pixelColor(200, row2.center().y()), QColor(249, 249, 249));
    }

    void oneImageShowsInEveryState() {
        PictureButton button;
        button.setBitmaps(Solid(Qt::red));
        button.resize(button.sizeHint());
        QCOMPARE(CentreOfPicture(button), QColor(Qt::red));
        button.setDown(true);
        QCOMPARE(button.currentImageIndex(), 0);
        QCOMPARE(CentreOfPicture(button), QColor(Qt::red));
        button.setDown(false);
        button.setEnabled(false);
        QCOMPARE(button.currentImageIndex(), 0);
        QCOMPARE(CentreOfPicture(button), QColor(Qt::red));
    }

    void threeImagesShowPressedAndDisabledPictures() {
        PictureButton button;
        button.setBitmaps(Solid(Qt::red), Solid(Qt::green), Solid(Qt::blue));
        button.resize(button.sizeHint());
        QCOMPARE(CentreOfPicture(button), QColor(Qt::red));
        button.setDown(true);
        QCOMPARE(CentreOfPicture(button), QColor(Qt::green));
        button.setDown(false);
        button.setEnabled(false);
        QCOMPARE(CentreOfPicture(button), QColor(Qt::blue));
        // Two pictures: no disabled one, so the normal picture stands in.
        button.setBitmaps(Solid(Qt::red), Solid(Qt::green));
        QCOMPARE(button.imageCount(), 2);
        QCOMPARE(CentreOfPicture(button), QColor(Qt::red));
        QCOMPARE(PictureButton::ImageIndexFor(2, true, true), 1);
        QCOMPARE(PictureButton::ImageIndexFor(0, false, true), -1);
    }

    void captionBelowLeavesThePictureWhole() {
        PictureButton button("Load Log");
        button.setBitmaps(Solid(Qt::red, QSize(32, 32)));
        button.setCaptionPlacement(PictureButton::CaptionPlacement::Below);
        const QSize hint = button.sizeHint();
        QVERIFY(hint.height() >= 32 + button.fontMetrics().height());
        QVERIFY(hint.width() >= button.fontMetrics().horizontalAdvance("Load Log"));
    }

    void percentageReadsThePositionWhateverTheWindowText() {
        TextProgressBar bar;
        bar.setWindowText("Scanning");
        bar.setValue(33);
        QCOMPARE(bar.text(), QString("33%"));
        bar.setCaption("Completed ");
        QCOMPARE(bar.text(), QString("Completed 33%"));
        bar.setShowPercent(false);
        QCOMPARE(bar.text(), QString("Scanning"));
    }

    void aTimedBarSaysTheTimeLeftOnceTwoPercentAreDone() {
        TextProgressBar bar;
        bar.setCaption("Completed ");
        std::int64_t now = 0;
        bar.startTiming([&now] { return now; });
        now = 3000;
        bar.setValue(1);
        QCOMPARE(bar.text(), QString("Completed 1%"));  // too early to tell
        now = 6000;
        bar.setValue(2);
        QCOMPARE(bar.text(), QString("Completed 2% - about 5 minutes left"));
        now = 46000;
        bar.setValue(50);
        QCOMPARE(bar.text(), QString("Completed 50% - about 46 seconds left"));
        // The next phase starts again from nothing: so does its clock.
        bar.setValue(0);
        now = 48000;
        bar.setValue(10);
        QCOMPARE(bar.text(), QString("Completed 10% - about 18 seconds left"));
        bar.setValue(100);
        QCOMPARE(bar.text(), QString("Completed 100%"));
        bar.stopTiming();
        bar.setValue(10);
        QCOMPARE(bar.text(), QString("Completed 10%"));
    }

    void percentageRoundsHalfUpAndStaysInRange() {
        QCOMPARE(ui::ProgressPercent(0, 200, 1), 1);  // 0.5
        QCOMPARE(ui::ProgressPercent(0, 8, 1), 13);   // 12.5
        QCOMPARE(ui::ProgressPercent(0, 3, 1), 33);
        QCOMPARE(ui::ProgressPercent(0, 3, 2), 67);
        QCOMPARE(ui::ProgressPercent(10, 20, 15), 50);
        QCOMPARE(ui::ProgressPercent(0, 100, -5), 0);
        QCOMPARE(ui::ProgressPercent(0, 100, 500), 100);
        QCOMPARE(ui::ProgressPercent(5, 5, 5), 0);  // empty range
        QCOMPARE(ui::ProgressPercent(INT_MIN, INT_MAX, INT_MAX), 100);
    }

    void barPaintsFilledAndEmptyPartsInTheirColours() {
        TextProgressBar bar;
        bar.setBarColor(QColor(0, 0, 200));
        bar.setBgColor(QColor(255, 255, 255));
        bar.setTextColor(Qt::black);
        bar.setTextOnBarColor(Qt::white);
        bar.resize(200, 20);
        bar.setValue(50);
        const QImage shot = bar.grab().toImage();
        QCOMPARE(shot.pixelColor(20, 10), QColor(0, 0, 200));
        QCOMPARE(shot.pixelColor(180, 10), QColor(255, 255, 255));
        // The centred text crosses the border: white on the left half,
        // black on the right half.
        bool whiteOnBar = false;
        bool blackOnEmpty = false;
        for (int x = 60; x < 140; ++x)
            for (int y = 3; y < 17; ++y) {
                const QColor pixel = shot.pixelColor(x, y);
                if (x < 99 && pixel.red() > 200 && pixel.blue() > 200) whiteOnBar = true;
                if (x > 101 && pixel.red() < 60 && pixel.blue() < 60) blackOnEmpty = true;
            }
        QVERIFY(whiteOnBar);
        QVERIFY(blackOnEmpty);
    }

    void linkIsBlueWithAHandAndReportsClicks() {
        LinkLabel link("click here.");
        QSignalSpy clicked(&link, &LinkLabel::clicked);
        link.resize(link.sizeHint());
        QCOMPARE(link.cursor().shape(), Qt::PointingHandCursor);
        QCOMPARE(link.palette().color(QPalette::WindowText), QColor(0, 0, 255));
        QTest::mouseClick(&link, Qt::LeftButton);
        QCOMPARE(clicked.count(), 1);
    }

    void colouredTextsKeepTheirColours() {
        ui::ColoredLabel label("Folders Found");
        label.setTextColor(QColor(0, 0, 255));
        label.setBkColor(QColor(244, 251, 254));
        const QImage shot = label.grab().toImage();
        QCOMPARE(shot.pixelColor(shot.width() - 1, 0), QColor(244, 251, 254));
        QCOMPARE(label.textColor(), QColor(0, 0, 255));
        ui::ColoredEdit edit;
        edit.setBkColor(QColor(1, 2, 3));
        QCOMPARE(edit.bkColor(), QColor(1, 2, 3));
    }

    void browseButtonSitsRightOfTheFieldAsHighAsIt() {
        FolderField folder;
        folder.resize(300, 24);
        folder.show();
        QVERIFY(QTest::qWaitForWindowExposed(&folder));
        const QRect field = folder.edit()->geometry();
        const QRect button = folder.browseButton()->geometry();
        QCOMPARE(button.left(), field.right() + 2);  // one pixel between them
        QCOMPARE(button.height(), field.height());
        // As wide as the field's height gives, or as the caption needs.
        QCOMPARE(button.width(),
                 std::max(24 * 8 / 10 + 25, folder.browseButton()->sizeHint().width()));
        QCOMPARE(button.right(), 299);
        QCOMPARE(folder.browseButton()->text(), QString("&Browse"));
        QVERIFY(!folder.browseButton()->toolTip().isEmpty());
    }

    void chosenFolderReplacesTheTextAndIsAnnounced() {
        FolderField folder;
        folder.setText("/tmp/logs");
        QString askedWith;
        std::optional<QString> answer = QString("/media/backup");
        folder.setFolderPicker([&](QWidget*, const QString& initial, const QString&) {
            askedWith = initial;
            return answer;
        });
        QSignalSpy chosen(&folder, &FolderField::folderChosen);
        QTest::mouseClick(folder.browseButton(), Qt::LeftButton);
        QCOMPARE(askedWith, QString("/tmp/logs"));
        QCOMPARE(folder.text(), QString("/media/backup"));
        QCOMPARE(chosen.count(), 1);
        QCOMPARE(chosen.at(0).at(0).toString(), QString("/media/backup"));

        answer.reset();  // cancelled: nothing changes
        QTest::mouseClick(folder.browseButton(), Qt::LeftButton);
        QCOMPARE(folder.text(), QString("/media/backup"));
        QCOMPARE(chosen.count(), 1);
    }
};

}  // namespace
}  // namespace datrevo

QTEST_MAIN(datrevo::ControlsWindow)
#include "controls_window_test.moc"
