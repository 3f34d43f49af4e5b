#include "partition/partition_table.h"

#include <set>

#include "base/limits.h"

namespace datrevo {
namespace {

constexpr std::size_t kEntryTable = 0x1BE;
constexpr std::size_t kEntrySize = 16;

bool IsListedType(std::uint8_t type, bool inExtendedChain) {
    return KindForType(type, inExtendedChain).has_value();
}

// Reads the boot sector of a partition entry and decides its type.
std::uint8_t DecideType(const DiskReader& disk, std::uint64_t bootSector, std::uint8_t entryType) {
    SectorBuffer sector{};
    disk.readSector(bootSector, sector);  // an unreadable sector leaves the type byte to decide
    return TypeBySignature(ByteView(sector.data(), sector.size()), entryType);
}

}  // namespace

PartitionEntry ReadPartitionEntry(ByteView sector, int index) {
    const std::size_t at = kEntryTable + static_cast<std::size_t>(index) * kEntrySize;
    return {sector.u8(at + 4), sector.le32(at + 8), sector.le32(at + 12)};
}

bool HasBootSignature(ByteView sector) { return sector.u8(510) == 0x55 && sector.u8(511) == 0xAA; }

std::uint8_t TypeBySignature(ByteView bootSector, std::uint8_t entryType) {
    if (bootSector.matches(82, "FAT32")) return 0x0B;
    if (bootSector.matches(54, "FAT16")) return 0x06;
    if (bootSector.matches(3, "NTFS")) return 0x07;
    return entryType;
}

std::optional<std::string> KindForType(std::uint8_t type, bool inExtendedChain) {
    switch (type) {
        case 0x04:
        case 0x06:
        case 0x0E:
            return kKindFat16;
        case 0x01:
            if (inExtendedChain) return kKindFat16;
            return std::nullopt;
        case 0x0B:
        case 0x0C:
            return kKindFat32;
        case 0x07:
            return kKindNtfs;
        default:
            return std::nullopt;
    }
}

bool IsExtendedType(std::uint8_t type) { return type == 0x05 || type == 0x0F; }

std::optional<std::string> WholeDiskVolumeKind(ByteView sector0) {
    if (!HasBootSignature(sector0)) return std::nullopt;
    const std::uint8_t type = TypeBySignature(sector0, 0);
    if (type == 0) return std::nullopt;
    return KindForType(type, false);
}

PartitionTableResult ListPartitions(const DiskReader& disk, std::uint64_t diskTotalSectors,
                                    DiskPartitionList& list, RecoveryObserver* observer,
                                    std::uint64_t tableSector) {
    PartitionTableResult result;
    SectorBuffer mbr{};
    disk.readSector(tableSector, mbr);
    const ByteView mbrView(mbr.data(), mbr.size());
    if (!HasBootSignature(mbrView)) return result;

    // A volume boot sector in place of the table: its boot code would read as
    // nonsense entries. The whole disk is that one volume.
    if (const auto kind = WholeDiskVolumeKind(mbrView)) {
        if (list.add(*kind, tableSector, diskTotalSectors)) result.partitionsListed = true;
        return result;
    }

    std::optional<std::uint64_t> extendedStart;
    for (int i = 0; i < 4; ++i) {
        const PartitionEntry entry = ReadPartitionEntry(mbrView, i);
        if (entry.type == 0) continue;
        const std::int64_t room =
            static_cast<std::int64_t>(diskTotalSectors) - static_cast<std::int64_t>(entry.firstSector);
        if (room < limits::kCorruptedTableMargin) {
            result.corrupted = true;
            if (observer != nullptr)
                observer->readFailureNotice(
                    {ReadFailureCause::CorruptedTable, entry.firstSector, 1});
            return result;
        }
        const std::uint64_t first = tableSector + entry.firstSector;
        const std::uint8_t type = DecideType(disk, first, entry.type);
        if (IsListedType(type, false)) {
            if (list.add(*KindForType(type, false), first, first + entry.sectorCount))
                result.partitionsListed = true;
        } else if (IsExtendedType(type)) {
            extendedStart = first;  // the last extended entry wins
        }
    }
    if (!extendedStart) return result;

    // Follow the chain of extended boot records. Each record is visited once,
    // and the chain is cut after a bounded number of records.
    std::set<std::uint64_t> visited;
    std::optional<std::uint64_t> next = 0;
    while (next) {
        const std::uint64_t recordSector = *extendedStart + *next;
        next.reset();
        if (!visited.insert(recordSector).second ||
            visited.size() > limits::kMaxExtendedBootRecords) {
            result.chainCut = true;
            break;
        }
        SectorBuffer ebr{};
        disk.readSector(recordSector, ebr);
        const ByteView ebrView(ebr.data(), ebr.size());
        if (!HasBootSignature(ebrView)) break;
        // All four entries: hand-edited records and some tools use the third.
        for (int i = 0; i < 4; ++i) {
            const PartitionEntry entry = ReadPartitionEntry(ebrView, i);
            if (entry.type == 0) continue;
            if (IsExtendedType(entry.type)) {
                next = entry.firstSector;
                continue;
            }
            const std::uint64_t first = recordSector + entry.firstSector;
            const std::uint8_t type = DecideType(disk, first, entry.type);
            if (IsListedType(type, true)) {
                if (list.add(*KindForType(type, true), first, first + entry.sectorCount))
                    result.partitionsListed = true;
            }
        }
    }
    return result;
}

}  // namespace datrevo
