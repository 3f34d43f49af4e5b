// The search workers: a search on a worker thread, a stop that keeps what was
// found, and one worker of a kind at a time.
#include <gtest/gtest.h>

#include <atomic>

#include "search/search_phases.h"
#include "search/search_workers.h"
#include "support/image_fixture.h"
#include "support/recording_observer.h"

namespace datrevo {
namespace {

class Workers : public ::testing::Test {
protected:
    void Open(const char* name, const char* kind) {
        image = test::FixtureImage(name);
        context.slots.assign(0, image->path());
        context.search.selectedDisk = 0;
        context.search.partitionKind = VolumeKindFromText(kind);
        context.search.searchStart = 0;
        context.search.searchEnd = image->sizeInBytes() / 512;
        context.currentDisk.totalSectors64 = context.search.searchEnd;
    }

    test::RecordingObserver observer;
    test::ScriptedPrompter prompter;
    RecoveryContext context{observer, prompter};
    std::unique_ptr<test::ImageCopy> image;
};

TEST_F(Workers, StandardSearchRunsOnAWorkerAndReportsItsEnd) {
    Open("fat32", "FAT32");
    ASSERT_TRUE(ValidatePartition(context));
    SearchWorkers workers(context);
    std::atomic<bool> done{false};
    SearchOutcome outcome;
    ASSERT_TRUE(workers.startPartitionSearch([&](const SearchOutcome& result) {
        outcome = result;
        done = true;
    }));
    EXPECT_FALSE(workers.startPartitionSearch({}));  // one search at a time, unless it ended
    workers.wait();
    EXPECT_TRUE(done);
    EXPECT_FALSE(workers.searchRunning());
    EXPECT_TRUE(outcome.foundAnything);
    EXPECT_GT(context.folders.nodes().size(), 10u);
    EXPECT_EQ(context.catalogue.FolderTable.count(), 0);  // the tree holds the folders now
    EXPECT_TRUE(prompter.messages.empty());
    EXPECT_EQ(observer.guides.back(),
              "Select Files and Folders from left panel Directories' Tree and Click on 'Save' "
              "button in Toolbar to save recovered Files and Folders.");
}

TEST_F(Workers, AStoppedSearchKeepsAConsistentTreeOfWhatItFound) {
    Open("fat32", "FAT32");
    ValidatePartition(context);
    std::stop_source stop;
    stop.request_stop();  // stopped before its first read
    const SearchOutcome outcome = RunPartitionSearch(context, stop.get_token());
    EXPECT_TRUE(outcome.stopped);
    EXPECT_EQ(context.catalogue.FolderTable.count(), 0);
    ASSERT_NE(context.folders.root(), kNoItem);
    EXPECT_EQ(context.folders.model().item(context.folders.root()).text, "Root");
    for (std::size_t i = 0; i < context.folders.nodes().size(); ++i)
        EXPECT_TRUE(context.folders.model().contains(context.folders.nodes()[i].treeItem));
}

TEST_F(Workers, NothingFoundShowsTheStandardNotice) {
    image = test::CraftedImage(std::vector<std::uint8_t>(4096 * 512));
    context.slots.assign(0, image->path());
    context.search = {SearchMode::Standard, 0, 0, VolumeKind::Ntfs, "Standard Search", 0, 4096};
    EXPECT_FALSE(ValidatePartition(context));
    const SearchOutcome outcome = RunPartitionSearch(context);
    EXPECT_FALSE(outcome.foundAnything);
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_EQ(prompter.messages[0].text,
              "Recovery is not possible in Standard Search mode, use Advance Search to recover "
              "your data.");
}

TEST_F(Workers, AdvanceSearchListsFileSystemsThenRecoversTheChosenOne) {
    Open("fat-two-volumes", "FAT32");
    context.search.mode = SearchMode::Advance;
    const SearchOutcome scan = RunPartitionSearch(context);
    ASSERT_EQ(scan.volumesFound, 2);
    ASSERT_EQ(context.details.size(), 4u);
    EXPECT_EQ(context.details[0].value, "1");
    const SearchOutcome recovered = RunVolumeRecovery(context, 2);
    EXPECT_TRUE(recovered.foundAnything);
    EXPECT_GT(context.folders.model().children(context.folders.root()).size(), 1u);
    EXPECT_FALSE(RunVolumeRecovery(context, 3).foundAnything);
}

TEST_F(Workers, AdvanceSearchWithNoFileSystemShowsTheAdvanceNotice) {
    image = test::CraftedImage(std::vector<std::uint8_t>(4096 * 512));
    context.slots.assign(0, image->path());
    context.search = {SearchMode::Advance, 0, 0, VolumeKind::Fat32, "Advance Search", 0, 4096};
    EXPECT_EQ(RunPartitionSearch(context).volumesFound, 0);
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_EQ(prompter.messages[0].text,
              "No file system could be identified. Recovery is not possible in Advance Search "
              "mode.");
    EXPECT_EQ(observer.guides.back(),
              "No File System could be identified. Click on 'Back' button to select another "
              "Partition.");
}

TEST_F(Workers, LostPartitionSearchRunsOnItsOwnWorker) {
    Open("ntfs-disk", "NTFS");
    context.currentDisk.cylindersText = "1";
    context.currentDisk.headsText = "255";
    context.currentDisk.sectorsPerTrackText = "63";
    SearchWorkers workers(context);
    LostPartitionSearchResult result;
    ASSERT_TRUE(workers.startLostPartitionSearch(
        [&](const LostPartitionSearchResult& found) { result = found; }));
    workers.wait();
    EXPECT_EQ(result.added, 1u);
    EXPECT_EQ(context.selectedPartitions().kind(0), VolumeKind::Ntfs);
    EXPECT_EQ(context.selectedPartitions().record(0).firstSector, 2048u);
}

}  // namespace
}  // namespace datrevo
