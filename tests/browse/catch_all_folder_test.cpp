// The catch-all folder "Miscellaneous_001": listed only when it holds a
// folder or a file, and dated with the time of the search.
#include <gtest/gtest.h>

#include <ctime>

#include "browse/build_folder_tree.h"
#include "browse/catch_all_folder.h"
#include "browse/date_texts.h"
#include "browse/folder_row_tree.h"
#include "catalogue/catalogue.h"
#include "fat/folder_rows.h"
#include "ntfs/catalogue_rows.h"

namespace datrevo {
namespace {

void Folder(CatalogueTable& table, const std::string& name, std::uint32_t self,
            std::uint32_t parent) {
    const int row = table.appendRow(name);
    table.setUnsigned(row, folder_col::Self, self);
    table.setUnsigned(row, folder_col::Parent, parent);
    table.setCell(row, folder_col::Date, "0");
    table.setCell(row, folder_col::Time, "0");
    table.setCell(row, folder_col::Type, kTypeFolder);
}

std::vector<std::string> Paths(const FolderTree& tree) {
    std::vector<std::string> paths;
    for (const FolderNode& node : tree.nodes()) paths.push_back(tree.FolderPath(node.treeItem));
    return paths;
}

FolderTree BuildFat(CatalogueTable& table) {
    table.sortByColumn(folder_col::Parent);
    FolderTree tree;
    tree.createStage(kStageResults, 0);
    FolderRowTreeOptions options;
    options.fatWordTimes = true;
    BuildTreeFromFolderRows(table, tree, options);
    return tree;
}

TEST(CatchAllFolder, AVolumeWhoseFoldersAllReachTheRootListsNoCatchAllFolder) {
    Catalogue catalogue;
    CatalogueTable& table = catalogue.FolderTable;
    InsertCatchAllRow(table, 0);
    Folder(table, "Music", 10, 0);
    Folder(table, "Album", 11, 10);
    EXPECT_EQ(Paths(BuildFat(table)), (std::vector<std::string>{"Music", "Music\\Album"}));

    Catalogue empty;
    InsertCatchAllRow(empty.FolderTable, 0);
    const FolderTree nothing = BuildFat(empty.FolderTable);
    EXPECT_TRUE(nothing.nodes().empty()) << "an empty volume: the root alone";
    EXPECT_NE(nothing.root(), kNoItem);
}

TEST(CatchAllFolder, AFolderWhoseParentIsGoneKeepsTheCatchAllFolderInItsPlace) {
    Catalogue catalogue;
    CatalogueTable& table = catalogue.FolderTable;
    InsertCatchAllRow(table, 0);
    Folder(table, "Music", 10, 0);
    Folder(table, "Lost", 30, kCatchAllNumber);
    EXPECT_EQ(Paths(BuildFat(table)),
              (std::vector<std::string>{"Miscellaneous_001", "Music", "Miscellaneous_001\\Lost"}));
}

TEST(CatchAllFolder, FoldersThatLoopAmongThemselvesKeepTheCatchAllFolder) {
    Catalogue catalogue;
    CatalogueTable& table = catalogue.FolderTable;
    InsertCatchAllRow(table, 0);
    Folder(table, "Ping", 20, 21);
    Folder(table, "Pong", 21, 20);
    const auto paths = Paths(BuildFat(table));
    ASSERT_EQ(paths.size(), 3u);
    EXPECT_EQ(paths[0], "Miscellaneous_001");
}

TEST(CatchAllFolder, NtfsFilesWhoseFolderIsGoneListTheCatchAllFolder) {
    Catalogue catalogue;
    Folder(catalogue.FolderTable, "Docs", 40, kNtfsRootRecord);
    AppendNtfsCatchAllRow(catalogue.FolderTable);  // last, as the search appends it
    CatalogueTable& entries = catalogue.EntryTable;
    const int file = entries.appendRow("orphan.txt");
    entries.setUnsigned(file, folder_col::Parent, 41);

    CatalogueTable folders = catalogue.FolderTable;
    folders.sortByColumn(folder_col::Parent);
    FolderTree tree;
    tree.createStage(kStageResults, 0);
    BuildFolderTree(folders, tree, SilentObserver(), AnyRowUnderCatchAll(entries));
    EXPECT_EQ(Paths(tree), (std::vector<std::string>{"Docs"})) << "the file is not adopted yet";
    EXPECT_FALSE(ListCatchAllFolderForFiles(tree, entries, 0));

    entries.setUnsigned(file, folder_col::Parent, kCatchAllNumber);  // adopted
    EXPECT_TRUE(ListCatchAllFolderForFiles(tree, entries, 132000000000000000u));
    EXPECT_FALSE(ListCatchAllFolderForFiles(tree, entries, 0)) << "listed once";
    EXPECT_EQ(Paths(tree), (std::vector<std::string>{"Docs", "Miscellaneous_001"}));
    EXPECT_EQ(tree.nodes()[1].selfNumber, kCatchAllNumber);
    EXPECT_EQ(tree.nodes()[1].parentNumber, kNtfsRootRecord);
    EXPECT_EQ(tree.nodes()[1].dateValue, 132000000000000000u);

    // A loaded log knows its adopted files before the tree is built.
    CatalogueTable again = catalogue.FolderTable;
    again.sortByColumn(folder_col::Parent);
    FolderTree loaded;
    loaded.createStage(kStageResults, 0);
    BuildFolderTree(again, loaded, SilentObserver(), AnyRowUnderCatchAll(entries));
    EXPECT_EQ(Paths(loaded), (std::vector<std::string>{"Docs", "Miscellaneous_001"}));
}

TEST(CatchAllFolder, IsDatedWithTheTimeOfTheSearch) {
    const std::time_t before = std::time(nullptr);
    Catalogue fat;
    InsertCatchAllRow(fat.FolderTable, 0);
    Catalogue ntfs;
    AppendNtfsCatchAllRow(ntfs.FolderTable);
    const std::time_t after = std::time(nullptr);

    const auto fatDate =
        static_cast<std::uint16_t>(fat.FolderTable.cellSigned64(0, folder_col::Date));
    std::tm local{};
    localtime_r(&after, &local);
    EXPECT_EQ(FatDateText(fatDate), FatDateText(FatWordsOf(local).date));
    EXPECT_NE(FatDateText(fatDate), "00-ERR-1980");

    const auto fileTime =
        static_cast<std::uint64_t>(ntfs.FolderTable.cellSigned64(0, folder_col::Date));
    EXPECT_GE(fileTime, FileTimeOf(before));
    EXPECT_LE(fileTime, FileTimeOf(after));
    EXPECT_EQ(ntfs.FolderTable.cell(0, folder_col::Name), kCatchAllName);
}

TEST(CatchAllFolder, DateConversions) {
    std::tm local{};
    local.tm_year = 2026 - 1900;
    local.tm_mon = 11;
    local.tm_mday = 8;
    local.tm_hour = 14;
    local.tm_min = 7;
    local.tm_sec = 31;
    const FatDateTimeWords words = FatWordsOf(local);
    EXPECT_EQ(FatDateText(words.date), "08-DEC-2026");
    EXPECT_EQ(FatTimeText(words.time), "14:07");
    local.tm_year = 1970 - 1900;
    EXPECT_EQ(FatDateText(FatWordsOf(local).date), "08-DEC-1980") << "clamped to FAT's first year";
    EXPECT_EQ(NtfsDateText(FileTimeOf(0)), "1-JAN-1970");
    EXPECT_EQ(FileTimeOf(-11644473600 - 1), 0u);
}

}  // namespace
}  // namespace datrevo
