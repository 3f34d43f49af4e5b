// GUID partition tables: the decoders on crafted bytes (checksums, sizes,
// places that cannot be), and the reader on crafted disks with damaged
// primary headers, damaged entry arrays and partitions past 2^32 sectors.
#include <gtest/gtest.h>

#include "listed_partitions.h"

#include <string_view>

#include "base/crc32.h"
#include "partition/gpt.h"
#include "partition/gpt_table.h"
#include "partition/partition_table.h"
#include "support/disk_builder.h"
#include "support/faulty_source.h"
#include "support/image_fixture.h"

namespace datrevo {
namespace {

using test::DiskBuilder;

constexpr Guid kLinuxFilesystemType = {0xAF, 0x3D, 0xC6, 0x0F, 0x83, 0x84, 0x72, 0x47,
                                       0x8E, 0x79, 0x3D, 0x69, 0xD8, 0x47, 0x7D, 0xE4};

struct CraftedEntry {
    Guid type;
    std::uint64_t first;
    std::uint64_t last;
    std::u16string name;
};

void Put64(DiskBuilder& disk, std::uint64_t sector, std::size_t offset, std::uint64_t value) {
    disk.put32(sector, offset, static_cast<std::uint32_t>(value));
    disk.put32(sector, offset + 4, static_cast<std::uint32_t>(value >> 32));
}

// A GPT disk as partitioning tools lay it out: protective MBR, header at 1,
// 128 entries of 128 bytes from 2, and the backup entries and header at the
// end, every checksum right.
class GptDisk {
public:
    explicit GptDisk(std::uint64_t sectors) : disk_(sectors) {}

    DiskBuilder& disk() { return disk_; }
    std::uint64_t backupLba() const { return disk_.sectors() - 1; }

    void add(const CraftedEntry& entry) { entries_.push_back(entry); }

    DiskBuilder& build() {
        const std::uint64_t last = disk_.sectors() - 1;
        disk_.entry(0, 0, kProtectiveMbrType, 1,
                    static_cast<std::uint32_t>(std::min<std::uint64_t>(last, 0xFFFFFFFF)));
        writeEntries(2);
        writeEntries(last - 32);
        writeHeader(1, last, 2);
        writeHeader(last, 1, last - 32);
        return disk_;
    }

    // Rewrites the header at `lba` with its checksum after `edit` changed it.
    template <typename Edit>
    void editHeader(std::uint64_t lba, Edit edit) {
        edit(disk_, lba);
        resealHeader(lba);
    }

    void resealHeader(std::uint64_t lba) {
        disk_.put32(lba, gpt_header::kHeaderCrc, 0);
        disk_.put32(lba, gpt_header::kHeaderCrc,
                    Crc32(std::span<const std::uint8_t>(disk_.sector(lba), 92)));
    }

private:
    void writeEntries(std::uint64_t lba) {
        for (std::size_t i = 0; i < entries_.size(); ++i) {
            const std::uint64_t sector = lba + i / 4;
            const std::size_t at = (i % 4) * 128;
            std::copy(entries_[i].type.begin(), entries_[i].type.end(), disk_.sector(sector) + at);
            disk_.put8(sector, at + gpt_entry::kUniqueGuid, static_cast<std::uint8_t>(i + 1));
            Put64(disk_, sector, at + gpt_entry::kFirstLba, entries_[i].first);
            Put64(disk_, sector, at + gpt_entry::kLastLba, entries_[i].last);
            for (std::size_t c = 0; c < entries_[i].name.size(); ++c)
                disk_.put16(sector, at + gpt_entry::kName + c * 2, entries_[i].name[c]);
        }
    }

    void writeHeader(std::uint64_t lba, std::uint64_t alternate, std::uint64_t entriesLba) {
        disk_.putText(lba, 0, "EFI PART");
        disk_.put32(lba, 8, 0x00010000);
        disk_.put32(lba, gpt_header::kHeaderSize, 92);
        Put64(disk_, lba, gpt_header::kMyLba, lba);
        Put64(disk_, lba, gpt_header::kAlternateLba, alternate);
        Put64(disk_, lba, gpt_header::kFirstUsableLba, 34);
        Put64(disk_, lba, gpt_header::kLastUsableLba, disk_.sectors() - 34);
        Put64(disk_, lba, gpt_header::kEntriesLba, entriesLba);
        disk_.put32(lba, gpt_header::kEntryCount, 128);
        disk_.put32(lba, gpt_header::kEntrySize, 128);
        disk_.put32(lba, gpt_header::kEntriesCrc,
                    Crc32(std::span<const std::uint8_t>(disk_.sector(entriesLba), 128 * 128)));
        resealHeader(lba);
    }

