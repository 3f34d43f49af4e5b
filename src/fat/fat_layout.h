// The layout of a FAT volume: where the FAT copies, the root directory and
// cluster 0 lie. All sector numbers are absolute, from the disk's sector 0.
#pragma once

#include <cstdint>

#include "base/volume_kind.h"

namespace datrevo {

struct FatLayout {
    std::uint32_t sectorsPerFat = 0;      // "SPF"
    std::uint32_t sectorsPerCluster = 0;  // "SPC": 1, 2, 4 ... 128
    std::uint32_t rootSectors = 0;        // "Root Sectors": FAT16 fixed root; 0 on FAT32
    std::uint32_t rootStart = 0;          // "Root Start": FAT16 root sector; FAT32 root cluster
    std::uint32_t reservedSectors = 0;    // "Reserve Sectors"
    std::uint32_t cluster0Start = 0;      // "Cluster0Start": first data sector - 2 x SPC
    std::uint32_t firstFat = 0;           // "firstFAT"
    std::uint32_t secondFat = 0;          // "secondFAT" = firstFAT + SPF
    VolumeKind kind = VolumeKind::None;   // "PartType": FAT16 or FAT32

    bool operator==(const FatLayout&) const = default;
};

}  // namespace datrevo
