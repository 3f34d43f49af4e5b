// Leaving the program while a search runs: "Stop Search" ends only the scans
// (the later phases run on what was found), leaving ends every phase, the
// linking, the storing, the naming of the folders and the MFT-number
// assignment, keeping what was built so far.
#include <gtest/gtest.h>

#include "catalogue/catalogue.h"
#include "fat/folder_naming.h"
#include "fat/folder_rows.h"
#include "search/search_phases.h"
#include "support/image_fixture.h"
#include "support/recording_observer.h"

namespace datrevo {
namespace {

std::stop_token Requested() {
    std::stop_source source;
    source.request_stop();
    return source.get_token();
}

class Leaving : public ::testing::Test {
protected:
    void Open(RecoveryContext& context, const char* name, const char* kind, SearchMode mode) {
        if (!image) image = test::FixtureImage(name);
        context.slots.assign(0, image->path());
        context.search.selectedDisk = 0;
        context.search.mode = mode;
        context.search.partitionKind = VolumeKindFromText(kind);
        context.search.searchStart = 0;
        context.search.searchEnd = image->sizeInBytes() / 512;
        context.currentDisk.totalSectors64 = context.search.searchEnd;
    }
    // Every node of the list has its item in the tree.
    static bool Consistent(RecoveryContext& context) {
        for (std::size_t i = 0; i < context.folders.nodes().size(); ++i)
            if (!context.folders.model().contains(context.folders.nodes()[i].treeItem))
                return false;
        return true;
    }

    test::RecordingObserver observer;
    test::ScriptedPrompter prompter;
    std::unique_ptr<test::ImageCopy> image;
};

TEST_F(Leaving, AStandardFatSearchLeftAfterItsScanStoresNoFurther) {
    RecoveryContext whole{observer, prompter};
    Open(whole, "fat32", "FAT32", SearchMode::Standard);
    ValidatePartition(whole);
    RunPartitionSearch(whole);
    const std::size_t allFolders = whole.folders.nodes().size();
    ASSERT_GT(allFolders, 10u);

    RecoveryContext left{observer, prompter};
    Open(left, "fat32", "FAT32", SearchMode::Standard);
    ValidatePartition(left);
    // The scan itself is not stopped; leaving is asked before the storing.
    const SearchOutcome outcome = RunPartitionSearch(left, {}, Requested());
    EXPECT_FALSE(outcome.stopped);
    EXPECT_LT(left.folders.nodes().size(), allFolders);
    ASSERT_NE(left.folders.root(), kNoItem);
    EXPECT_TRUE(Consistent(left));
    EXPECT_TRUE(image->unchanged());
}

TEST_F(Leaving, LinkingLeftKeepsTheParentsOfTheRowsNotReached) {
    Catalogue catalogue;
    CatalogueTable& folders = catalogue.FolderTable;
    for (int n = 0; n < 3; ++n) {
        const int row = folders.insertRow(n, "DIR" + std::to_string(n));
        folders.setCell(row, folder_col::Self, std::to_string(10 + n));
        folders.setCell(row, folder_col::Parent, "999");  // no row has this cluster
    }
    LinkParentFolders(folders, observer, Requested());
    for (int row = 0; row < 3; ++row)
        EXPECT_EQ(folders.cellUnsigned(row, folder_col::Parent), 999u);
    LinkParentFolders(folders, observer);
    for (int row = 0; row < 3; ++row)
        EXPECT_EQ(folders.cellUnsigned(row, folder_col::Parent), kCatchAllNumber);
}

TEST_F(Leaving, NamingTheFoldersOfAnAdvanceRecoveryEndsWhenLeaving) {
    RecoveryContext context{observer, prompter};
    Open(context, "fat-two-volumes", "FAT32", SearchMode::Advance);
    ASSERT_EQ(RunPartitionSearch(context).volumesFound, 2);
    ASSERT_TRUE(RunVolumeRecovery(context, 2).foundAnything);
    ASSERT_GT(context.folders.nodes().size(), 1u);
    NameAllFatFolders(context.folders, context.selectedDisk(), context.activeLayout, Requested());
    for (std::size_t i = 0; i < context.folders.nodes().size(); ++i)
        EXPECT_FALSE(context.folders.nodes()[i].loaded) << i;
    NameAllFatFolders(context.folders, context.selectedDisk(), context.activeLayout);
    for (std::size_t i = 0; i < context.folders.nodes().size(); ++i)
        EXPECT_TRUE(context.folders.nodes()[i].loaded) << i;
    EXPECT_TRUE(image->unchanged());
}

TEST_F(Leaving, TheMftNumberAssignmentEndsWhenLeaving) {
    RecoveryContext whole{observer, prompter};
    Open(whole, "ntfs-disk", "NTFS", SearchMode::Advance);
    ASSERT_GE(RunPartitionSearch(whole).volumesFound, 1);

    RecoveryContext left{observer, prompter};
    Open(left, "ntfs-disk", "NTFS", SearchMode::Advance);
    const SearchOutcome outcome = RunPartitionSearch(left, {}, Requested());
    EXPECT_EQ(outcome.volumesFound, 0);
    EXPECT_TRUE(image->unchanged());
}

}  // namespace
}  // namespace datrevo
