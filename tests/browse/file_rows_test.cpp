#include <gtest/gtest.h>

#include "browse/file_rows.h"
#include "browse/folder_tree.h"
#include "browse/open_row.h"
#include "catalogue/catalogue.h"

namespace datrevo {
namespace {

class FakeFatFolders : public FatFolderReader {
public:
    std::vector<FatFileEntry> readFolder(std::uint32_t firstCluster, std::stop_token) override {
        requested.push_back(firstCluster);
        return entries;
    }
    std::vector<FatFileEntry> entries;
    std::vector<std::uint32_t> requested;
};

constexpr std::uint16_t kMarch5th2009 = (29 << 9) | (3 << 5) | 5;
constexpr std::uint16_t kSevenPastTwo = (14 << 11) | (7 << 5);

class FatFolderList : public ::testing::Test {
protected:
    void SetUp() override {
        root = tree.createStage(kStageResults, 0);
        misc = tree.InsertFolderItem(root, kCatchAllName, kCatchAllNumber, 0, 0, 0, false);
        docs = tree.InsertFolderItem(root, "DOCS", 3, 0, kMarch5th2009, kSevenPastTwo, true);
        inner = tree.InsertFolderItem(docs, "INNER", 4, 3, 0, 0, false);
        tree.InsertFolderItem(misc, "LOST", 9, kCatchAllNumber, 0, 0, false);
        reader.entries = {
            {"REPORT.DOC", FatEntryType::File, 1234, kMarch5th2009, kSevenPastTwo, 12, false},
            {"SUBDIR", FatEntryType::Folder, 0, 0, 0, 4, false},
            {"_EPORT.TXT", FatEntryType::File, 7, 0, 0, 13, true},
            {"archive.zip", FatEntryType::File, 4000000000u, 0, 0, 0, false},
        };
    }
    FolderListSources sources(VolumeKind kind) {
        FolderListSources s{tree.nodes(), catalogue.EntryTable, kind, &reader, nullptr};
        s.nameChildFolders = [this](FolderNode& node) { named.push_back(node.name); };
        return s;
    }

    FolderTree tree;
    Catalogue catalogue;
    FakeFatFolders reader;
    std::vector<std::string> named;
    ItemId root = 0, misc = 0, docs = 0, inner = 0;
};

TEST_F(FatFolderList, RootListsFoldersThenFiles) {
    auto s = sources(VolumeKind::Fat32);
    const std::vector<FileRow> rows = ListFolder(root, s, {});
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows[0][file_col::Name], kCatchAllName);
    EXPECT_EQ(rows[0][file_col::DebugInfo1], "268435455");
    EXPECT_EQ(rows[0][file_col::DebugInfo2], "0");
    EXPECT_EQ(rows[0][file_col::DebugInfo3], std::to_string(misc));
    EXPECT_EQ(rows[0].icon, FileRowIcon::Folder);

    const FileRow& folder = rows[1];
    EXPECT_EQ(folder[file_col::Type], "FOLDER");
    EXPECT_EQ(folder[file_col::Size], "0");
    EXPECT_EQ(folder[file_col::Date], "05-MAR-2009");
    EXPECT_EQ(folder[file_col::Time], "14:07");
    EXPECT_TRUE(folder.deleted);

    EXPECT_EQ(reader.requested, std::vector<std::uint32_t>{0});
    EXPECT_EQ(rows[2][file_col::Name], "REPORT.DOC");
    EXPECT_EQ(rows[2][file_col::Type], "Microsoft Word File");
    EXPECT_EQ(rows[2][file_col::Size], "1234");
    EXPECT_EQ(rows[2][file_col::DebugInfo1], "12");
    EXPECT_EQ(rows[2][file_col::DebugInfo2], "");
    EXPECT_EQ(rows[3][file_col::Name], "_EPORT.TXT");
    EXPECT_TRUE(rows[3].deleted);
    EXPECT_EQ(rows[4][file_col::Size], "4000000000");
    // The FAT32 root lists like a subfolder: no Winzip name there.
    EXPECT_EQ(rows[4][file_col::Type], "Compressed File");
    EXPECT_TRUE(named.empty());  // the root has no node to name children for
}

TEST_F(FatFolderList, Fat16RootFilesGetTheRootTypeNames) {
    auto s = sources(VolumeKind::Fat16);
    const std::vector<FileRow> rows = ListFolder(root, s, {});
    EXPECT_EQ(rows.back()[file_col::Type], "Winzip File");
    const std::vector<FileRow> inFolder = ListFolder(inner, s, {});
    EXPECT_EQ(inFolder.back()[file_col::Type], "Compressed File");
}

TEST_F(FatFolderList, DeletionPassesDownToSubfolders) {
    auto s = sources(VolumeKind::Fat32);
    EXPECT_FALSE(tree.nodes()[2].deleted);
    const std::vector<FileRow> rows = ListFolder(docs, s, {});
    ASSERT_GE(rows.size(), 1u);
    EXPECT_EQ(rows[0][file_col::Name], "INNER");
    EXPECT_TRUE(rows[0].deleted);
    EXPECT_TRUE(tree.nodes()[2].deleted);
    EXPECT_EQ(reader.requested, std::vector<std::uint32_t>{3});
    EXPECT_EQ(named, std::vector<std::string>{"DOCS"});
}

TEST_F(FatFolderList, CatchAllFolderListsSubfoldersOnlyWithTheCurrentDate) {
    auto s = sources(VolumeKind::Fat32);
    FolderRowStyle style;
    std::tm now{};
    now.tm_year = 126;
    now.tm_mon = 11;
    now.tm_mday = 6;
    now.tm_hour = 14;
    now.tm_min = 7;
    style.catchAllNow = now;
    const std::vector<FileRow> rows = ListFolder(misc, s, style);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][file_col::Name], "LOST");
    EXPECT_TRUE(reader.requested.empty());
    EXPECT_TRUE(named.empty());

    const std::vector<FileRow> rootRows = ListFolder(root, s, style);
    EXPECT_EQ(rootRows[0][file_col::Date], "06-Dec-2026");
    EXPECT_EQ(rootRows[0][file_col::Time], "14:07");
    EXPECT_EQ(rootRows[1][file_col::Date], "05-MAR-2009");
}

