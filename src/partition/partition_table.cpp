#include "partition/partition_table.h"

#include <algorithm>
#include <set>

#include "base/limits.h"
#include "partition/gpt.h"
#include "partition/gpt_table.h"

namespace datrevo {
namespace {

constexpr std::size_t kEntryTable = 0x1BE;
constexpr std::size_t kEntrySize = 16;

// Reads the boot sector of a partition entry and decides its kind.
std::optional<VolumeKind> DecideKind(const DiskReader& disk, std::uint64_t bootSector,
                                     std::uint8_t entryType, bool inExtendedChain) {
    SectorBuffer sector{};
    disk.readSector(bootSector, sector);  // an unreadable sector leaves the type byte to decide
    return PartitionKind(ByteView(sector.data(), sector.size()), entryType, inExtendedChain);
}

// Sector counts of a volume's boot sector.
namespace volume_size {
constexpr std::size_t kFatSectors16 = 19;       // 2: small FAT volumes; 0 when the next is used
constexpr std::size_t kFatSectors32 = 32;       // 4
constexpr std::size_t kNtfsSectors = 40;        // 8: the backup boot sector after them not counted
constexpr std::size_t kExfatLength = 72;        // 8: in the volume's own sectors
constexpr std::size_t kExfatSectorShift = 108;  // 1: log2 of its sector size, 9 to 12
}  // namespace volume_size

// The sectors a whole-disk volume says it has (0 when it says nothing sound),
// at most the 32 bits a partition keeps.
std::uint64_t VolumeSectors(ByteView boot, VolumeKind kind) {
    std::uint64_t sectors = 0;
    switch (kind) {
        case VolumeKind::Ntfs:
            // Images of a volume alone often end before the backup boot sector.
            sectors = boot.le64(volume_size::kNtfsSectors);
            break;
        case VolumeKind::Exfat: {
            const unsigned shift = boot.u8(volume_size::kExfatSectorShift);
            const std::uint64_t length = boot.le64(volume_size::kExfatLength);
            if (shift >= 9 && shift <= 12 && length <= (std::uint64_t{UINT32_MAX} >> (shift - 9)))
                sectors = length << (shift - 9);
            break;
        }
        case VolumeKind::None:
        case VolumeKind::Fat12:
        case VolumeKind::Fat16:
        case VolumeKind::Fat32:
        case VolumeKind::Unknown:
            sectors = boot.le16(volume_size::kFatSectors16);
            if (sectors == 0) sectors = boot.le32(volume_size::kFatSectors32);
            break;
    }
    return std::min<std::uint64_t>(sectors, UINT32_MAX);
}

bool HasProtectiveEntry(ByteView mbr) {
    for (int i = 0; i < 4; ++i)
        if (ReadPartitionEntry(mbr, i).type == kProtectiveMbrType) return true;
    return false;
}

}  // namespace

PartitionEntry ReadPartitionEntry(ByteView sector, int index) {
    const std::size_t at = kEntryTable + static_cast<std::size_t>(index) * kEntrySize;
    return {sector.u8(at + 4), sector.le32(at + 8), sector.le32(at + 12)};
}

std::uint8_t TypeBySignature(ByteView bootSector, std::uint8_t entryType) {
    switch (ClassifyBootSector(bootSector, FatTextRule::WholeName).kind) {
        case BootSectorKind::Fat32: return 0x0B;
        case BootSectorKind::Fat16: return 0x06;
        case BootSectorKind::Ntfs: return 0x07;
        case BootSectorKind::Exfat:
        case BootSectorKind::None: break;
    }
    return entryType;
}

bool IsExfatBootSector(ByteView sector) {
    return ClassifyBootSector(sector, FatTextRule::WholeName).kind == BootSectorKind::Exfat;
}

std::optional<VolumeKind> PartitionKind(ByteView bootSector, std::uint8_t entryType,
                                        bool inExtendedChain) {
    if (IsExfatBootSector(bootSector)) return VolumeKind::Exfat;
    return KindForType(TypeBySignature(bootSector, entryType), inExtendedChain);
}

std::optional<VolumeKind> KindForType(std::uint8_t type, bool inExtendedChain) {
    switch (type) {
        case 0x04:
        case 0x06:
        case 0x0E: return VolumeKind::Fat16;
        case 0x01:
            if (inExtendedChain) return VolumeKind::Fat16;
            return std::nullopt;
        case 0x0B:
        case 0x0C: return VolumeKind::Fat32;
        case 0x07: return VolumeKind::Ntfs;
        default: return std::nullopt;
    }
}

bool IsExtendedType(std::uint8_t type) { return type == 0x05 || type == 0x0F; }

std::optional<VolumeKind> WholeDiskVolumeKind(ByteView sector0) {
    if (!HasBootSignature(sector0)) return std::nullopt;
    if (IsExfatBootSector(sector0)) return VolumeKind::Exfat;
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
    // nonsense entries. The whole disk is that one volume, or more when the
    // volume says it is larger than the disk (an image cut short).
    if (const auto kind = WholeDiskVolumeKind(mbrView)) {
        const std::uint64_t end =
            std::max(diskTotalSectors, tableSector + VolumeSectors(mbrView, *kind));
        if (list.add(*kind, tableSector, end)) result.partitionsListed = true;
        return result;
    }

    if (tableSector == 0 && HasProtectiveEntry(mbrView)) {
        GptTableResult gpt = ListGptPartitions(disk, diskTotalSectors, list);
        result.gpt = true;
        result.gptFromBackup = gpt.fromBackup;
        result.partitionsListed = gpt.partitionsListed;
        result.notes = std::move(gpt.notes);
        return result;
    }

    std::optional<std::uint64_t> extendedStart;
    for (int i = 0; i < 4; ++i) {
        const PartitionEntry entry = ReadPartitionEntry(mbrView, i);
        if (entry.type == 0) continue;
        const std::int64_t room = static_cast<std::int64_t>(diskTotalSectors) -
                                  static_cast<std::int64_t>(entry.firstSector);
        if (room < limits::kCorruptedTableMargin) {
            result.corrupted = true;
            if (observer != nullptr)
                observer->readFailureNotice(
                    {ReadFailureCause::CorruptedTable, entry.firstSector, 1});
            return result;
        }
        const std::uint64_t first = tableSector + entry.firstSector;
        SectorBuffer boot{};
        disk.readSector(first, boot);  // an unreadable sector leaves the type byte to decide
        const ByteView bootView(boot.data(), boot.size());
        if (const auto kind = PartitionKind(bootView, entry.type, false)) {
            if (list.add(*kind, first, first + entry.sectorCount)) result.partitionsListed = true;
        } else if (IsExtendedType(TypeBySignature(bootView, entry.type))) {
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
            if (const auto kind = DecideKind(disk, first, entry.type, true)) {
                if (list.add(*kind, first, first + entry.sectorCount))
                    result.partitionsListed = true;
            }
        }
    }
    return result;
}

}  // namespace datrevo
