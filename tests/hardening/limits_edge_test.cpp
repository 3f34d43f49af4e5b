// The bounds of src/base/limits.h, each tried at its edge: the last value
// accepted and the first one cut. (Name lengths in logs are tried at 255 and
// 256 characters in tests/log/log_format_test.cpp.)
#include <gtest/gtest.h>

#include "base/limits.h"
#include "catalogue/catalogue.h"
#include "fat/cluster_chain.h"
#include "fat/fat_directory.h"
#include "ntfs/advance_search.h"
#include "ntfs/attribute_list.h"
#include "partition/partition_table.h"
#include "support/disk_builder.h"

namespace datrevo {
namespace {

DiskReader ReaderOf(std::vector<std::uint8_t> bytes) {
    return DiskReader(std::make_shared<MemorySource>(std::move(bytes)), nullptr);
}

// An MBR whose extended partition (from sector 1) holds a chain of `records`
// EBRs, one a sector; each lists a FAT16 logical partition when `withVolumes`.
std::vector<std::uint8_t> ExtendedChain(std::size_t records, bool withVolumes) {
    test::DiskBuilder disk(records + 8);
    disk.entry(0, 0, 0x05, 1, static_cast<std::uint32_t>(records + 4));
    disk.sign(0);
    for (std::size_t k = 0; k < records; ++k) {
        const std::uint64_t sector = 1 + k;
        if (withVolumes) disk.entry(sector, 0, 0x06, 1, 1);
        if (k + 1 < records) disk.entry(sector, 1, 0x05, static_cast<std::uint32_t>(k + 1), 1);
        disk.sign(sector);
    }
    return disk.bytes();
}

constexpr std::uint64_t kLargeDisk = 1 << 20;  // keeps every entry clear of the end margin

TEST(ExtendedChainBound, TheLongestChainAllowedIsReadWhole) {
    const DiskReader disk = ReaderOf(ExtendedChain(limits::kMaxExtendedBootRecords, false));
    DiskPartitionList list;
    const PartitionTableResult result = ListPartitions(disk, kLargeDisk, list, nullptr);
    EXPECT_FALSE(result.chainCut);
}

TEST(ExtendedChainBound, OneRecordMoreCutsTheChain) {
    const DiskReader disk = ReaderOf(ExtendedChain(limits::kMaxExtendedBootRecords + 1, false));
    DiskPartitionList list;
    EXPECT_TRUE(ListPartitions(disk, kLargeDisk, list, nullptr).chainCut);
}

TEST(ExtendedChainBound, ALoopBackToTheFirstRecordIsCut) {
    std::vector<std::uint8_t> bytes = ExtendedChain(3, true);
    test::DiskBuilder disk(0);
    disk.bytes() = bytes;
    disk.entry(3, 1, 0x05, 0, 1);  // the last record links to the first
    DiskPartitionList list;
    EXPECT_TRUE(ListPartitions(ReaderOf(disk.bytes()), kLargeDisk, list, nullptr).chainCut);
    EXPECT_EQ(list.count(), 3u);
}

TEST(PartitionCountBound, LogicalPartitionsPastTheLimitAreNotListed) {
    const DiskReader disk = ReaderOf(ExtendedChain(limits::kMaxPartitionsPerDisk + 4, true));
    DiskPartitionList list;
    ListPartitions(disk, kLargeDisk, list, nullptr);
    EXPECT_EQ(list.count(), limits::kMaxPartitionsPerDisk);
    EXPECT_TRUE(list.full());
}

// A FAT16 volume of 64-sector clusters: FAT at sector 1 (one sector, 256
// entries), data from sector 130, a directory chain 2 -> 3 -> ... -> 2 + n - 1.
struct ChainVolume {
    FatLayout layout;
    std::vector<std::uint8_t> bytes;
};

ChainVolume DirectoryOfClusters(std::uint32_t clusters) {
    ChainVolume volume;
    volume.layout.kind = VolumeKind::Fat16;
    volume.layout.sectorsPerCluster = 64;
    volume.layout.sectorsPerFat = 1;
    volume.layout.reservedSectors = 1;
    volume.layout.firstFat = 1;
    volume.layout.secondFat = 2;
    volume.layout.cluster0Start = 130 - 2 * 64;
    test::DiskBuilder disk(130 + std::uint64_t{clusters} * 64);
    for (std::uint32_t c = 2; c < 2 + clusters; ++c)
        disk.put16(1, c * 2, static_cast<std::uint16_t>(c + 1 < 2 + clusters ? c + 1 : 0xFFFF));
    // Every entry a used file entry: no end mark anywhere.
    std::fill(disk.bytes().begin() + 130 * 512, disk.bytes().end(), std::uint8_t{'A'});
    volume.bytes = disk.bytes();
    return volume;
}

TEST(DirectorySizeBound, ADirectoryIsReadUpTo65536EntriesAndNoFurther) {
    // 64 clusters of 32 KiB are exactly 65536 entries; 65 are one cluster too many.
    for (std::uint32_t clusters : {64u, 65u}) {
        SCOPED_TRACE(clusters);
        const ChainVolume volume = DirectoryOfClusters(clusters);
        const DirectoryBytes directory = ReadDirectoryChain(ReaderOf(volume.bytes), volume.layout,
                                                            2, EndMarkRule::EndsDirectory);
        EXPECT_EQ(directory.bytes.size(), limits::kMaxFatDirectoryEntries * 32);
        EXPECT_EQ(directory.sectors.size(), 4096u);
    }
}

TEST(ClusterChainBound, ACycleIsCutAtTheFirstRepeatedCluster) {
    FatLayout layout;
    layout.kind = VolumeKind::Fat32;
    layout.sectorsPerCluster = 1;
    layout.sectorsPerFat = 4;
    layout.firstFat = 1;
    test::DiskBuilder disk(8);
    for (std::uint32_t c = 2; c < 200; ++c) disk.put32(1 + c / 128, (c % 128) * 4, c + 1);
    disk.put32(1 + 200 / 128, (200 % 128) * 4, 2);  // 200 -> 2: a loop of 199 clusters
    const ClusterChain chain = ReadClusterChain(ReaderOf(disk.bytes()), layout, 2);
    EXPECT_EQ(chain.size(), 199u);
    EXPECT_EQ(chain.back(), 200u);
}

TEST(AttributeListBound, AtMost68RecordsAreGatheredFromOneList) {
    std::vector<std::uint8_t> list(100 * 32, 0);
    for (std::uint32_t k = 0; k < 100; ++k) {
        list[k * 32] = 0x80;                                    // type: data
        list[k * 32 + 4] = 32;                                  // entry length
        list[k * 32 + 16] = static_cast<std::uint8_t>(k + 16);  // record number
    }
    std::vector<std::uint32_t> records;
    CollectEntries(ByteView(list), records, 0);
    ASSERT_EQ(records.size(), limits::kMaxAttributeListRecords);
    EXPECT_EQ(records.back(), limits::kMaxAttributeListRecords - 1 + 16);
}

// An index block of `size` bytes (the field at 32 holds size - 24) whose first
// entry names record 77 as its owner.
std::vector<std::uint8_t> IndexBlock(std::size_t size) {
    std::vector<std::uint8_t> block(std::max<std::size_t>(size, 512) + 512, 0);
    std::memcpy(block.data(), "INDX", 4);
    const std::uint32_t entries = static_cast<std::uint32_t>(size - 24);
    for (int i = 0; i < 4; ++i) block[32 + i] = static_cast<std::uint8_t>(entries >> (8 * i));
    block[24] = 0x28;     // first entry at 24 + 0x28 = 64
    block[64 + 16] = 77;  // its owner
    return block;
}

TEST(IndexBlockBound, A64KiBBlockIsAcceptedAndALargerOneRefused) {
    Catalogue catalogue;
    const std::vector<std::uint8_t> largest = IndexBlock(limits::kMaxNtfsIndexBlockBytes);
    EXPECT_TRUE(AddFoundIndexBlock(ReaderOf(largest), catalogue.MftRefTable, 0, ByteView(largest)));
    const std::vector<std::uint8_t> larger = IndexBlock(limits::kMaxNtfsIndexBlockBytes + 1);
    EXPECT_FALSE(AddFoundIndexBlock(ReaderOf(larger), catalogue.MftRefTable, 0, ByteView(larger)));
    EXPECT_EQ(catalogue.MftRefTable.count(), 1);
}

}  // namespace
}  // namespace datrevo
