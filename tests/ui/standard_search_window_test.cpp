// The real window, offscreen, through a Standard FAT search on a test image:
// the texts the user sees on each page, Back, and the folder list.
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTest>
#include <QTreeWidget>

#include "search/notices.h"
#include "support/image_fixture.h"
#include "support/recording_observer.h"
#include "ui/main_window.h"

namespace datrevo {
namespace {

template <typename Widget>
Widget* Find(ui::MainWindow& window, const char* name) {
    auto* widget = window.findChild<Widget*>(name);
    if (widget == nullptr) qFatal("no control %s", name);
    return widget;
}

QTreeWidgetItem* ChildNamed(QTreeWidgetItem* parent, const QString& text) {
    for (int i = 0; i < parent->childCount(); ++i)
        if (parent->child(i)->text(0) == text) return parent->child(i);
    return nullptr;
}

class StandardSearchWindow : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void standardFatSearchShowsTheFoldersFound() {
        const auto image = test::FixtureImage("fat16");
        const auto sysRoot = test::MakeTempDir("window-sys");
        test::ScriptedPrompter prompter;
        {
            ui::MainWindow window({image->path()});
            window.setPrompter(&prompter);
            window.wizard().context().inventoryOptions.root = sysRoot;
            window.wizard().refreshList();  // only the image
            window.show();
            auto* guide = Find<QLabel>(window, "id1116");
            auto* next = Find<QPushButton>(window, "id1058");
            auto* back = Find<QPushButton>(window, "id1059");
            auto* tree = Find<QTreeWidget>(window, "tree");
            QCOMPARE(guide->text().toStdString(), std::string(ui::kGuideDiskPage));
            QVERIFY(!next->isEnabled());

            QCOMPARE(tree->topLevelItem(0)->text(0), QString("My Computer"));
            QCOMPARE(tree->topLevelItem(0)->childCount(), 1);
            QTreeWidgetItem* device = tree->topLevelItem(0)->child(0);
            tree->setCurrentItem(device);
            Q_EMIT tree->itemClicked(device, 0);
            QTest::mouseClick(Find<QRadioButton>(window, "id1064"), Qt::LeftButton);
            QVERIFY(next->isEnabled());
            QTest::mouseClick(next, Qt::LeftButton);
            QCOMPARE(guide->text().toStdString(), std::string(ui::kGuidePartitionPage));
            QCOMPARE(Find<QLabel>(window, "id1068")->text(), QString("Standard Search"));
            QVERIFY(back->isEnabled());

            QTest::mouseClick(next, Qt::LeftButton);
            QCOMPARE(guide->text().toStdString(), std::string(ui::kGuideSearching));
            QTRY_VERIFY_WITH_TIMEOUT(window.wizard().resultReady(), 120000);
            QCOMPARE(guide->text().toStdString(), std::string(kGuideStandardDone));
            QVERIFY(Find<QPushButton>(window, "id1106")->isEnabled());  // "Save Log"

            QTreeWidgetItem* root = tree->topLevelItem(0);
            QCOMPARE(root->text(0), QString("Root"));
            QTreeWidgetItem* music = ChildNamed(root, "Music");
            QVERIFY(music != nullptr);
            QCOMPARE(music->checkState(0), Qt::Unchecked);
            music->setCheckState(0, Qt::Checked);  // the box, as a click sets it
            QCOMPARE(music->checkState(0), Qt::Checked);
            QCOMPARE(root->checkState(0), Qt::PartiallyChecked);

            Q_EMIT tree->itemClicked(music, 0);
            auto* list = Find<QTreeWidget>(window, "id1150");
            QCOMPARE(Find<QLabel>(window, "id1093")->text(), QString("Current Folder : Music"));
            QVERIFY(list->topLevelItemCount() >= 2);  // "Artist One", "Café del Mar"
            QCOMPARE(list->headerItem()->text(0), QString("Name"));
            QVERIFY(list->isColumnHidden(5));

            QTest::mouseClick(back, Qt::LeftButton);
            QCOMPARE(guide->text().toStdString(), std::string(ui::kGuidePartitionPage));
            QTest::mouseClick(back, Qt::LeftButton);
            QCOMPARE(guide->text().toStdString(), std::string(ui::kGuideDiskPage));
            QVERIFY(prompter.messages.empty());
        }
        std::filesystem::remove_all(sysRoot);
        QVERIFY(image->unchanged());
    }
};

}  // namespace
}  // namespace datrevo

QTEST_MAIN(datrevo::StandardSearchWindow)
#include "standard_search_window_test.moc"
