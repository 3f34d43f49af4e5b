#include "ntfs/boot_record.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "base/boot_sector.h"
#include "ntfs/file_record.h"
#include "ntfs/ntfs_offsets.h"

namespace datrevo {
namespace {

constexpr std::uint32_t kRecordFieldTwoSectors = 246;   // 2^10 bytes
constexpr std::uint32_t kIndexFieldEightSectors = 244;  // 2^12 bytes

// One copy of the boot record that carries the NTFS signature.
struct BootCopy {
    std::uint64_t sector = 0;
    NtfsBootRecord record;
};

std::optional<BootCopy> ReadCopy(const DiskReader& reader, std::uint64_t sector) {
    SectorBuffer buffer{};
    reader.readSector(sector, buffer);
    const ByteView view(buffer.data(), buffer.size());
    if (!IsNtfsBootSector(view)) return std::nullopt;
    return BootCopy{sector, DecodeNtfsBootRecord(view)};
}

// First sector of the structure at `cluster`, when it begins with "FILE".
std::uint32_t LocateFileRecord(const DiskReader& reader, std::uint64_t searchStart,
                               std::uint64_t cluster, std::uint32_t sectorsPerCluster) {
    std::uint64_t sector = 0;
    if (__builtin_mul_overflow(cluster, sectorsPerCluster, &sector) ||
        __builtin_add_overflow(sector, searchStart, &sector) || sector > UINT32_MAX)
        return 0;
    SectorBuffer buffer{};
    reader.readSector(sector, buffer);
    return IsFileRecord(ByteView(buffer.data(), buffer.size())) ? static_cast<std::uint32_t>(sector)
                                                                : 0;
}

}  // namespace

std::uint64_t NtfsBootRecord::indexBlockSectors() const {
    if (indexBlockField == kIndexFieldEightSectors) return 8;
    return std::uint64_t{indexBlockField} * sectorsPerCluster;
}

std::uint64_t NtfsBootRecord::recordSectors() const {
    if (recordField == kRecordFieldTwoSectors) return 2;
    return std::uint64_t{recordField} * sectorsPerCluster;
}

bool IsNtfsBootSector(ByteView sector) {
    const BootSectorClass boot = ClassifyBootSector(sector, FatTextRule::WholeName);
    return boot.signature && boot.kind == BootSectorKind::Ntfs;
}

NtfsBootRecord DecodeNtfsBootRecord(ByteView sector) {
    NtfsBootRecord record;
    record.sectorsPerCluster = sector.u8(ntfs_boot::kSectorsPerCluster);
    record.totalSectors = sector.le64(ntfs_boot::kTotalSectors);
    record.mftCluster = sector.le64(ntfs_boot::kMftCluster);
    record.mftMirrorCluster = sector.le64(ntfs_boot::kMftMirrorCluster);
    record.recordField = sector.le32(ntfs_boot::kRecordField);
    record.indexBlockField = sector.le32(ntfs_boot::kIndexBlockField);
    return record;
}

bool IsValidSectorsPerCluster(std::uint32_t sectorsPerCluster) {
    return sectorsPerCluster >= 1 && sectorsPerCluster <= 128 &&
           (sectorsPerCluster & (sectorsPerCluster - 1)) == 0;
}

bool ValidateNtfsVolume(const DiskReader& reader, std::uint64_t searchStart,
                        std::uint64_t searchEnd, NtfsGeometry& geometry, NtfsValues& values) {
    if (searchStart > UINT32_MAX) return false;
    // The boot sector; its backup only when the boot sector is missing or a
    // value of it is unsound: the last sector of the partition as the
    // partition table counts it, or the sector just past the volume's own
    // sector count, as a boot sector found by the lost-partition search
    // gives the end. Nothing past the disk's end is read.
    std::vector<BootCopy> copies;
    if (auto first = ReadCopy(reader, searchStart)) copies.push_back(*first);
    bool backupTried = false;
    const auto addBackup = [&]() {
        if (backupTried) return false;
        backupTried = true;
        const std::uint64_t diskEnd = reader.totalSectors();
        for (std::uint64_t backup : {searchEnd > searchStart + 1 ? searchEnd - 1 : 0, searchEnd}) {
            if (backup <= searchStart || (diskEnd != 0 && backup >= diskEnd)) continue;
            if (auto copy = ReadCopy(reader, backup)) {
                copies.push_back(*copy);
                return true;
            }
        }
        return false;
    };
    // The first copy, in order, for which `take` succeeds.
    const auto fromCopies = [&](auto&& take) {
        for (std::size_t i = 0;; ++i) {
            if (i == copies.size() && !addBackup()) return false;
            if (i < copies.size() && take(copies[i].record)) return true;
        }
    };

    std::uint32_t spc = 0;
    if (!fromCopies([&](const NtfsBootRecord& record) {
            if (!IsValidSectorsPerCluster(record.sectorsPerCluster)) return false;
            spc = record.sectorsPerCluster;
            return true;
        }))
        return false;

    std::uint64_t recordSectors = 0;
    if (!fromCopies([&](NtfsBootRecord record) {
            record.sectorsPerCluster = spc;
            const std::uint64_t sectors = record.recordSectors();
            if (sectors != 2 && sectors != 4 && sectors != 6 && sectors != 8) return false;
            recordSectors = sectors;
            return true;
        }))
        return false;

    std::uint32_t mft = 0;
    std::uint32_t mirror = 0;
    fromCopies([&](const NtfsBootRecord& record) {
        mft = LocateFileRecord(reader, searchStart, record.mftCluster, spc);
        return mft != 0;
    });
    fromCopies([&](const NtfsBootRecord& record) {
        mirror = LocateFileRecord(reader, searchStart, record.mftMirrorCluster, spc);
        return mirror != 0;
    });
    if (mft == 0 && mirror == 0) return false;

    NtfsBootRecord first = copies.front().record;
    first.sectorsPerCluster = spc;
    const std::uint64_t indexSectors = first.indexBlockSectors();

    geometry.sectorsPerCluster = spc;
    geometry.cluster0Start = static_cast<std::uint32_t>(searchStart);
    values.mftStart = mft;
    values.mftMirrorStart = mirror;
    values.recordSectors = static_cast<std::uint32_t>(recordSectors);
    values.indexBlockSectors =
        static_cast<std::uint32_t>(std::min<std::uint64_t>(indexSectors, UINT32_MAX));
    return true;
}

}  // namespace datrevo
