#include <gtest/gtest.h>

#include <set>

#include "partition/lost_partition_search.h"
#include "support/disk_builder.h"
#include "support/image_fixture.h"
#include "support/manifest.h"
#include "support/recording_observer.h"

namespace datrevo {
namespace {

using test::DiskBuilder;

CurrentDisk DiskOf(std::uint64_t sectors) {
    CurrentDisk disk;
    disk.totalSectors64 = sectors;
    disk.cylindersText = std::to_string(sectors / 16065);
    disk.headsText = "255";
    disk.sectorsPerTrackText = "63";
    return disk;
}

// One lost-partition search of a whole disk into `list`, heard by `observer`.
struct LostSearch {
    LostPartitionSearchResult run(const DiskReader& reader, std::uint64_t sectors,
                                  std::stop_token stop = {}) {
        return SearchLostPartitions(reader, DiskOf(sectors), list, observer, std::move(stop));
    }
    LostPartitionSearchResult run(DiskBuilder& disk) { return run(disk.reader(), disk.sectors()); }

    DiskPartitionList list;
    test::RecordingObserver observer;
};

// The bytes of a committed fixture image, its partition table zeroed when asked.
std::vector<std::uint8_t> FixtureBytes(const std::string& name, bool wipeMbr) {
    std::vector<std::uint8_t> bytes =
        test::ReadGzip(std::string(DATREVO_FIXTURE_DIR) + "/images/" + name + ".img.gz");
    if (wipeMbr) std::fill(bytes.begin(), bytes.begin() + 512, 0);
    return bytes;
}

DiskReader MemoryReader(const std::vector<std::uint8_t>& bytes) {
    return DiskReader(std::make_shared<MemorySource>(bytes), nullptr);
}

void Fat32BootSector(DiskBuilder& disk, std::uint64_t at, std::uint32_t count) {
    disk.putText(at, 82, "FAT32   ");
    disk.put32(at, 32, count);
    disk.sign(at);
}

TEST(LostPartitionSearch, SmallGeometriesAreNormalisedTo255By63) {
    const DiskGeometry normal = NormaliseGeometry({1000, 4, 16});
    EXPECT_EQ(normal.cylinders, 3u);
    EXPECT_EQ(normal.heads, 255u);
    EXPECT_EQ(normal.sectorsPerTrack, 63u);
    EXPECT_EQ(NormaliseGeometry({77, 255, 63}).cylinders, 77u);
}

TEST(LostPartitionSearch, ProbesCylindersAndMebibyteBoundariesInOrderOnce) {
    const auto probes = LostPartitionProbes({3, 255, 63}, 3 * 16065);
    std::set<std::uint64_t> firsts;
    std::uint64_t previous = 0;
    for (const Probe& probe : probes) {
        const std::uint64_t key = std::min(probe.first, probe.fallback.value_or(probe.first));
        EXPECT_GE(key, previous);
        previous = key;
        EXPECT_TRUE(firsts.insert(probe.first).second) << probe.first;
    }
    EXPECT_EQ(probes[0].first, 63u);
    EXPECT_EQ(probes[0].fallback, 0u);
    EXPECT_TRUE(firsts.count(2048));
    EXPECT_TRUE(firsts.count(16065 + 63));
    EXPECT_TRUE(firsts.count(22 * 2048));
    EXPECT_FALSE(firsts.count(3 * 16065 + 63));  // past the disk
}

TEST(LostPartitionSearch, AddsNewPartitionsButNotOnesAlreadyListed) {
    DiskBuilder disk(4 * 16065);
    Fat32BootSector(disk, 63, 10000);
    Fat32BootSector(disk, 16065 + 63, 20000);
    disk.putText(4096, 3, "NTFS    ");
    disk.put32(4096, 40, 3000);
    disk.sign(4096);
    LostSearch search;
    DiskPartitionList& list = search.list;
    list.add(VolumeKind::Fat32, 63, 10063);     // the same: not added again
    list.add(VolumeKind::Fat32, 16128, 16129);  // same start, another count: the found one is added
    const auto result = search.run(disk);
    EXPECT_EQ(result.added, 2u);
    ASSERT_EQ(list.count(), 4u);
    EXPECT_EQ(list.kind(2), VolumeKind::Ntfs);
    EXPECT_EQ(list.record(2).firstSector, 4096u);
    EXPECT_EQ(list.record(2).endSector, 7096u);
    EXPECT_EQ(list.record(3).endSector, 16128u + 20000u);
    EXPECT_EQ(search.observer.percents.back(), 100);
    EXPECT_EQ(search.observer.lastCaption, "Completed ");
}

TEST(LostPartitionSearch, SmallFat16TakesItsCountFromTheSixteenBitField) {
    DiskBuilder disk(3 * 16065);
    disk.putText(2048, 54, "FAT16   ");
    disk.put16(2048, 19, 8000);
    disk.sign(2048);
    LostSearch search;
    search.run(disk);
    ASSERT_EQ(search.list.count(), 1u);
    EXPECT_EQ(search.list.record(0).endSector, 2048u + 8000u);
}

TEST(LostPartitionSearch, StopsAtTwentySixPartitionsAndOnRequest) {
    DiskBuilder disk(40 * 2048);
    for (std::uint64_t k = 1; k < 40; ++k) Fat32BootSector(disk, k * 2048, 100);
    LostSearch search;
    auto result = search.run(disk);
    EXPECT_TRUE(result.listFull);
    EXPECT_EQ(search.list.count(), limits::kMaxPartitionsPerDisk);

    std::stop_source stop;
    stop.request_stop();
    search.list.clear();
    result = search.run(disk.reader(), disk.sectors(), stop.get_token());
    EXPECT_TRUE(result.stopped);
    EXPECT_EQ(search.list.count(), 0u);
}

TEST(LostPartitionSearch, FindsTodaysPartitionsAfterTheTableIsZeroed) {
    const std::vector<std::uint8_t> bytes = FixtureBytes("mbr-primary", true);  // the MBR is gone
    LostSearch search;
    search.run(MemoryReader(bytes), bytes.size() / 512);
    const DiskPartitionList& list = search.list;
    const auto expected = test::ManifestPartitions("mbr-primary");
    ASSERT_EQ(list.count(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(VolumeKindText(list.kind(i)), expected[i].fileSystem);
        EXPECT_EQ(list.record(i).firstSector, expected[i].start);
        // The end comes from the volume's own sector count, which the formatting
        // tools keep at or a little below the partition's size.
        const std::uint64_t found = list.record(i).endSector - list.record(i).firstSector;
        EXPECT_LE(found, expected[i].sectors);
        EXPECT_GE(found + 64, expected[i].sectors);
    }
}

TEST(LostPartitionSearch, KeepsFindingThePartitionsOfAGptDisk) {
    const std::vector<std::uint8_t> bytes = FixtureBytes("gpt-fat32-ntfs", false);
    LostSearch search;
    search.run(MemoryReader(bytes), bytes.size() / 512);
    const DiskPartitionList& list = search.list;
    ASSERT_EQ(list.count(), 2u);
    EXPECT_EQ(list.kind(0), VolumeKind::Fat32);
    EXPECT_EQ(list.record(0).firstSector, 2048u);
    // The ends come from the volumes' own counts, at or a little below the
    // partitions' sizes.
    EXPECT_LE(list.record(0).endSector, 2048u + 69632u);
    EXPECT_GE(list.record(0).endSector + 64, 2048u + 69632u);
    EXPECT_EQ(list.kind(1), VolumeKind::Ntfs);
    EXPECT_EQ(list.record(1).firstSector, 71680u);
    EXPECT_LE(list.record(1).endSector, 71680u + 8192u);
    EXPECT_GE(list.record(1).endSector + 64, 71680u + 8192u);
}

TEST(LostPartitionSearch, ExfatBootSectorIsFoundAsExfatNeverAsNtfs) {
    const std::vector<std::uint8_t> bytes = FixtureBytes("mbr-exfat", true);  // the MBR is gone
    LostSearch search;
    search.run(MemoryReader(bytes), bytes.size() / 512);
    const DiskPartitionList& list = search.list;
    ASSERT_GE(list.count(), 1u);
    EXPECT_EQ(list.kind(0), VolumeKind::Exfat);
    EXPECT_EQ(list.record(0).firstSector, 2048u);
    EXPECT_EQ(list.record(0).endSector, 2048u + 8192u);
    for (std::size_t i = 0; i < list.count(); ++i) EXPECT_NE(list.kind(i), VolumeKind::Ntfs);
}

TEST(LostPartitionSearch, ExfatFieldsThatLookLikeFatTextsDoNotMakeItFat) {
    DiskBuilder disk(4);
    disk.putText(0, 3, "EXFAT   ");
    disk.putText(0, 85, "32");  // bytes of the FAT length field
    disk.put32(0, 72, 1000);    // volume length, in 4096-byte sectors
    disk.put8(0, 108, 12);
    disk.sign(0);
    const ByteView sector(disk.sector(0), 512);
    auto found = RecogniseBootSector(sector);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->kind, VolumeKind::Exfat);
    EXPECT_EQ(found->sectorCount, 8000u);
    disk.put8(0, 108, 13);  // no such sector size
    EXPECT_FALSE(RecogniseBootSector(sector));
    disk.put8(0, 108, 9);
    disk.put32(0, 76, 1);  // a length past 32 bits is not cut down
    EXPECT_FALSE(RecogniseBootSector(sector));
}

}  // namespace
}  // namespace datrevo
