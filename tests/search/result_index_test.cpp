// The indexes behind the file list and the save: on every fixture, a
// folder's subfolders and files found through the indexes (folder nodes by
// parent, EntryTable rows by parent) are exactly those a full scan finds, in
// the same order, so an index cannot drop or add a row unnoticed.
#include <gtest/gtest.h>

#include <set>

#include "browse/file_rows.h"
#include "catalogue/catalogue.h"
#include "catalogue/entry_rows.h"
#include "disk/file_source.h"
#include "partition/lost_partition_search.h"
#include "partition/partition_table.h"
#include "search/result_folder_lister.h"
#include "search/search_phases.h"
#include "support/image_fixture.h"
#include "support/recording_observer.h"

namespace datrevo {
namespace {

// The subfolders of a folder by a scan of the whole node list.
std::vector<std::size_t> ScannedChildren(const FolderNodeList& nodes, std::uint32_t number) {
    std::vector<std::size_t> found;
    for (std::size_t i = 0; i < nodes.size(); ++i)
        if (nodes[i].parentNumber == number) found.push_back(i);
    return found;
}

// The EntryTable rows of a folder by a scan of the whole table.
std::vector<int> ScannedRows(const CatalogueTable& entries, std::uint32_t number) {
    std::vector<int> found;
    for (int row = 0; row < entries.count(); ++row)
        if (entries.cellSigned32(row, folder_col::Parent) == static_cast<std::int32_t>(number))
            found.push_back(row);
    return found;
}

// Every fixture image; each is searched on every FAT, NTFS and exFAT partition it lists.
const char* const kFixtures[] = {
    "fat16",        "fat32",          "fat32-reformatted", "fat-two-volumes", "ntfs",
    "ntfs-disk",    "ntfs-links",     "ntfs-compressed",   "mbr-primary",     "mbr-extended",
    "mbr-near-end", "gpt-fat32-ntfs", "mbr-exfat",         "exfat",           "exfat-reformatted"};

class ResultIndex : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        image = test::FixtureImage(GetParam());
        const DiskReader disk(std::make_shared<FileSource>(image->path()), nullptr);
        ListPartitions(disk, image->sizeInBytes() / 512, partitions, nullptr);
        if (partitions.count() == 0) {
            // A table the reader refuses: the partitions the lost-partition search finds.
            CurrentDisk current;
            current.totalSectors64 = image->sizeInBytes() / 512;
            SearchLostPartitions(disk, current, partitions, observer);
        }
    }

    void Search(std::size_t index) {
        context = std::make_unique<RecoveryContext>(observer, prompter);
        context->slots.assign(0, image->path());
        context->currentDisk.totalSectors64 = image->sizeInBytes() / 512;
        context->search = {SearchMode::Standard,
                           0,
                           static_cast<int>(index),
                           partitions.kind(index),
                           "Standard Search",
                           partitions.record(index).firstSector,
                           partitions.record(index).endSector};
        ValidatePartition(*context);
        RunPartitionSearch(*context);
    }

    void CheckEveryFolder(VolumeKind kind);

    test::RecordingObserver observer;
    test::ScriptedPrompter prompter;
    std::unique_ptr<test::ImageCopy> image;
    DiskPartitionList partitions;
    std::unique_ptr<RecoveryContext> context;
};

