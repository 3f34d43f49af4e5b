// The exFAT boot region: the main boot sector and its checksum sector, and
// the backup region that follows them.
//
// A boot region is 12 sectors of the volume's own sector size: the boot
// sector (0), eight extended boot sectors (1-8), the OEM parameters (9), a
// reserved sector (10) and the checksum sector (11), which repeats one 32-bit
// checksum of sectors 0-10. The backup region is the same 12 sectors again,
// from sector 12.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "disk/disk_reader.h"

namespace datrevo {

// Offsets in the boot sector (widths in bytes in the comments).
namespace exfat_boot {
inline constexpr std::size_t kJumpBoot = 0;        // 3: EB 76 90
inline constexpr std::size_t kFileSystemName = 3;  // 8: "EXFAT   "
inline constexpr std::size_t kMustBeZero = 11;     // 53: where FAT keeps its BPB
inline constexpr std::size_t kMustBeZeroLength = 53;
inline constexpr std::size_t kPartitionOffset = 64;              // 8: sectors, informational
inline constexpr std::size_t kVolumeLength = 72;                 // 8: sectors
inline constexpr std::size_t kFatOffset = 80;                    // 4: sectors from the volume start
inline constexpr std::size_t kFatLength = 84;                    // 4: sectors per FAT
inline constexpr std::size_t kClusterHeapOffset = 88;            // 4: sectors
inline constexpr std::size_t kClusterCount = 92;                 // 4
inline constexpr std::size_t kFirstClusterOfRootDirectory = 96;  // 4
inline constexpr std::size_t kVolumeSerialNumber = 100;          // 4
inline constexpr std::size_t kFileSystemRevision = 104;          // 2: minor, major
inline constexpr std::size_t kVolumeFlags = 106;                 // 2: not in the checksum
inline constexpr std::size_t kBytesPerSectorShift = 108;         // 1: 9..12
inline constexpr std::size_t kSectorsPerClusterShift = 109;      // 1: 0..25 - bytes shift
inline constexpr std::size_t kNumberOfFats = 110;                // 1: 1 or 2
inline constexpr std::size_t kPercentInUse = 112;                // 1: not in the checksum
inline constexpr std::size_t kBootSignature = 510;               // 2: 55 AA
inline constexpr std::size_t kSize = 512;                        // what this decoder reads

inline constexpr const char* kName = "EXFAT   ";
inline constexpr std::uint32_t kRegionSectors = 12;  // boot region length in volume sectors
inline constexpr std::uint32_t kChecksumSector = 11;
inline constexpr std::uint32_t kBackupRegionSector = 12;
}  // namespace exfat_boot

// The volume's parameters from a boot sector whose fields were checked.
struct ExfatBootSector {
    std::uint64_t partitionOffset = 0;
    std::uint64_t volumeLength = 0;       // sectors
    std::uint32_t fatOffset = 0;          // sectors
    std::uint32_t fatLength = 0;          // sectors
    std::uint32_t clusterHeapOffset = 0;  // sectors
    std::uint32_t clusterCount = 0;
    std::uint32_t rootCluster = 0;
    std::uint32_t volumeSerial = 0;
    std::uint16_t revision = 0;
    std::uint16_t volumeFlags = 0;
    std::uint8_t bytesPerSectorShift = 0;
    std::uint8_t sectorsPerClusterShift = 0;
    std::uint8_t numberOfFats = 0;

    std::uint32_t bytesPerSector() const { return std::uint32_t{1} << bytesPerSectorShift; }
    std::uint64_t bytesPerCluster() const {
        return std::uint64_t{1} << (bytesPerSectorShift + sectorsPerClusterShift);
    }
    std::uint64_t sectorsPerCluster() const { return std::uint64_t{1} << sectorsPerClusterShift; }
};

enum class ExfatDecode { Decoded, NotThis, Damaged };

struct ExfatBootDecode {
    ExfatDecode outcome = ExfatDecode::NotThis;
    ExfatBootSector boot;
    std::string reason;  // why it is not decoded: names the field and its value
};

// Decodes one boot sector (its first 512 bytes suffice). NotThis when the
// name at offset 3 is not "EXFAT   "; Damaged, with the reason, when a field
// lies outside what exFAT allows or the sector lacks its signature.
ExfatBootDecode DecodeExfatBootSector(std::span<const std::uint8_t> sector);

// The boot checksum of sectors 0-10 (`bytes` holds at least 11 sectors of
// `bytesPerSector` bytes); VolumeFlags and PercentInUse of sector 0 are left out.
std::uint32_t ExfatBootChecksum(std::span<const std::uint8_t> bytes, std::uint32_t bytesPerSector);

// Decodes a whole boot region (12 sectors of the size its boot sector gives):
// the boot sector as above, then the checksum sector must repeat the checksum
// of sectors 0-10; Damaged otherwise.
ExfatBootDecode DecodeExfatBootRegion(std::span<const std::uint8_t> region);

// The boot region of the volume that starts at `volumeStart` (512-byte disk
// sectors), read from the disk: the main region, or the backup when the main
// one is not decoded. `usedBackup` tells which; `reason` holds the main
// region's reason when the backup was used, or both reasons when neither is.
struct ExfatBootRead {
    ExfatBootDecode decode;
    bool usedBackup = false;
};
ExfatBootRead ReadExfatBootRegion(const DiskReader& disk, std::uint64_t volumeStart);

}  // namespace datrevo
