// The index of EntryTable that every file list and save of one result shares
// (NTFS and exFAT results): it is built once however many folders are
// listed, and a list after any change of the table (a row added, a cell
// written, rows removed, a sort, a loaded log, a new search) shows the table
// as it is then, never the rows the index was built from.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "browse/file_rows.h"
#include "catalogue/catalogue.h"
#include "catalogue/entry_rows.h"
#include "disk/file_source.h"
#include "log/recovery_log.h"
#include "partition/partition_table.h"
#include "recovery/result_volume_choice.h"
#include "save/save_plan.h"
#include "save/save_setup.h"
#include "search/result_folder_lister.h"
#include "search/search_phases.h"
#include "support/image_fixture.h"
#include "support/recording_observer.h"

namespace datrevo {
namespace {

namespace fs = std::filesystem;

CatalogueTable MakeEntryTable() {
    return CatalogueTable("EntryTable",
                          {"Name", "sector", "self", "parent", "date", "time", "size", "attr",
                           "sysID", "Type", "Deleted"},
                          true);
}

// An index equal to one freshly built from the table.
void ExpectCurrent(const EntryRowIndex& index, const CatalogueTable& table) {
    const EntryRowIndex fresh(table);
    ASSERT_EQ(index.size(), fresh.size());
    for (std::size_t i = 0; i < fresh.size(); ++i) {
        EXPECT_EQ(index[i].parent, fresh[i].parent) << i;
        EXPECT_EQ(index[i].sector, fresh[i].sector) << i;
    }
    for (const std::int32_t parent : {0, 64, 65, 66})
        EXPECT_EQ(index.rowsOfParent(parent), fresh.rowsOfParent(parent)) << parent;
}

TEST(EntryRowIndexCacheTest, EveryWriterOfTheTableGivesTheNextRequestANewIndex) {
    CatalogueTable table = MakeEntryTable();
    const auto add = [&](const char* name, const char* parent) {
        const int row = table.appendRow(name);
        table.setCell(row, folder_col::Parent, parent);
    };
    add("b", "64");
    add("a", "65");
    add("c", "64");
    EntryRowIndexCache cache(table);
    const auto first = cache.current();
    EXPECT_EQ(first->rowsOfParent(64), (std::vector<int>{0, 2}));

    // Each change on its own, so that a writer that leaves the revision
    // where it was shows here by name.
    CatalogueTable other = MakeEntryTable();
    other.setCell(other.appendRow("x"), folder_col::Parent, "66");
    const std::vector<std::pair<const char*, std::function<void()>>> changes{
        {"setCell", [&] { table.setCell(1, folder_col::Parent, "64"); }},
        {"setUnsigned", [&] { table.setUnsigned(0, folder_col::Parent, 65); }},
        {"setSigned", [&] { table.setSigned(2, folder_col::Parent, 66); }},
        {"appendRow", [&] { table.appendRow("d"); }},
        {"insertRow", [&] { table.insertRow(0, "e"); }},
        {"sortByColumn", [&] { table.sortByColumn(folder_col::Parent, SortOrder::Descending); }},
        {"keepRows",
         [&] {
             table.keepRows({true, false});
         }},
        {"copy assignment", [&] { table = other; }},
        {"move assignment",
         [&] {
             CatalogueTable moved = MakeEntryTable();
             moved.setCell(moved.appendRow("y"), folder_col::Parent, "65");
             table = std::move(moved);
         }},
        {"deleteAll", [&] { table.deleteAll(); }},
    };
    auto previous = first;
    std::uint64_t builds = cache.builds();
    for (const auto& [what, change] : changes) {
        SCOPED_TRACE(what);
        change();
        const auto now = cache.current();
        EXPECT_NE(now, previous);
        EXPECT_EQ(cache.builds(), builds + 1);
        ExpectCurrent(*now, table);
        EXPECT_EQ(cache.current(), now);  // kept until the next change
        previous = now;
        builds = cache.builds();
    }
}

// An assignment brings rows that may have been written as many times as the
// old ones: the revision after it is new all the same.
TEST(EntryRowIndexCacheTest, AnAssignedTableNeverLooksLikeTheOneIndexedBefore) {
    CatalogueTable table = MakeEntryTable();
    table.setCell(table.appendRow("old"), folder_col::Parent, "64");
    CatalogueTable same = MakeEntryTable();
    same.setCell(same.appendRow("new"), folder_col::Parent, "65");
    ASSERT_EQ(same.revision(), table.revision());
    EntryRowIndexCache cache(table);
    EXPECT_EQ(cache.current()->rowsOfParent(64).size(), 1u);
    table = same;
    EXPECT_TRUE(cache.current()->rowsOfParent(64).empty());
    EXPECT_EQ(cache.current()->rowsOfParent(65).size(), 1u);
}

TEST(EntryRowIndexCacheTest, ReadsAndRefusedWritesKeepTheIndex) {
    CatalogueTable table = MakeEntryTable();
    table.setCell(table.appendRow("a"), folder_col::Parent, "64");
    EntryRowIndexCache cache(table);
    const auto first = cache.current();
    EXPECT_EQ(table.findByFirstCell("a"), 0);
    EXPECT_EQ(table.cellSigned32(0, folder_col::Parent), 64);
    table.setCell(5, folder_col::Parent, "65");  // no such row
    table.sortByColumn(99);                      // no such column
    EXPECT_EQ(cache.current(), first);
    EXPECT_EQ(cache.builds(), 1u);
}

// The window's thread and a list or save worker may ask at once: one build,
// one index for both.
TEST(EntryRowIndexCacheTest, RequestsFromTwoThreadsShareOneBuild) {
    CatalogueTable table = MakeEntryTable();
    for (int i = 0; i < 2000; ++i)
        table.setUnsigned(table.appendRow("f" + std::to_string(i)), folder_col::Parent, 64);
    EntryRowIndexCache cache(table);
    std::shared_ptr<const EntryRowIndex> fromWorker;
    std::thread worker([&] { fromWorker = cache.current(); });
    const auto here = cache.current();
    worker.join();
    EXPECT_EQ(here, fromWorker);
    EXPECT_EQ(cache.builds(), 1u);
    EXPECT_EQ(here->rowsOfParent(64).size(), 2000u);
}

// A searched NTFS or exFAT result in a recovery context.
class SharedIndex : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override { context = std::make_unique<RecoveryContext>(observer, prompter); }

