// The tree built from folder rows, as the FAT searches and a loaded FAT log
// build it (root number 0): loops, the catch-all folder, stopping.
#include <gtest/gtest.h>

#include <algorithm>

#include "browse/folder_row_tree.h"
#include "catalogue/catalogue.h"

namespace datrevo {
namespace {

void Folder(CatalogueTable& table, const std::string& name, std::uint32_t self,
            std::uint32_t parent, const std::string& date = "0") {
    const int row = table.appendRow(name);
    table.setUnsigned(row, folder_col::Self, self);
    table.setUnsigned(row, folder_col::Parent, parent);
    table.setCell(row, folder_col::Date, date);
    table.setCell(row, folder_col::Time, "0");
    table.setCell(row, folder_col::Type, kTypeFolder);
}

const FolderNode* NodeNamed(const FolderTree& tree, const std::string& path) {
    for (const FolderNode& node : tree.nodes())
        if (tree.FolderPath(node.treeItem) == path) return &node;
    return nullptr;
}

struct Built {
    FolderTree tree;
    bool finished = false;
};

Built Build(CatalogueTable& table, FolderRowTreeOptions options = {}) {
    table.sortByColumn(folder_col::Parent);
    Built built;
    built.tree.createStage(kStageResults, 0);
    built.finished = BuildTreeFromFolderRows(table, built.tree, options);
    return built;
}

TEST(FolderRowTree, LoopedFoldersJoinTheCatchAllFolderAsItsChildren) {
    Catalogue catalogue;
    CatalogueTable& table = catalogue.FolderTable;
    Folder(table, kCatchAllName, kCatchAllNumber, 0);
    Folder(table, "Music", 10, 0);
    Folder(table, "Album", 11, 10);
    Folder(table, "Ping", 20, 21);  // two folders naming each other
    Folder(table, "Pong", 21, 20);
    Folder(table, "Self", 30, 30);  // its own parent
    Folder(table, "", 31, 30);
    const Built built = Build(table);
    ASSERT_TRUE(built.finished);
    EXPECT_EQ(built.tree.nodes().size(), 7u);
    EXPECT_NE(NodeNamed(built.tree, "Music\\Album"), nullptr);
    const std::string misc = std::string(kCatchAllName) + "\\";
    // The first looped row in the table (sorted by parent) goes first.
    const FolderNode* pong = NodeNamed(built.tree, misc + "Pong");
    ASSERT_NE(pong, nullptr);
    // The file list of the catch-all folder lists its subfolders by their
    // parent number: a rescued folder takes the catch-all's.
    EXPECT_EQ(pong->parentNumber, kCatchAllNumber);
    EXPECT_NE(NodeNamed(built.tree, misc + "Pong\\Ping"), nullptr);
    EXPECT_NE(NodeNamed(built.tree, misc + "Self\\DIR_1"), nullptr);
}

TEST(FolderRowTree, WithoutCatchAllFolderLoopedFoldersAreLeftOut) {
    Catalogue catalogue;
    CatalogueTable& table = catalogue.FolderTable;
    Folder(table, "Music", 10, 0);
    Folder(table, "Ping", 20, 21);
    Folder(table, "Pong", 21, 20);
    const Built built = Build(table);
    ASSERT_EQ(built.tree.nodes().size(), 1u);
    EXPECT_EQ(built.tree.FolderPath(built.tree.nodes()[0].treeItem), "Music");
}

TEST(FolderRowTree, NtfsRootRecordIsNotAFolderOfItself) {
    Catalogue catalogue;
    CatalogueTable& table = catalogue.FolderTable;
    Folder(table, ".", kNtfsRootRecord, kNtfsRootRecord);
    Folder(table, "Docs", 40, kNtfsRootRecord);
    FolderRowTreeOptions options;
    options.rootNumber = kNtfsRootRecord;
    const Built built = Build(table, options);
    ASSERT_EQ(built.tree.nodes().size(), 1u);
    EXPECT_EQ(built.tree.nodes()[0].parentNumber, kNtfsRootRecord);
}

TEST(FolderRowTree, FatWordTimesCutDamagedDatesToSixteenBits) {
    Catalogue catalogue;
    CatalogueTable& table = catalogue.FolderTable;
    Folder(table, "Old", 10, 0, std::to_string(0x12345678));
    FolderRowTreeOptions options;
    options.fatWordTimes = true;
    const Built built = Build(table, options);
    ASSERT_EQ(built.tree.nodes().size(), 1u);
    EXPECT_EQ(built.tree.nodes()[0].dateValue, 0x5678u);
}

TEST(FolderRowTree, StopEndsTheWalkWithTheRootsFolders) {
    Catalogue catalogue;
    CatalogueTable& table = catalogue.FolderTable;
    Folder(table, "A", 10, 0);
    Folder(table, "B", 11, 10);
    std::stop_source stop;
    stop.request_stop();
    FolderRowTreeOptions options;
    options.stop = stop.get_token();
    const Built built = Build(table, options);
    EXPECT_FALSE(built.finished);
    EXPECT_EQ(built.tree.nodes().size(), 1u);
}

TEST(CatalogueTable, KeepRowsKeepsOrderAndEveryCell) {
    CatalogueTable table("T", {"a", "b"});
    for (const char* text : {"1", "2", "3", "4"}) table.setCell(table.appendRow(text), 1, text);
    table.keepRows({true, false, true});  // row 3 has no flag: kept
    ASSERT_EQ(table.count(), 3);
    EXPECT_EQ(table.cell(0, 1), "1");
    EXPECT_EQ(table.cell(1, 1), "3");
    EXPECT_EQ(table.cell(2, 1), "4");
    EXPECT_EQ(table.findByFirstCell("4"), 2);
}

}  // namespace
}  // namespace datrevo