TEST_F(FatFolderList, ExpandingFillTypesDeletedFolders) {
    auto s = sources(VolumeKind::Fat32);
    FolderRowStyle style;
    style.deletedFolderType = true;
    const std::vector<FileRow> rows = ListFolder(root, s, style);
    EXPECT_EQ(rows[0][file_col::Type], "FOLDER");
    EXPECT_EQ(rows[1][file_col::Type], "Deleted FOLDER");
}

TEST_F(FatFolderList, OpenOnAFolderRowOpensItsTreeItem) {
    auto s = sources(VolumeKind::Fat32);
    std::vector<FileRow> rows = ListFolder(docs, s, {});
    ASSERT_EQ(rows[0][file_col::Name], "INNER");
    const OpenTarget target = ClassifyOpen(rows[0]);
    ASSERT_EQ(target.kind, OpenTarget::Kind::Folder);
    EXPECT_EQ(target.folderItem, inner);

    ItemId current = kNoItem;
    EXPECT_EQ(OpenFolderItem(tree, target.folderItem, current), "DOCS\\INNER");
    EXPECT_EQ(current, inner);
    EXPECT_EQ(tree.model().item(inner).image, kImageFolderOpened);
    EXPECT_EQ(tree.model().item(docs).image, kImageFolderPassed);
    EXPECT_TRUE(tree.model().item(docs).expanded);

    // A folder below the root leaves the root's image alone.
    OpenFolderItem(tree, docs, current);
    EXPECT_EQ(tree.model().item(root).image, kImageComputer);

    rows[0][file_col::Type] = " Deleted FOLDER ";
    EXPECT_EQ(ClassifyOpen(rows[0]).kind, OpenTarget::Kind::Folder);
    rows[0][file_col::Type] = "  ";
    EXPECT_EQ(ClassifyOpen(rows[0]).kind, OpenTarget::Kind::Nothing);
    rows[0][file_col::Type] = "Text file";
    EXPECT_EQ(ClassifyOpen(rows[0]).kind, OpenTarget::Kind::File);
    EXPECT_EQ(OpenFolderItem(tree, 9999, current), "");
}

TEST(NtfsFolderList, FilesComeFromEntryTable) {
    FolderTree tree;
    const ItemId root = tree.createStage(kStageResults, 0);
    const std::uint64_t filetime = 128807356230000000ull;  // 5 March 2009, 14:07:03
    const ItemId docs = tree.InsertFolderItem(root, "Documents", 64, 5, filetime, 0, false);
    Catalogue catalogue;
    CatalogueTable& entries = catalogue.EntryTable;
    const auto addFile = [&](const char* name, const char* parent, const char* deleted) {
        const int row = entries.appendRow(name);
        entries.setCell(row, folder_col::Sector, "6291700");
        entries.setCell(row, folder_col::Self, "80");
        entries.setCell(row, folder_col::Parent, parent);
        entries.setCell(row, folder_col::Date, std::to_string(filetime));
        entries.setCell(row, folder_col::Size, "3000000000");
        entries.setCell(row, folder_col::Deleted, deleted);
        entries.setCell(row, folder_col::Type, "FILE");
    };
    addFile("report.doc", "64", "0");
    addFile("root.zip", "5", "1");
    addFile("other.txt", "65", "0");

    FolderListSources sources{tree.nodes(), entries, VolumeKind::Ntfs, nullptr, nullptr};
    const std::vector<FileRow> rootRows = ListFolder(root, sources, {});
    ASSERT_EQ(rootRows.size(), 2u);
    EXPECT_EQ(rootRows[0][file_col::Name], "Documents");
    EXPECT_EQ(rootRows[0][file_col::Date], "5-MAR-2009");
    EXPECT_EQ(rootRows[0][file_col::Time], "14:7:3");
    EXPECT_EQ(rootRows[0][file_col::DebugInfo3], std::to_string(docs));
    EXPECT_EQ(rootRows[1][file_col::Name], "root.zip");
    EXPECT_EQ(rootRows[1][file_col::Type], "Winzip File");
    EXPECT_TRUE(rootRows[1].deleted);

    const std::vector<FileRow> rows = ListFolder(docs, sources, {});
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][file_col::Size], "3000000000");
    EXPECT_EQ(rows[0][file_col::Date], "5-MAR-2009");
    EXPECT_EQ(rows[0][file_col::DebugInfo1], "6291700");
    EXPECT_EQ(rows[0][file_col::DebugInfo2], "64");
    EXPECT_EQ(rows[0][file_col::DebugInfo3], "80");
    EXPECT_FALSE(rows[0].deleted);
}

}  // namespace
}  // namespace datrevo
