// The NTFS boot record (one 512-byte sector) and the validation of an NTFS
// partition from it or from its backup copy at the end of the volume.
//
//   3   4 bytes  "NTFS"
//  13   8 bits   sectors per cluster
//  40  64 bits   total sectors of the volume (the backup lies just past them)
//  48  64 bits   first cluster of the MFT
//  56  64 bits   first cluster of the MFT mirror
//  64  32 bits   clusters per file record; 246 (0xF6) means 2 sectors
//  68  32 bits   clusters per index block; 244 (0xF4) means 8 sectors
// 510   2 bytes  0x55 0xAA
#pragma once

#include <cstdint>

#include "base/byte_view.h"
#include "disk/disk_reader.h"
#include "ntfs/ntfs_values.h"

namespace datrevo {

struct NtfsBootRecord {
    std::uint32_t sectorsPerCluster = 0;
    std::uint64_t totalSectors = 0;
    std::uint64_t mftCluster = 0;
    std::uint64_t mftMirrorCluster = 0;
    std::uint32_t recordField = 0;      // raw value at 64
    std::uint32_t indexBlockField = 0;  // raw value at 68

    // Size of an index block in sectors (244 means 8, else field x spc).
    std::uint64_t indexBlockSectors() const;
    // Size of a file record in sectors (246 means 2, else field x spc).
    std::uint64_t recordSectors() const;
};

// True when the sector ends with 0x55 0xAA and carries "NTFS" at 3.
bool IsNtfsBootSector(ByteView sector);
NtfsBootRecord DecodeNtfsBootRecord(ByteView sector);
bool IsValidSectorsPerCluster(std::uint32_t sectorsPerCluster);

// Validates the NTFS partition from `searchStart` to `searchEnd` (one past
// its last sector). On success fills the geometry's sectors per cluster and
// cluster-0 start (the partition's first sector), and the NTFS values; on
// failure leaves them unchanged and returns false.
bool ValidateNtfsVolume(const DiskReader& reader, std::uint64_t searchStart,
                        std::uint64_t searchEnd, NtfsGeometry& geometry, NtfsValues& values);

}  // namespace datrevo
