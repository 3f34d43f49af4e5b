#include <gtest/gtest.h>

#include "fat/fat_advance_search.h"
#include "fat/fat_standard_search.h"
#include "fat/fat_volume_layout.h"
#include "fat_test_support.h"
#include "support/disk_builder.h"

namespace datrevo {
namespace {

// Requests a stop once the scan has reported its first run of sectors.
class StopAfterFirstRun : public test::RecordingObserver {
public:
    void statusText(std::string_view text) override {
        RecordingObserver::statusText(text);
        if (text.rfind("Sectors  ", 0) == 0 && text.rfind("Sectors  0 ", 0) != 0) ++runs;
        if (runs == 1) source.request_stop();  // the first run goes on, the next does not
    }
    std::stop_source source;
    int runs = 0;
};

TEST(StoppedSearches, AStandardSearchStoppedMidScanKeepsTheFoldersScannedSoFar) {
    // One-sector clusters from sector 4; a folder early, one past the first run.
    test::DiskBuilder disk(6000);
    for (std::uint32_t cluster : {100u, 5000u}) {
        disk.putText(cluster + 2, 0, ".          ");
        disk.put16(cluster + 2, 26, static_cast<std::uint16_t>(cluster));
        disk.putText(cluster + 2, 32, "..         ");
    }
    disk.putText(3, 0, "EARLY      ");
    disk.put16(3, 26, 100);
    disk.putText(3, 32, "LATE       ");
    disk.put16(3, 58, 5000);
    test::FatHarness run(disk.reader());
    run.partitionLayout = {1, 1, 1, 3, 1, 2, 1, 2, VolumeKind::Fat16};
    StopAfterFirstRun observer;
    FatSearchScope scope{run.disk,
                         run.partitionLayout,
                         run.activeLayout,
                         run.catalogue,
                         run.tree,
                         run.state,
                         observer,
                         run.prompter,
                         0,
                         6000,
                         VolumeKind::Fat16,
                         true,
                         observer.source.get_token(),
                         {}};
    RunFatStandardSearch(scope);
    ASSERT_TRUE(observer.source.stop_requested());
    EXPECT_EQ(run.folders(), (std::map<std::string, bool>{{"EARLY", false}}));
    EXPECT_EQ(run.catalogue.FolderTable.count(), 0);
}

TEST(StoppedSearches, AnAdvanceScanStoppedMidwayStillAnalysesWhatItFound) {
    const auto image = test::FixtureImage("fat-two-volumes");
    test::FatHarness run(test::ReaderFor(*image));
    StopAfterFirstRun observer;
    FatSearchScope scope{run.disk,
                         run.partitionLayout,
                         run.activeLayout,
                         run.catalogue,
                         run.tree,
                         run.state,
                         observer,
                         run.prompter,
                         2048,
                         image->sizeInBytes() / 512,
                         VolumeKind::Fat16,
                         false,
                         observer.source.get_token(),
                         {}};
    RunFatAdvanceScan(scope);
    ASSERT_TRUE(observer.source.stop_requested());
    EXPECT_EQ(run.state.volumesFound, 1);  // the FAT16 volume; the FAT32 one lies further on
    EXPECT_EQ(run.catalogue.VolumeTable.cell(0, boot_col::Sector), "2048");
    EXPECT_TRUE(RecoverFatVolume(scope, 1));
}

}  // namespace
}  // namespace datrevo
