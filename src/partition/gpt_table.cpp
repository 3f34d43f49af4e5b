#include "partition/gpt_table.h"

#include <optional>

#include "base/limits.h"
#include "partition/gpt.h"
#include "partition/partition_table.h"

namespace datrevo {
namespace {

constexpr std::uint64_t kPrimaryHeaderLba = 1;
// The partition record keeps sectors in 32 bits: a partition must end at or
// before this sector.
constexpr std::uint64_t kLastAddressableEnd = 0xFFFFFFFFu;

struct ReadTable {
    std::optional<GptHeader> header;  // set when the header decoded
    std::vector<GptEntry> entries;
    bool sound = false;  // header and entry array both decoded
    std::string reason;
};

ReadTable ReadAt(const DiskReader& disk, std::uint64_t lba, std::uint64_t diskSectors) {
    ReadTable table;
    SectorBuffer sector{};
    disk.readSector(lba, sector);
    const GptHeaderResult header =
        DecodeGptHeader(ByteView(sector.data(), sector.size()), lba, diskSectors);
    if (header.status == GptDecode::NotThis) {
        table.reason = "it has no GPT header signature";
        return table;
    }
    if (header.status == GptDecode::Damaged) {
        table.reason = header.reason;
        return table;
    }
    table.header = header.header;
    const auto sectors = static_cast<std::uint32_t>(
        (header.header.entryArrayBytes() + limits::kSectorSize - 1) / limits::kSectorSize);
    int readResult = 0;
    const std::vector<std::uint8_t> array =
        disk.readRun(header.header.entriesLba, sectors, &readResult);
    const GptEntriesResult entries =
        DecodeGptEntries(ByteView(array.data(), array.size()), header.header);
    if (entries.status != GptDecode::Decoded) {
        table.reason = entries.reason;
        return table;
    }
    table.entries = entries.entries;
    table.sound = true;
    return table;
}

std::string Describe(const GptEntry& entry) {
    std::string text = "GPT partition " + std::to_string(entry.number);
    if (!entry.name.empty()) text += " (\"" + entry.name + "\")";
    return text;
}

}  // namespace

GptTableResult ListGptPartitions(const DiskReader& disk, std::uint64_t diskSectors,
                                 DiskPartitionList& list) {
    GptTableResult result;
    if (diskSectors < 2) return result;
    ReadTable table = ReadAt(disk, kPrimaryHeaderLba, diskSectors);
    if (!table.sound) {
        // The backup header sits where the primary says, normally the last sector.
        const std::string primaryReason = table.reason;
        std::uint64_t backupLba = diskSectors - 1;
        if (table.header && table.header->alternateLba > kPrimaryHeaderLba &&
            table.header->alternateLba < diskSectors)
            backupLba = table.header->alternateLba;
        ReadTable backup = ReadAt(disk, backupLba, diskSectors);
        if (!backup.sound && backupLba != diskSectors - 1) {
            backupLba = diskSectors - 1;
            backup = ReadAt(disk, backupLba, diskSectors);
        }
        if (!backup.sound) {
            result.notes.push_back("The GPT header at sector 1 is damaged (" + primaryReason +
                                   ") and so is its backup at sector " + std::to_string(backupLba) +
                                   " (" + backup.reason +
                                   "); search for lost partitions to find the volumes.");
            return result;
        }
        result.notes.push_back("The GPT header at sector 1 is damaged (" + primaryReason +
                               "); the partitions were read from its backup at sector " +
                               std::to_string(backupLba) + ".");
        result.fromBackup = true;
        table = std::move(backup);
    }
    result.read = true;

    for (const GptEntry& entry : table.entries) {
        if (entry.type != GptPartitionType::EfiSystem && entry.type != GptPartitionType::BasicData)
            continue;
        if (entry.lastLba >= kLastAddressableEnd) {
            result.notes.push_back(Describe(entry) + " ends at sector " +
                                   std::to_string(entry.lastLba) +
                                   ", beyond sector 4294967294, the last one this program "
                                   "addresses; it is not listed.");
            continue;
        }
        SectorBuffer boot{};
        disk.readSector(entry.firstLba, boot);
        const auto kind = PartitionKind(ByteView(boot.data(), boot.size()), 0, false);
        if (!kind) {
            result.notes.push_back(Describe(entry) +
                                   " holds no FAT16, FAT32, NTFS or exFAT boot sector; it is "
                                   "not listed.");
            continue;
        }
        if (list.add(*kind, entry.firstLba, entry.lastLba + 1)) result.partitionsListed = true;
    }
    return result;
}

}  // namespace datrevo
