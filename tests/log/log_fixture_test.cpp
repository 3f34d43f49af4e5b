#include <gtest/gtest.h>

#include "fat/fat_folder_reader.h"
#include "browse/file_rows.h"
#include "disk/file_source.h"
#include "fat/fat_standard_search.h"
#include "fat/fat_volume_layout.h"
#include "fat/folder_naming.h"
#include "log/recovery_log.h"
#include "support/image_fixture.h"
#include "support/recording_observer.h"

namespace datrevo {
namespace {

namespace fs = std::filesystem;

struct Session {
    Session() : context(observer, prompter) { context.currentDisk.modelText = "Test Image Disk"; }
    test::RecordingObserver observer;
    test::ScriptedPrompter prompter;
    RecoveryContext context;
};

// Every folder's list, the root's first, as the file list shows it.
std::vector<std::vector<FileRow>> AllListings(RecoveryContext& context, const DiskReader& disk) {
    DiskFatFolderReader reader(disk, context.activeLayout);
    FolderListSources sources{context.folders.nodes(), context.catalogue.EntryTable,
                              context.activeLayout.kind, &reader, nullptr};
    std::vector<std::vector<FileRow>> listings{ListFolder(context.folders.root(), sources, {})};
    for (std::size_t i = 0; i < context.folders.nodes().size(); ++i)
        listings.push_back(ListFolder(context.folders.nodes()[i].treeItem, sources, {}));
    return listings;
}

class LogOfARealSearch : public ::testing::TestWithParam<std::pair<const char*, const char*>> {};

TEST_P(LogOfARealSearch, LoadedLogListsLikeTheSearch) {
    const auto [image, kind] = GetParam();
    const auto copy = test::FixtureImage(image);
    const DiskReader disk(std::make_shared<FileSource>(copy->path()), nullptr);

    Session searched;
    RecoveryContext& context = searched.context;
    context.search.partitionKind = VolumeKindFromText(kind);
    context.search.searchModeText = "Standard Search";
    context.search.searchEnd = copy->sizeInBytes() / 512;
    context.bootRecordValid =
        ReadFatBootLayout(disk, 0, context.search.partitionKind, context.partitionLayout);
    context.folders.createStage(kStageResults, 0);
    FatSearchState state;
    FatSearchScope scope{disk,
                         context.partitionLayout,
                         context.activeLayout,
                         context.catalogue,
                         context.folders,
                         state,
                         context.observer,
                         context.prompter,
                         0,
                         context.search.searchEnd,
                         context.search.partitionKind,
                         context.bootRecordValid,
                         {},
                         {},
                         false};
    RunFatStandardSearch(scope);
    NameAllFatFolders(context.folders, disk, context.activeLayout);
    ASSERT_GT(context.folders.nodes().size(), 2u);
    const auto before = AllListings(context, disk);
    std::size_t fileRows = 0;
    for (const auto& listing : before)
        for (const FileRow& row : listing) fileRows += row.icon == FileRowIcon::File ? 1 : 0;
    EXPECT_GT(fileRows, 3u);

    const fs::path dir = test::MakeTempDir("log-fixture");
    const fs::path path = dir / "search.mpd";
    ASSERT_TRUE(SaveRecoveryLog(path, context, searched.prompter));

    Session loaded;
    ASSERT_EQ(LoadRecoveryLog(path, loaded.context, loaded.prompter), LogLoadOutcome::Loaded);
    const auto after = AllListings(loaded.context, disk);
    ASSERT_EQ(after.size(), before.size());
    for (std::size_t i = 0; i < before.size(); ++i) {
        ASSERT_EQ(after[i].size(), before[i].size()) << "folder " << i;
        for (std::size_t r = 0; r < before[i].size(); ++r) {
            // Column 7 holds tree item ids, which a new tree numbers afresh.
            for (int column = 0; column < file_col::DebugInfo3; ++column)
                EXPECT_EQ(after[i][r][column], before[i][r][column])
                    << "folder " << i << " row " << r;
            EXPECT_EQ(after[i][r].deleted, before[i][r].deleted);
        }
    }
    fs::remove_all(dir);
}

INSTANTIATE_TEST_SUITE_P(Fat, LogOfARealSearch,
                         ::testing::Values(std::make_pair("fat16", "FAT16"),
                                           std::make_pair("fat32", "FAT32")));

}  // namespace
}  // namespace datrevo