    VolumeKind Kind() const {
        return std::string(GetParam()) == "ntfs" ? VolumeKind::Ntfs : VolumeKind::Exfat;
    }

    // Searches the first partition of the kind on the fixture, or the whole
    // image when it has no partition table.
    void Search(RecoveryContext& into, const std::string& fixture, VolumeKind kind) {
        images.push_back(test::FixtureImage(fixture));
        const test::ImageCopy& image = *images.back();
        const std::uint64_t sectors = image.sizeInBytes() / 512;
        into.slots.assign(0, image.path());
        into.currentDisk.totalSectors64 = sectors;
        into.search = {SearchMode::Standard, 0, 0, kind, "Standard Search", 0, sectors};
        DiskPartitionList partitions;
        ListPartitions(DiskReader(std::make_shared<FileSource>(image.path()), nullptr), sectors,
                       partitions, nullptr);
        for (std::size_t i = 0; i < partitions.count(); ++i)
            if (partitions.kind(i) == kind) {
                into.search.partitionIndex = static_cast<int>(i);
                into.search.searchStart = partitions.record(i).firstSector;
                into.search.searchEnd = partitions.record(i).endSector;
                break;
            }
        ValidatePartition(into);
        RunPartitionSearch(into);
        ASSERT_NE(into.folders.root(), kNoItem) << fixture;
    }

    std::uint32_t RootNumber() const { return Kind() == VolumeKind::Ntfs ? kNtfsRootRecord : 0; }

    // A folder's files as the window lists them (a new lister for every list,
    // as the window makes one): name and "Debug Info 1" (the row's sector).
    static std::vector<std::pair<std::string, std::string>> Listed(RecoveryContext& from,
                                                                   ItemId item) {
        std::vector<std::pair<std::string, std::string>> files;
        for (const FileRow& row : ResultFolderLister(from).rows(item))
            if (row.icon != FileRowIcon::Folder)
                files.emplace_back(row[file_col::Name], row[file_col::DebugInfo1]);
        return files;
    }

