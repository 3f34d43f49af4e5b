// Setting up a search the same way for every front end: the mode text, a
// range clamped to the disk, a partition's bounds and kind, the summary rows
// of the search about to start.
#include <gtest/gtest.h>

#include "search/search_setup.h"
#include "support/recording_observer.h"

namespace datrevo {
namespace {

class SearchSetup : public ::testing::Test {
protected:
    SearchSetup() : context_(observer_, prompter_) { context_.currentDisk.totalSectors64 = 1000; }
    test::RecordingObserver observer_;
    test::ScriptedPrompter prompter_;
    RecoveryContext context_;
};

TEST_F(SearchSetup, ARangeEndsAtTheDisksEndAndAnEmptyOneIsRefused) {
    ASSERT_TRUE(SetRangeSearch(context_, SearchMode::Advance, 100, 5000, VolumeKind::Fat32));
    EXPECT_EQ(context_.search.searchStart, 100u);
    EXPECT_EQ(context_.search.searchEnd, 1000u);
    EXPECT_EQ(context_.search.partitionKind, VolumeKind::Fat32);
    EXPECT_EQ(context_.search.searchModeText, "Advance Search");
    // Past the disk's end nothing is left to search; the values stay as they were.
    EXPECT_FALSE(SetRangeSearch(context_, SearchMode::Standard, 1000, 2000, VolumeKind::Ntfs));
    EXPECT_FALSE(SetRangeSearch(context_, SearchMode::Standard, 500, 500, VolumeKind::Ntfs));
    EXPECT_EQ(context_.search.searchEnd, 1000u);
    EXPECT_EQ(context_.search.partitionKind, VolumeKind::Fat32);
    EXPECT_EQ(SearchModeText(SearchMode::Standard), "Standard Search");
}

TEST_F(SearchSetup, ARangeFitsWhenItHoldsASectorOfTheDisk) {
    EXPECT_TRUE(RangeFitsDisk(context_, 0, 1));
    EXPECT_TRUE(RangeFitsDisk(context_, 999, 5000));
    EXPECT_FALSE(RangeFitsDisk(context_, 1000, 5000));
    EXPECT_FALSE(RangeFitsDisk(context_, 10, 0));
}

TEST_F(SearchSetup, TheSummaryNamesTheListedPartitionAndWarnsWhenItLeavesTheDisk) {
    context_.search.selectedDisk = 2;
    context_.selectedPartitions().add(VolumeKind::Fat16, 63, 500);
    context_.selectedPartitions().add(VolumeKind::Ntfs, 500, 1500);
    ASSERT_TRUE(SetRangeSearch(context_, SearchMode::Standard, 500, 1500, VolumeKind::Ntfs, 1));
    const DetailsList rows = SearchSummaryRows(context_);
    ASSERT_EQ(rows.size(), 6u);
    EXPECT_EQ(rows[0].name, "Disk Number : ");
    EXPECT_EQ(rows[0].value, "2");
    EXPECT_EQ(rows[1].name, "Partiton Number : ");
    EXPECT_EQ(rows[1].value, "2");
    EXPECT_EQ(rows[2].name, "Partition Type : ");
    EXPECT_EQ(rows[2].value, "NTFS");
    EXPECT_EQ(rows[3].name, "Search Range : ");
    EXPECT_EQ(rows[3].value, "500 to 1000");
    EXPECT_EQ(rows[4].name, "Search Mode : ");
    EXPECT_EQ(rows[4].value, "Standard Search");
    EXPECT_EQ(rows[5].name, "Warning : ");

    ASSERT_TRUE(SetRangeSearch(context_, SearchMode::Advance, 63, 500, VolumeKind::Fat16, 0));
    EXPECT_EQ(SearchSummaryRows(context_).size(), 5u) << "within the disk: no warning";
}

TEST_F(SearchSetup, OpeningAFolderOfAResultOtherThanFatReadsNothing) {
    context_.activeLayout.kind = VolumeKind::Ntfs;
    EXPECT_FALSE(OpenResultFolder(context_, kNoItem));
}

}  // namespace
}  // namespace datrevo
