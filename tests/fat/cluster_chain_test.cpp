#include <gtest/gtest.h>

#include "fat/cluster_chain.h"
#include "support/disk_builder.h"

namespace datrevo {
namespace {

using test::DiskBuilder;

constexpr std::uint32_t kFirstFat = 10;

FatLayout Layout(VolumeKind kind, std::uint32_t spf = 4) {
    FatLayout layout;
    layout.kind = kind;
    layout.firstFat = kFirstFat;
    layout.sectorsPerFat = spf;
    layout.sectorsPerCluster = 1;
    return layout;
}

void Fat16(DiskBuilder& disk, std::uint32_t cluster, std::uint16_t value) {
    disk.put16(kFirstFat + cluster / 256, (cluster % 256) * 2, value);
}
void Fat32(DiskBuilder& disk, std::uint32_t cluster, std::uint32_t value) {
    disk.put32(kFirstFat + cluster / 128, (cluster % 128) * 4, value);
}

TEST(ClusterChains, AFreeFirstEntryGivesTheFirstClusterAlone) {
    DiskBuilder disk(64);
    EXPECT_EQ(ReadClusterChain(disk.reader(), Layout(VolumeKind::Fat16), 7), ClusterChain({7}));
}

TEST(ClusterChains, Fat16EndMarksEndTheChain) {
    DiskBuilder disk(64);
    Fat16(disk, 3, 4);
    Fat16(disk, 4, 300);  // crosses into the second FAT sector
    Fat16(disk, 300, 0xFFF8);
    EXPECT_EQ(ReadClusterChain(disk.reader(), Layout(VolumeKind::Fat16), 3),
              ClusterChain({3, 4, 300}));
    Fat16(disk, 300, 0xFFF7);  // bad-cluster mark
    EXPECT_EQ(ReadClusterChain(disk.reader(), Layout(VolumeKind::Fat16), 3),
              ClusterChain({3, 4, 300}));
}

TEST(ClusterChains, Fat32IgnoresTheTopFourBits) {
    DiskBuilder disk(64);
    Fat32(disk, 2, 0xF0000005);
    Fat32(disk, 5, 0x0FFFFFFF);
    EXPECT_EQ(ReadClusterChain(disk.reader(), Layout(VolumeKind::Fat32), 2), ClusterChain({2, 5}));
}

TEST(ClusterChains, StopWhenTheFatSectorWouldPassTheFatSize) {
    DiskBuilder disk(64);
    Fat32(disk, 2, 200);    // entry of 200 lies in FAT sector 1
    Fat32(disk, 200, 700);  // entry of 700 would lie in FAT sector 5, past SPF 4
    Fat32(disk, 700, 0x0FFFFFFF);
    EXPECT_EQ(ReadClusterChain(disk.reader(), Layout(VolumeKind::Fat32, 4), 2),
              ClusterChain({2, 200, 700}));
    // With SPF 0 only the first FAT sector is read.
    EXPECT_EQ(ReadClusterChain(disk.reader(), Layout(VolumeKind::Fat32, 0), 2),
              ClusterChain({2, 200}));
}

TEST(ClusterChains, ACycleEndsBeforeTheFirstRepeatedCluster) {
    DiskBuilder disk(64);
    Fat16(disk, 2, 3);
    Fat16(disk, 3, 4);
    Fat16(disk, 4, 2);
    EXPECT_EQ(ReadClusterChain(disk.reader(), Layout(VolumeKind::Fat16), 2),
              ClusterChain({2, 3, 4}));
    Fat16(disk, 9, 9);  // a cluster pointing at itself
    EXPECT_EQ(ReadClusterChain(disk.reader(), Layout(VolumeKind::Fat16), 9), ClusterChain({9}));
}

TEST(ClusterChains, ALongCycleIsCaughtToo) {
    DiskBuilder disk(64);
    for (std::uint32_t c = 2; c < 500; ++c) Fat16(disk, c, static_cast<std::uint16_t>(c + 1));
    Fat16(disk, 500, 100);
    const ClusterChain chain = ReadClusterChain(disk.reader(), Layout(VolumeKind::Fat16), 2);
    EXPECT_EQ(chain.size(), 499u);
    EXPECT_EQ(chain.back(), 500u);
}

TEST(ClusterChains, NoFatMeansTheFirstClusterOnly) {
    DiskBuilder disk(64);
    FatLayout layout = Layout(VolumeKind::Fat16);
    layout.firstFat = 0;
    EXPECT_EQ(ReadClusterChain(disk.reader(), layout, 2), ClusterChain({2}));
}

}  // namespace
}  // namespace datrevo