    // The same found by a scan of the whole table.
    static std::vector<std::pair<std::string, std::string>> Scanned(const RecoveryContext& from,
                                                                    std::uint32_t number) {
        const CatalogueTable& entries = from.catalogue.EntryTable;
        std::vector<std::pair<std::string, std::string>> files;
        for (int row = 0; row < entries.count(); ++row)
            if (entries.cellUnsigned(row, folder_col::Parent) == number)
                files.emplace_back(entries.cell(row, folder_col::Name),
                                   entries.cell(row, folder_col::Sector));
        return files;
    }

    // The root lists what a scan finds, and not what it listed before.
    void ExpectRootFollowsTheTable(const std::vector<std::pair<std::string, std::string>>& before) {
        const auto now = Listed(*context, context->folders.root());
        EXPECT_EQ(now, Scanned(*context, RootNumber()));
        EXPECT_NE(now, before);
    }

    // A row of the root's files that is not a stream (NTFS "name:stream").
    int RootFileRow() const {
        const CatalogueTable& entries = context->catalogue.EntryTable;
        for (int row = 0; row < entries.count(); ++row)
            if (entries.cellUnsigned(row, folder_col::Parent) == RootNumber() &&
                entries.cell(row, folder_col::Name).find(':') == std::string::npos)
                return row;
        return -1;
    }

