#include <gtest/gtest.h>

#include "fat/fat_volume_layout.h"
#include "support/disk_builder.h"
#include "support/recording_observer.h"

namespace datrevo {
namespace {

using test::DiskBuilder;

// A FAT16 boot sector at `start`: 4 reserved, 20 sectors per FAT, 4 per
// cluster, 512 root entries.
void Fat16Boot(DiskBuilder& disk, std::uint64_t start, std::uint8_t secondFatMedia = 0xF8) {
    disk.put8(start, 0x0D, 4);
    disk.put16(start, 0x0E, 4);
    disk.put16(start, 0x11, 512);
    disk.put16(start, 0x16, 20);
    disk.sign(start);
    disk.put8(start + 4 + 20, 0, secondFatMedia);
}

void Fat32Boot(DiskBuilder& disk, std::uint64_t at, std::uint32_t spf) {
    disk.put8(at, 0x0D, 8);
    disk.put16(at, 0x0E, 32);
    disk.put32(at, 0x24, spf);
    disk.put32(at, 0x2C, 2);
    disk.sign(at);
}

void DirectorySector(DiskBuilder& disk, std::uint64_t sector, std::uint32_t cluster) {
    disk.putText(sector, 0, ".          ");
    disk.putText(sector, 32, "..         ");
    disk.put16(sector, 20, static_cast<std::uint16_t>(cluster >> 16));
    disk.put16(sector, 26, static_cast<std::uint16_t>(cluster));
}

TEST(BootLayouts, Fat16FieldsGiveTheLayout) {
    DiskBuilder disk(200);
    Fat16Boot(disk, 100);
    FatLayout layout;
    ASSERT_TRUE(ReadFatBootLayout(disk.reader(), 100, VolumeKind::Fat16, layout));
    EXPECT_EQ(layout.sectorsPerFat, 20u);
    EXPECT_EQ(layout.sectorsPerCluster, 4u);
    EXPECT_EQ(layout.rootSectors, 32u);
    EXPECT_EQ(layout.rootStart, 144u);
    EXPECT_EQ(layout.cluster0Start, 144u + 32 - 8);
    EXPECT_EQ(layout.firstFat, 104u);
    EXPECT_EQ(layout.secondFat, 124u);
    EXPECT_EQ(layout.kind, VolumeKind::Fat16);
}

TEST(BootLayouts, AFloppyMediaByteOnTheSecondFatIsRefused) {
    DiskBuilder disk(200);
    Fat16Boot(disk, 100, 0xF0);
    FatLayout layout;
    layout.sectorsPerCluster = 77;
    EXPECT_FALSE(ReadFatBootLayout(disk.reader(), 100, VolumeKind::Fat16, layout));
    EXPECT_EQ(layout.sectorsPerCluster, 77u);
}

TEST(BootLayouts, Fat32FallsBackToTheBackupBootSector) {
    DiskBuilder disk(400);
    Fat32Boot(disk, 0 + 6, 100);
    disk.put8(32 + 100, 0, 0xF8);
    FatLayout layout;
    ASSERT_TRUE(ReadFatBootLayout(disk.reader(), 0, VolumeKind::Fat32, layout));
    EXPECT_EQ(layout.sectorsPerFat, 100u);
    EXPECT_EQ(layout.rootStart, 2u);
    EXPECT_EQ(layout.cluster0Start, 32u + 200 - 16);
}

TEST(BootLayouts, AClusterSizeThatIsNoPowerOfTwoIsRefused) {
    DiskBuilder disk(200);
    Fat16Boot(disk, 0);
    disk.put8(0, 0x0D, 3);
    FatLayout layout;
    EXPECT_FALSE(ReadFatBootLayout(disk.reader(), 0, VolumeKind::Fat16, layout));
}

TEST(BootLayouts, ASectorsPerFatOfZeroIsRefused) {
    // FAT32, 1 reserved sector, no FAT, 8 sectors per cluster: cluster 0
    // would begin 15 sectors before the disk's first sector.
    DiskBuilder disk(200);
    Fat32Boot(disk, 0, 0);
    disk.put16(0, 0x0E, 1);
    disk.put8(1, 0, 0xF8);  // the "second FAT" is then the sector after the boot sector
    FatLayout layout;
    layout.cluster0Start = 1234;
    EXPECT_FALSE(ReadFatBootLayout(disk.reader(), 0, VolumeKind::Fat32, layout));
    EXPECT_EQ(layout.cluster0Start, 1234u);

    DiskBuilder disk16(200);
    Fat16Boot(disk16, 0);
    disk16.put16(0, 0x16, 0);
    disk16.put8(4, 0, 0xF8);
    EXPECT_FALSE(ReadFatBootLayout(disk16.reader(), 0, VolumeKind::Fat16, layout));
    EXPECT_EQ(layout.cluster0Start, 1234u);
}

TEST(BootLayouts, NoReservedSectorIsRefused) {
    DiskBuilder disk(200);
    Fat16Boot(disk, 100);
    disk.put16(100, 0x0E, 0);
    disk.put8(100 + 20, 0, 0xF8);
    FatLayout layout;
    EXPECT_FALSE(ReadFatBootLayout(disk.reader(), 100, VolumeKind::Fat16, layout));
}

TEST(BootLayouts, ALayoutPastThe32BitSectorNumbersIsRefused) {
    // Two FATs of 0x80000000 sectors: the data area would begin past sector
    // 2^32, which the layout cannot hold.
    DiskBuilder disk(200);
    Fat32Boot(disk, 0, 0x80000000u);
    FatLayout layout;
    layout.sectorsPerFat = 99;
    EXPECT_FALSE(ReadFatBootLayout(disk.reader(), 0, VolumeKind::Fat32, layout));
    EXPECT_EQ(layout.sectorsPerFat, 99u);
}

TEST(BootLayouts, ClusterZeroBeforeTheDiskStartIsRefused) {
    // Data area at sector 36 with 32 sectors per cluster: cluster 2 would
    // begin at 36 and cluster 0 at 36 - 64, before sector 0.
    DiskBuilder disk(200);
    Fat32Boot(disk, 0, 2);
    disk.put8(0, 0x0D, 32);
    disk.put8(32 + 2, 0, 0xF8);
    FatLayout layout;
    EXPECT_FALSE(ReadFatBootLayout(disk.reader(), 0, VolumeKind::Fat32, layout));
}

TEST(InferredLayouts, TwoDirectoryClustersGiveClusterSizeAndStart) {
    DiskBuilder disk(10200);
    DirectorySector(disk, 10100, 5);
    DirectorySector(disk, 10132, 9);
    FatLayout layout;
    test::RecordingObserver observer;
    ASSERT_TRUE(InferFatLayout(disk.reader(), 0, 10200, VolumeKind::Fat32, layout, observer));
    EXPECT_EQ(layout.sectorsPerCluster, 8u);
    EXPECT_EQ(layout.cluster0Start, 10060u);
    EXPECT_EQ(layout.reservedSectors, 32u);
    EXPECT_EQ(layout.rootStart, 2u);
    EXPECT_EQ(observer.statuses.front(), "Calculating Partition Params...");
    EXPECT_EQ(observer.percents.back(), 100);
}

TEST(InferredLayouts, PairsThatGiveNoClusterSizeAreSkippedAndTheAnchorStays) {
    DiskBuilder disk(10300);
    DirectorySector(disk, 10100, 5);
    DirectorySector(disk, 10110, 8);  // 10 sectors over 3 clusters
    DirectorySector(disk, 10112, 9);  // a step of 3
    DirectorySector(disk, 10132, 9);  // the fitting one: step 8
    FatLayout layout;
    test::RecordingObserver observer;
    ASSERT_TRUE(InferFatLayout(disk.reader(), 0, 10300, VolumeKind::Fat16, layout, observer));
    EXPECT_EQ(layout.sectorsPerCluster, 8u);
    EXPECT_EQ(layout.cluster0Start, 10060u);
    EXPECT_EQ(layout.reservedSectors, 1u);  // no 0xF8 0xFF among the first ten
    EXPECT_EQ(layout.rootSectors, 32u);
}

TEST(InferredLayouts, NoFittingPairFailsAndLeavesTheLayout) {
    DiskBuilder disk(400);
    DirectorySector(disk, 300, 5);
    FatLayout layout;
    layout.cluster0Start = 1234;
    test::RecordingObserver observer;
    EXPECT_FALSE(InferFatLayout(disk.reader(), 0, 400, VolumeKind::Fat16, layout, observer));
    EXPECT_FALSE(InferFatLayout(disk.reader(), 0, 400, VolumeKind::Ntfs, layout, observer));
    EXPECT_EQ(layout.cluster0Start, 1234u);
}

TEST(InferredLayouts, AStopRequestEndsTheScan) {
    DiskBuilder disk(10200);
    DirectorySector(disk, 10100, 5);
    DirectorySector(disk, 10132, 9);
    std::stop_source stop;
    stop.request_stop();
    FatLayout layout;
    test::RecordingObserver observer;
    EXPECT_FALSE(InferFatLayout(disk.reader(), 0, 10200, VolumeKind::Fat32, layout, observer,
                                stop.get_token()));
}

}  // namespace
}  // namespace datrevo