void ResultIndex::CheckEveryFolder(VolumeKind kind) {
    const bool ntfs = kind == VolumeKind::Ntfs;
    // NTFS and exFAT list their files from EntryTable, FAT from the directories.
    const bool fromEntryTable = ntfs || kind == VolumeKind::Exfat;
    const FolderNodeList& nodes = context->folders.nodes();
    const CatalogueTable& entries = context->catalogue.EntryTable;
    const EntryRowIndex index(entries);

    // Every own number a folder can list: the root's and every node's.
    std::set<std::uint32_t> numbers{ntfs ? kNtfsRootRecord : 0};
    for (const FolderNode& node : nodes) numbers.insert(node.selfNumber);
    for (const std::uint32_t number : numbers) {
        EXPECT_EQ(nodes.childrenOf(number), ScannedChildren(nodes, number)) << number;
        EXPECT_EQ(index.rowsOfParent(static_cast<std::int32_t>(number)),
                  ScannedRows(entries, number))
            << number;
    }
    // The rows of every parent, folders or not, add up to the table.
    std::set<std::int32_t> parents;
    for (int row = 0; row < entries.count(); ++row)
        parents.insert(entries.cellSigned32(row, folder_col::Parent));
    std::size_t indexed = 0;
    for (const std::int32_t parent : parents) indexed += index.rowsOfParent(parent).size();
    EXPECT_EQ(indexed, static_cast<std::size_t>(entries.count()));

    // The list of each folder item: its subfolders as the scan finds them, then its files.
    ResultFolderLister lister(*context);
    std::vector<ItemId> items{context->folders.root()};
    for (const FolderNode& node : nodes) items.push_back(node.treeItem);
    for (const ItemId item : items) {
        const std::vector<FileRow> rows = lister.rows(item);
        const std::vector<std::size_t> shown = nodes.byItem(item);
        const std::uint32_t number =
            shown.empty() ? (ntfs ? kNtfsRootRecord : 0) : nodes[shown.front()].selfNumber;
        const std::vector<std::size_t> children = ScannedChildren(nodes, number);
        ASSERT_GE(rows.size(), children.size());
        for (std::size_t c = 0; c < children.size(); ++c) {
            EXPECT_EQ(rows[c].icon, FileRowIcon::Folder);
            EXPECT_EQ(rows[c][file_col::Name], nodes[children[c]].name);
        }
        if (!fromEntryTable) continue;
        const std::vector<int> files = ScannedRows(entries, number);
        ASSERT_EQ(rows.size(), children.size() + files.size()) << number;
        for (std::size_t f = 0; f < files.size(); ++f) {
            const FileRow& row = rows[children.size() + f];
            EXPECT_EQ(row[file_col::Name], entries.cell(files[f], folder_col::Name));
            EXPECT_EQ(row[file_col::DebugInfo1], entries.cell(files[f], folder_col::Sector));
        }
    }
}

TEST_P(ResultIndex, EveryFolderListsWhatAFullScanFinds) {
    std::size_t searched = 0;
    for (std::size_t i = 0; i < partitions.count(); ++i) {
        const VolumeKind kind = partitions.kind(i);
        if (!IsFatKind(kind) && kind != VolumeKind::Ntfs && kind != VolumeKind::Exfat) continue;
        SCOPED_TRACE("partition " + std::to_string(i + 1) + " " +
                     std::string(VolumeKindText(kind)));
        Search(i);
        ASSERT_NE(context->folders.root(), kNoItem);
        CheckEveryFolder(kind);
        ++searched;
    }
    EXPECT_GT(searched, 0u);
}

INSTANTIATE_TEST_SUITE_P(Fixtures, ResultIndex, ::testing::ValuesIn(kFixtures),
                         [](const auto& test) {
                             std::string name = test.param;
                             for (char& c : name)
                                 if (c == '-') c = '_';
                             return name;
                         });

TEST(EntryRowIndexTest, RowsOfAParentKeepTableOrderAndParseNumbersOnce) {
    CatalogueTable table("EntryTable", {"Name", "sector", "self", "parent", "date", "time", "size",
                                        "attr", "sysID", "Type", "Deleted"});
    const auto add = [&](const char* name, const char* parent, const char* sector) {
        const int row = table.appendRow(name);
        table.setCell(row, folder_col::Parent, parent);
        table.setCell(row, folder_col::Sector, sector);
        table.setCell(row, folder_col::Size, "-7");
    };
    add("a", "64", "100");
    // A loaded log writes parent numbers unsigned, a search may write -1: both
    // texts name the same 32-bit parent, and 4294967294 stays apart from it.
    add("b", "4294967295", "101");
    add("c", "64", "102");
    add("c:zone", "64", "102");
    add("d", "-1", "103");
    add("e", "4294967294", "104");
    const EntryRowIndex index(table);
    EXPECT_EQ(index.rowsOfParent(64), (std::vector<int>{0, 2, 3}));
    EXPECT_EQ(index.rowsOfParent(-1), (std::vector<int>{1, 4}));
    EXPECT_EQ(index.rowsOfParent(-2), std::vector<int>{5});
    EXPECT_TRUE(index.rowsOfParent(INT32_MAX).empty());
    EXPECT_TRUE(index.rowsOfParent(65).empty());
    EXPECT_EQ(index[3].sector, 102);
    EXPECT_EQ(index[0].size, -7);
    EXPECT_TRUE(index.hasRow("102", "c"));
    EXPECT_FALSE(index.hasRow("101", "c"));

    const std::vector<ResultFile> files = EntryTableFiles(table, index, 64);
    ASSERT_EQ(files.size(), 3u);
    EXPECT_FALSE(files[1].stream);
    EXPECT_TRUE(files[2].stream);
    EXPECT_EQ(files[2].streamName, "zone");
    EXPECT_EQ(files[0].size, 0u);  // a negative size cell counts as nothing to copy
    EXPECT_EQ(files[0].sizeText, "-7");
}

}  // namespace
}  // namespace datrevo