    test::RecordingObserver observer;
    test::ScriptedPrompter prompter;
    std::vector<std::unique_ptr<test::ImageCopy>> images;
    std::unique_ptr<RecoveryContext> context;
};

TEST_P(SharedIndex, EveryListAndTheSaveOfAResultShareOneBuild) {
    Search(*context, GetParam(), Kind());
    const FolderNodeList& nodes = context->folders.nodes();
    const std::uint64_t before = context->entryIndex.builds();

    // The window: every folder listed, each by a lister of its own.
    std::vector<ItemId> items{context->folders.root()};
    for (const FolderNode& node : nodes) items.push_back(node.treeItem);
    std::size_t files = 0;
    for (const ItemId item : items) {
        const std::vector<std::size_t> shown = nodes.byItem(item);
        const std::uint32_t number = shown.empty() ? RootNumber() : nodes[shown.front()].selfNumber;
        const auto listed = Listed(*context, item);
        EXPECT_EQ(listed, Scanned(*context, number)) << number;
        files += listed.size();
    }
    EXPECT_GT(files, 3u);
    EXPECT_EQ(context->entryIndex.builds(), before + 1);
    // The sources given one by one (the command line's walk) with the shared index.
    FolderListSources sources{context->folders.nodes(),
                              context->catalogue.EntryTable,
                              context->activeLayout.kind,
                              nullptr,
                              {},
                              &context->entryIndex};
    ListFolder(context->folders.root(), sources, {});
    // The save: its plan lists every folder through the result volume.
    const std::shared_ptr<ResultVolume> volume = MakeResultVolume(*context);
    const std::unique_ptr<FolderContents> contents = MakeFolderContents(context->folders, volume);
    SaveSelection all;
    all.everything = true;
    const SavePlan plan = PlanSave(context->folders, *contents, all);
    EXPECT_FALSE(plan.stopped);

    EXPECT_EQ(context->entryIndex.builds(), before + 1);
}

TEST_P(SharedIndex, AListAfterARowIsAddedShowsIt) {
    Search(*context, GetParam(), Kind());
    CatalogueTable& entries = context->catalogue.EntryTable;
    const auto before = Listed(*context, context->folders.root());
    if (Kind() == VolumeKind::Exfat) {
        // A row with no parent cell lies in the root (0) of an exFAT result:
        // the insertion alone must reach the list.
        entries.insertRow(0, "added by the test.txt");
    } else {
        const int row = entries.appendRow("added by the test.txt");
        entries.setUnsigned(row, folder_col::Parent, kNtfsRootRecord);
    }
    ExpectRootFollowsTheTable(before);
}

TEST_P(SharedIndex, AListAfterACellChangesShowsIt) {
    Search(*context, GetParam(), Kind());
    CatalogueTable& entries = context->catalogue.EntryTable;
    const auto before = Listed(*context, context->folders.root());
    const int row = RootFileRow();
    ASSERT_GE(row, 0);
    // Moved into the catch-all folder, as the orphan adoption does.
    entries.setUnsigned(row, folder_col::Parent, kCatchAllNumber);
    ExpectRootFollowsTheTable(before);
}

TEST_P(SharedIndex, AListAfterRowsAreRemovedShowsIt) {
    Search(*context, GetParam(), Kind());
    CatalogueTable& entries = context->catalogue.EntryTable;
    auto before = Listed(*context, context->folders.root());
    const int row = RootFileRow();
    ASSERT_GE(row, 0);
    std::vector<bool> keep(static_cast<std::size_t>(entries.count()), true);
    keep[static_cast<std::size_t>(row)] = false;
    entries.keepRows(keep);
    ExpectRootFollowsTheTable(before);

    before = Listed(*context, context->folders.root());
    entries.deleteAll();
    ExpectRootFollowsTheTable(before);
    EXPECT_TRUE(Listed(*context, context->folders.root()).empty());
}

TEST_P(SharedIndex, AListAfterTheTableIsSortedShowsTheNewOrder) {
    Search(*context, GetParam(), Kind());
    CatalogueTable& entries = context->catalogue.EntryTable;
    const auto before = Listed(*context, context->folders.root());
    ASSERT_GT(before.size(), 1u);
    // By name, the order the listed root files do not have yet.
    auto ascending = before;
    std::sort(ascending.begin(), ascending.end());
    entries.sortByColumn(folder_col::Name,
                         ascending == before ? SortOrder::Descending : SortOrder::Ascending);
    ExpectRootFollowsTheTable(before);
}

TEST_P(SharedIndex, AListAfterALogIsLoadedShowsTheLoggedRows) {
    // The log of the same result with one root file less.
    RecoveryContext logged(observer, prompter);
    Search(logged, GetParam(), Kind());
    CatalogueTable& loggedEntries = logged.catalogue.EntryTable;
    std::vector<bool> keep(static_cast<std::size_t>(loggedEntries.count()), true);
    for (int row = 0; row < loggedEntries.count(); ++row)
        if (loggedEntries.cellUnsigned(row, folder_col::Parent) == RootNumber() &&
            loggedEntries.cell(row, folder_col::Name).find(':') == std::string::npos) {
            keep[static_cast<std::size_t>(row)] = false;
            break;
        }
    loggedEntries.keepRows(keep);
    const fs::path dir = test::MakeTempDir("index-log");
    ASSERT_TRUE(SaveRecoveryLog(dir / "result.mpd", logged, prompter));

    Search(*context, GetParam(), Kind());
    const auto before = Listed(*context, context->folders.root());
    ASSERT_EQ(LoadRecoveryLog(dir / "result.mpd", *context, prompter), LogLoadOutcome::Loaded);
    ExpectRootFollowsTheTable(before);
    EXPECT_EQ(Listed(*context, context->folders.root()), Scanned(logged, RootNumber()));
    fs::remove_all(dir);
}

TEST_P(SharedIndex, AListAfterANewSearchShowsItsResult) {
    Search(*context, GetParam(), Kind());
    auto before = Listed(*context, context->folders.root());
    // Another volume searched in the same context, then one of the other kind.
    const bool ntfs = Kind() == VolumeKind::Ntfs;
    Search(*context, ntfs ? "ntfs-links" : "exfat-reformatted", Kind());
    ExpectRootFollowsTheTable(before);
    before = Listed(*context, context->folders.root());
    Search(*context, ntfs ? "exfat" : "ntfs", ntfs ? VolumeKind::Exfat : VolumeKind::Ntfs);
    const std::uint32_t root = ntfs ? 0 : kNtfsRootRecord;
    const auto now = Listed(*context, context->folders.root());
    EXPECT_EQ(now, Scanned(*context, root));
    EXPECT_NE(now, before);
}

INSTANTIATE_TEST_SUITE_P(Results, SharedIndex, ::testing::Values("ntfs", "exfat"));

}  // namespace
}  // namespace datrevo
