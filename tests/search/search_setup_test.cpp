// Setting up a search the same way for every front end: the mode text, a
// range clamped to the disk, a partition's bounds and kind.
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

}  // namespace
}  // namespace datrevo
