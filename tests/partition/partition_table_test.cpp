#include <gtest/gtest.h>

#include "listed_partitions.h"

#include "partition/partition_details.h"
#include "partition/partition_table.h"
#include "support/disk_builder.h"
#include "support/recording_observer.h"

namespace datrevo {
namespace {

using test::DiskBuilder;

using test::Entries;
using test::Listed;

PartitionTableResult List(const DiskBuilder& disk, DiskPartitionList& list,
                          test::RecordingObserver* observer = nullptr) {
    return ListPartitions(disk.reader(), disk.sectors(), list, observer);
}

TEST(PartitionTable, NtfsEntryAtSector63) {
    DiskBuilder disk(60000);
    disk.entry(0, 0, 0x07, 63, 40000);
    disk.bootSector(63, "NTFS");
    DiskPartitionList list;
    EXPECT_TRUE(List(disk, list).partitionsListed);
    EXPECT_EQ(Entries(list), (std::vector<Listed>{{"NTFS", 63, 40063}}));
    EXPECT_EQ(PartitionItemText(2, VolumeKind::Ntfs), "Partition - 2 ( NTFS )");
}

TEST(PartitionTable, BootSectorSignatureWinsOverTheTypeByte) {
    DiskBuilder disk(60000);
    disk.entry(0, 0, 0x0C, 100, 1000);
    disk.bootSector(100, "FAT16");
    disk.entry(0, 1, 0x83, 2000, 1000);  // a Linux type whose sector holds an NTFS boot sector
    disk.bootSector(2000, "NTFS");
    disk.entry(0, 2, 0x83, 4000, 1000);  // no signature: the type byte stands, not listed
    DiskPartitionList list;
    List(disk, list);
    EXPECT_EQ(Entries(list), (std::vector<Listed>{{"FAT16", 100, 1100}, {"NTFS", 2000, 3000}}));
}

TEST(PartitionTable, LogicalVolumesFollowThePrimariesWithTheirRecordsOffsets) {
    DiskBuilder disk(80000);
    disk.entry(0, 0, 0x06, 63, 1000);
    disk.entry(0, 1, 0x05, 2000, 50000);
    // First EBR at 2000: a FAT32 volume 63 sectors in, link to the next at +10000.
    disk.entry(2000, 0, 0x0B, 63, 5000);
    disk.entry(2000, 1, 0x05, 10000, 8000);
    disk.bootSector(2063, "FAT32");
    disk.entry(12000, 0, 0x0C, 63, 6000);
    disk.bootSector(12063, "FAT32");
    DiskPartitionList list;
    EXPECT_TRUE(List(disk, list).partitionsListed);
    EXPECT_EQ(
        Entries(list),
        (std::vector<Listed>{{"FAT16", 63, 1063}, {"FAT32", 2063, 7063}, {"FAT32", 12063, 18063}}));
}

TEST(PartitionTable, Type01IsListedOnlyInsideTheExtendedChain) {
    DiskBuilder disk(80000);
    disk.entry(0, 0, 0x01, 63, 1000);
    disk.entry(0, 1, 0x0F, 2000, 9000);
    disk.entry(2000, 0, 0x01, 63, 1000);
    DiskPartitionList list;
    List(disk, list);
    EXPECT_EQ(Entries(list), (std::vector<Listed>{{"FAT16", 2063, 3063}}));
}

TEST(PartitionTable, ExtendedRecordsUseAllFourEntries) {
    DiskBuilder disk(80000);
    disk.entry(0, 0, 0x05, 1000, 50000);
    disk.entry(1000, 0, 0x06, 63, 100);
    disk.entry(1000, 1, 0x04, 263, 100);
    disk.entry(1000, 2, 0x06, 463, 100);  // a hand-edited third entry
    DiskPartitionList list;
    List(disk, list);
    EXPECT_EQ(list.count(), 3u);
    EXPECT_EQ(list.record(2).firstSector, 1463u);
}

TEST(PartitionTable, EntryNearTheDiskEndIsACorruptedTable) {
    DiskBuilder disk(1000);
    disk.entry(0, 0, 0x06, 63, 100);
    disk.entry(0, 1, 0x06, 980000, 100);  // with 1,000,000 sectors: 20,000 from the end
    disk.bootSector(63, "FAT16");
    DiskPartitionList list;
    test::RecordingObserver observer;
    const PartitionTableResult result = ListPartitions(disk.reader(), 1000000, list, &observer);
    EXPECT_TRUE(result.corrupted);
    ASSERT_EQ(observer.failures.size(), 1u);
    EXPECT_EQ(observer.failures[0].cause, ReadFailureCause::CorruptedTable);
    EXPECT_EQ(list.count(), 1u);  // what was read before the bad entry stays
}

TEST(PartitionTable, LoopingExtendedChainEnds) {
    DiskBuilder disk(80000);
    disk.entry(0, 0, 0x05, 1000, 50000);
    disk.entry(1000, 0, 0x06, 63, 100);
    disk.entry(1000, 1, 0x05, 5000, 100);
    disk.entry(6000, 0, 0x06, 63, 100);
    disk.entry(6000, 1, 0x05, 0, 100);  // back to the first record
    DiskPartitionList list;
    const PartitionTableResult result = List(disk, list);
    EXPECT_TRUE(result.chainCut);
    EXPECT_EQ(list.count(), 2u);
}

TEST(PartitionTable, EndlessChainStopsAtTheRecordLimitAndTheListAtTwentySix) {
    DiskBuilder disk(200000);
    disk.entry(0, 0, 0x05, 1000, 190000);
    for (std::uint32_t i = 0; i < 100; ++i) {
        const std::uint64_t record = 1000 + i * 1000;
        disk.entry(record, 0, 0x06, 63, 100);
        disk.entry(record, 1, 0x05, (i + 1) * 1000, 1000);
    }
    DiskPartitionList list;
    const PartitionTableResult result = List(disk, list);
    EXPECT_TRUE(result.chainCut);
    EXPECT_EQ(list.count(), limits::kMaxPartitionsPerDisk);
}

TEST(PartitionTable, ZeroedOrUnsignedTableListsNothing) {
    DiskBuilder disk(60000);
    DiskPartitionList list;
    EXPECT_FALSE(List(disk, list).partitionsListed);
    disk.entry(0, 0, 0x06, 63, 100);
    disk.put8(0, 511, 0);
    EXPECT_FALSE(List(disk, list).partitionsListed);
    EXPECT_EQ(list.count(), 0u);
}

TEST(PartitionTable, VolumeWithoutATableIsOnePartitionOverTheWholeDisk) {
    for (const char* kind : {"FAT16", "FAT32", "NTFS"}) {
        DiskBuilder disk(70000);
        disk.bootSector(0, kind);
        disk.entry(0, 0, 0x07, 0x41414141, 5);  // boot code that looks like an entry
        disk.bootSector(0, kind);
        DiskPartitionList list;
        EXPECT_TRUE(List(disk, list).partitionsListed) << kind;
        EXPECT_EQ(Entries(list), (std::vector<Listed>{{kind, 0, 70000}}));
    }
}

TEST(PartitionDetails, StandardRowsDescribeThePartition) {
    CurrentDisk disk;
    disk.totalSectors64 = 1000000;
    const PartitionDetails details =
        ShowPartitionDetails(VolumeKind::Fat32, 1, 2, SearchMode::Standard, 2048, 206848, disk);
    ASSERT_EQ(details.rows.size(), 7u);
    EXPECT_EQ(details.rows[0].name, "1.   Disk Number                    :  ");
    EXPECT_EQ(details.rows[0].value, "2");
    EXPECT_EQ(details.rows[1].value, "2");
    EXPECT_EQ(details.rows[3].value, "Standard");
    EXPECT_EQ(details.rows[6].value, "100 MB");
    EXPECT_EQ(details.modeText, "Standard Search");
    EXPECT_EQ(details.typeChoice, PartitionTypeChoice::Fat32);
    EXPECT_FALSE(details.typeChoiceEnabled);
}

TEST(PartitionDetails, UnknownPartitionCoversTheDiskInAdvanceMode) {
    CurrentDisk disk;
    disk.totalSectors64 = 204800;
    const PartitionDetails details =
        ShowPartitionDetails(VolumeKind::Unknown, 0, 0, SearchMode::Advance, 0, 0, disk);
    ASSERT_EQ(details.rows.size(), 3u);
    EXPECT_EQ(details.rows[1].value, "Advance");
    EXPECT_EQ(details.rows[2].value, "100 MB");
    EXPECT_EQ(details.endField, 204800);
    EXPECT_EQ(details.typeChoice, PartitionTypeChoice::Unknown);
    EXPECT_TRUE(details.typeChoiceEnabled);
}

TEST(PartitionTable, ExfatBootSectorUnderType07IsExfatNotNtfs) {
    DiskBuilder disk(100000);
    disk.entry(0, 0, 0x07, 2048, 30000);
    disk.putText(2048, 3, "EXFAT   ");
    disk.sign(2048);
    disk.entry(0, 1, 0x07, 40000, 30000);
    disk.bootSector(40000, "NTFS");
    DiskPartitionList list;
    EXPECT_TRUE(List(disk, list).partitionsListed);
    EXPECT_EQ(Entries(list), (std::vector<Listed>{{"exFAT", 2048, 32048}, {"NTFS", 40000, 70000}}));
}

TEST(PartitionTable, ExfatVolumeWithoutATableIsNamedToo) {
    DiskBuilder disk(70000);
    disk.putText(0, 3, "EXFAT   ");
    disk.sign(0);
    DiskPartitionList list;
    List(disk, list);
    EXPECT_EQ(Entries(list), (std::vector<Listed>{{"exFAT", 0, 70000}}));
}

TEST(PartitionTable, WholeDiskVolumeLargerThanTheDiskKeepsItsOwnSize) {
    // Images cut short: the volume's boot sector still counts all its sectors.
    DiskBuilder fat(50000);
    fat.bootSector(0, "FAT32");
    fat.put32(0, 32, 70000);
    DiskBuilder ntfs(50000);
    ntfs.bootSector(0, "NTFS");
    ntfs.put32(0, 40, 70000);  // a backup boot sector after them need not be there
    DiskBuilder smallFat(50000);
    smallFat.bootSector(0, "FAT16");
    smallFat.put16(0, 19, 20000);  // smaller than the disk: the disk's size stands
    for (auto* disk : {&fat, &ntfs, &smallFat}) {
        DiskPartitionList list;
        List(*disk, list);
        ASSERT_EQ(list.count(), 1u);
        EXPECT_EQ(list.record(0).endSector, disk == &smallFat ? 50000u : 70000u);
    }
}

TEST(PartitionDetails, PartitionPastTheDiskEndGetsOneWarningRow) {
    CurrentDisk disk;
    disk.totalSectors64 = 50000;
    PartitionDetails details =
        ShowPartitionDetails(VolumeKind::Fat32, 0, 0, SearchMode::Standard, 10240, 79872, disk);
    ASSERT_EQ(details.rows.size(), 8u);
    EXPECT_EQ(details.rows[7].value,
              "The partition extends past the end of the disk (39760 of 69632 sectors readable)");
    details =
        ShowPartitionDetails(VolumeKind::Fat32, 0, 0, SearchMode::Advance, 10240, 79872, disk);
    ASSERT_EQ(details.rows.size(), 4u);
    EXPECT_NE(details.rows[3].value.find("39760 of 69632"), std::string::npos);
    // Ending exactly at the disk's end is fine; so is a disk of unknown size.
    EXPECT_EQ(
        ShowPartitionDetails(VolumeKind::Fat32, 0, 0, SearchMode::Standard, 10240, 50000, disk)
            .rows.size(),
        7u);
    EXPECT_FALSE(PastDiskEndWarning(10240, 79872, 0));
    EXPECT_EQ(*PastDiskEndWarning(60000, 70000, 50000),
              "The partition extends past the end of the disk (0 of 10000 sectors readable)");
}

TEST(PartitionDetails, EveryListedKindIsSearchedAndExfatHasItsTypeChoice) {
    for (VolumeKind kind : {VolumeKind::Fat16, VolumeKind::Fat32, VolumeKind::Ntfs,
                            VolumeKind::Exfat, VolumeKind::Unknown})
        EXPECT_FALSE(UnsupportedKindMessage(kind)) << VolumeKindText(kind);
    EXPECT_EQ(ChoiceForKind(VolumeKind::Exfat), PartitionTypeChoice::Exfat);
    EXPECT_EQ(KindOfChoice(PartitionTypeChoice::Exfat), VolumeKind::Exfat);
    EXPECT_EQ(static_cast<int>(PartitionTypeChoice::Unknown), 3);  // the specified positions stay
}

}  // namespace
}  // namespace datrevo