    DiskBuilder disk_;
    std::vector<CraftedEntry> entries_;
};

// A FAT32 ESP and an NTFS basic-data partition, with a Linux one between.
GptDisk ThreePartitionDisk() {
    GptDisk gpt(30000);
    gpt.add({kEfiSystemPartitionType, 2048, 10239, u"EFI system"});
    gpt.add({kLinuxFilesystemType, 10240, 12287, u"linux"});
    gpt.add({kBasicDataPartitionType, 12288, 28671, u"Daten \u00e4"});
    gpt.build();
    gpt.disk().bootSector(2048, "FAT32");
    gpt.disk().bootSector(10240, "FAT16");  // not listed: the type is Linux's
    gpt.disk().bootSector(12288, "NTFS");
    return gpt;
}

using test::Entries;
using test::Listed;

ByteView View(DiskBuilder& disk, std::uint64_t sector, std::size_t sectors = 1) {
    return ByteView(disk.sector(sector), sectors * 512);
}

TEST(Crc32, MatchesTheCheckValueOfTheStandard) {
    constexpr std::string_view text = "123456789";
    const std::span<const std::uint8_t> bytes(reinterpret_cast<const std::uint8_t*>(text.data()),
                                              text.size());
    EXPECT_EQ(Crc32(bytes), 0xCBF43926u);
    EXPECT_EQ(Crc32({}), 0u);
}

TEST(GptHeaderDecode, SoundHeaderGivesItsFields) {
    GptDisk gpt = ThreePartitionDisk();
    const GptHeaderResult header = DecodeGptHeader(View(gpt.disk(), 1), 1, 30000);
    ASSERT_EQ(header.status, GptDecode::Decoded) << header.reason;
    EXPECT_EQ(header.header.alternateLba, 29999u);
    EXPECT_EQ(header.header.entriesLba, 2u);
    EXPECT_EQ(header.header.entryCount, 128u);
    EXPECT_EQ(header.header.entrySize, 128u);
}

TEST(GptHeaderDecode, NoSignatureIsNotAGptHeader) {
    DiskBuilder disk(4);
    EXPECT_EQ(DecodeGptHeader(View(disk, 1), 1, 4).status, GptDecode::NotThis);
}

TEST(GptHeaderDecode, ChecksumSelfSectorEntrySizeAndArrayPlaceAreChecked) {
    {
        GptDisk gpt = ThreePartitionDisk();
        gpt.disk().put8(1, gpt_header::kEntriesLba, 3);  // changed after the checksum
        const auto result = DecodeGptHeader(View(gpt.disk(), 1), 1, 30000);
        EXPECT_EQ(result.status, GptDecode::Damaged);
        EXPECT_NE(result.reason.find("checksum"), std::string::npos) << result.reason;
    }
    {
        GptDisk gpt = ThreePartitionDisk();
        // A header read from sector 1 that says it lives elsewhere.
        EXPECT_EQ(DecodeGptHeader(View(gpt.disk(), 29999), 1, 30000).status, GptDecode::Damaged);
    }
    const auto damagedBy = [](auto edit) {
        GptDisk gpt = ThreePartitionDisk();
        gpt.editHeader(1, edit);
        return DecodeGptHeader(View(gpt.disk(), 1), 1, 30000);
    };
    EXPECT_EQ(damagedBy([](DiskBuilder& d, std::uint64_t l) {
                  d.put32(l, gpt_header::kEntrySize, 100);
              }).status,
              GptDecode::Damaged);
    EXPECT_EQ(damagedBy([](DiskBuilder& d, std::uint64_t l) {
                  d.put32(l, gpt_header::kEntrySize, 0);
              }).status,
              GptDecode::Damaged);
    // Four billion entries of 128 bytes: refused before anything is read.
    EXPECT_EQ(damagedBy([](DiskBuilder& d, std::uint64_t l) {
                  d.put32(l, gpt_header::kEntryCount, 0xFFFFFFFF);
              }).status,
              GptDecode::Damaged);
    EXPECT_EQ(damagedBy([](DiskBuilder& d, std::uint64_t l) {
                  Put64(d, l, gpt_header::kEntriesLba, 29990);  // runs past the disk's end
              }).status,
              GptDecode::Damaged);
    EXPECT_EQ(damagedBy([](DiskBuilder& d, std::uint64_t l) {
                  Put64(d, l, gpt_header::kEntriesLba, ~std::uint64_t{0});
              }).status,
              GptDecode::Damaged);
    // A header size past the sector cannot be checked.
    EXPECT_EQ(damagedBy([](DiskBuilder& d, std::uint64_t l) {
                  d.put32(l, gpt_header::kHeaderSize, 4096);
              }).status,
              GptDecode::Damaged);
}

TEST(GptEntriesDecode, UsedEntriesWithTheirTypesAndNames) {
    GptDisk gpt = ThreePartitionDisk();
    const GptHeader header = DecodeGptHeader(View(gpt.disk(), 1), 1, 30000).header;
    const GptEntriesResult entries = DecodeGptEntries(View(gpt.disk(), 2, 32), header);
    ASSERT_EQ(entries.status, GptDecode::Decoded);
    ASSERT_EQ(entries.entries.size(), 3u);
    EXPECT_EQ(entries.entries[0].type, GptPartitionType::EfiSystem);
    EXPECT_EQ(entries.entries[0].name, "EFI system");
    EXPECT_EQ(entries.entries[1].type, GptPartitionType::Other);
    EXPECT_EQ(entries.entries[2].type, GptPartitionType::BasicData);
    EXPECT_EQ(entries.entries[2].number, 3u);
    EXPECT_EQ(entries.entries[2].firstLba, 12288u);
    EXPECT_EQ(entries.entries[2].lastLba, 28671u);
    EXPECT_EQ(entries.entries[2].name, "Daten \xC3\xA4");
}

TEST(GptEntriesDecode, ChangedOrShortArrayIsDamaged) {
    GptDisk gpt = ThreePartitionDisk();
    const GptHeader header = DecodeGptHeader(View(gpt.disk(), 1), 1, 30000).header;
    EXPECT_EQ(DecodeGptEntries(View(gpt.disk(), 2, 31), header).status, GptDecode::Damaged);
    gpt.disk().put8(2, gpt_entry::kFirstLba, 1);
    EXPECT_EQ(DecodeGptEntries(View(gpt.disk(), 2, 32), header).status, GptDecode::Damaged);
}

TEST(GptEntriesDecode, EntryEndingBeforeItStartsIsLeftOut) {
    GptDisk gpt(30000);
    gpt.add({kBasicDataPartitionType, 5000, 4000, u"backwards"});
    gpt.build();
    const GptHeader header = DecodeGptHeader(View(gpt.disk(), 1), 1, 30000).header;
    EXPECT_TRUE(DecodeGptEntries(View(gpt.disk(), 2, 32), header).entries.empty());
}

TEST(GptTable, ListsFatAndNtfsOfEfiAndBasicDataPartitionsOnly) {
    GptDisk gpt = ThreePartitionDisk();
    DiskPartitionList list;
    const PartitionTableResult result = ListPartitions(gpt.disk().reader(), 30000, list, nullptr);
    EXPECT_TRUE(result.gpt);
    EXPECT_TRUE(result.partitionsListed);
    EXPECT_FALSE(result.gptFromBackup);
    EXPECT_EQ(Entries(list), (std::vector<Listed>{{"FAT32", 2048, 10240}, {"NTFS", 12288, 28672}}));
}

TEST(GptTable, DamagedPrimaryHeaderOrArrayIsReadFromTheBackup) {
    for (const bool damageArray : {false, true}) {
        GptDisk gpt = ThreePartitionDisk();
        if (damageArray)
            gpt.disk().put8(3, 7, 0x5A);  // inside the primary entry array
        else
            std::fill_n(gpt.disk().sector(1), 512, std::uint8_t{0});
        DiskPartitionList list;
        const PartitionTableResult result =
            ListPartitions(gpt.disk().reader(), 30000, list, nullptr);
        EXPECT_TRUE(result.gptFromBackup) << damageArray;
        EXPECT_EQ(Entries(list),
                  (std::vector<Listed>{{"FAT32", 2048, 10240}, {"NTFS", 12288, 28672}}));
        ASSERT_EQ(result.notes.size(), 1u);
        EXPECT_NE(result.notes[0].find("backup at sector 29999"), std::string::npos)
            << result.notes[0];
    }
}

TEST(GptTable, BothHeadersDamagedListsNothingAndSaysSo) {
    GptDisk gpt = ThreePartitionDisk();
    gpt.disk().put8(1, 100, 1);  // outside the 92 bytes: harmless
    gpt.disk().put8(1, 30, 1);   // inside: the checksum no longer matches
    gpt.disk().put8(29999, 0, 'X');
    DiskPartitionList list;
    const PartitionTableResult result = ListPartitions(gpt.disk().reader(), 30000, list, nullptr);
    EXPECT_TRUE(result.gpt);
    EXPECT_FALSE(result.partitionsListed);
    EXPECT_EQ(list.count(), 0u);
    ASSERT_EQ(result.notes.size(), 1u);
    EXPECT_NE(result.notes[0].find("search for lost partitions"), std::string::npos);
}

TEST(GptTable, PartitionBeyondThirtyTwoBitSectorsIsLeftOutWithAReason) {
    // The header names a disk larger than the crafted bytes: the reader is
    // told the disk's size, so the entries stay inside it.
    GptDisk gpt(30000);
    gpt.add({kBasicDataPartitionType, 2048, 10239, u"small"});
    gpt.add({kBasicDataPartitionType, 0xFFFFF000ull, 0x1FFFFFFFFull, u"huge"});
    gpt.build();
    gpt.disk().bootSector(2048, "NTFS");
    DiskPartitionList list;
    const PartitionTableResult result = ListPartitions(gpt.disk().reader(), 30000, list, nullptr);
    EXPECT_EQ(Entries(list), (std::vector<Listed>{{"NTFS", 2048, 10240}}));
    ASSERT_EQ(result.notes.size(), 1u);
    EXPECT_NE(result.notes[0].find("GPT partition 2 (\"huge\") ends at sector 8589934591"),
              std::string::npos)
        << result.notes[0];
}

TEST(GptTable, BasicDataWithoutAKnownBootSectorIsNotedAndExfatIsNamed) {
    GptDisk gpt(30000);
    gpt.add({kBasicDataPartitionType, 2048, 10239, u"unknown"});
    gpt.add({kBasicDataPartitionType, 10240, 20479, u"card"});
    gpt.build();
    gpt.disk().putText(10240, 3, "EXFAT   ");
    gpt.disk().sign(10240);
    DiskPartitionList list;
    const PartitionTableResult result = ListPartitions(gpt.disk().reader(), 30000, list, nullptr);
    EXPECT_EQ(Entries(list), (std::vector<Listed>{{"exFAT", 10240, 20480}}));
    ASSERT_EQ(result.notes.size(), 1u);
    EXPECT_NE(result.notes[0].find("GPT partition 1 (\"unknown\") holds no FAT16"),
              std::string::npos);
}

TEST(GptTable, FailingSectorsOfThePrimaryTableLeadToTheBackupOfTheFixture) {
    const std::vector<std::uint8_t> bytes =
        test::ReadGzip(std::string(DATREVO_FIXTURE_DIR) + "/images/gpt-fat32-ntfs.img.gz");
    const std::uint64_t sectors = bytes.size() / 512;
    for (const std::uint64_t bad : {std::uint64_t{1}, std::uint64_t{2}, std::uint64_t{0}}) {
        auto source = std::make_shared<test::FaultySource>(bytes);
        if (bad != 0) source->badSectors = {bad};     // the header, or the first entries
        source->shortReadLimit = bad == 0 ? 512 : 0;  // or reads that return one sector
        const DiskReader reader(source, nullptr);
        DiskPartitionList list;
        const PartitionTableResult result = ListPartitions(reader, sectors, list, nullptr);
        EXPECT_EQ(result.gptFromBackup, bad != 0) << bad;
        EXPECT_EQ(Entries(list),
                  (std::vector<Listed>{{"FAT32", 2048, 71680}, {"NTFS", 71680, 79872}}))
            << bad;
    }
}

TEST(GptTable, ProtectiveEntryOnADiskTooSmallForAHeaderListsNothing) {
    DiskBuilder disk(1);
    disk.entry(0, 0, kProtectiveMbrType, 1, 100);
    DiskPartitionList list;
    const PartitionTableResult result = ListPartitions(disk.reader(), 1, list, nullptr);
    EXPECT_EQ(list.count(), 0u);
    EXPECT_FALSE(result.partitionsListed);
}

}  // namespace
}  // namespace datrevo
