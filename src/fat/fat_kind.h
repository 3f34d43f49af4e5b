// The two FAT kinds the engine decodes, and the arithmetic every reader of a
// FAT volume shares: where a cluster lies and which cluster sizes are real.
#pragma once

#include <cstdint>

#include "fat/fat_layout.h"

namespace datrevo {

enum class FatKind { Fat16, Fat32 };

// Any kind other than FAT32 is read with 16-bit cluster numbers.
inline FatKind KindOf(VolumeKind kind) {
    return kind == VolumeKind::Fat32 ? FatKind::Fat32 : FatKind::Fat16;
}
inline FatKind KindOf(const FatLayout& layout) { return KindOf(layout.kind); }

// Sectors per cluster is a power of two from 1 to 128 in every FAT boot record.
inline bool IsValidSectorsPerCluster(std::uint64_t spc) {
    return spc >= 1 && spc <= 128 && (spc & (spc - 1)) == 0;
}

// First sector of a cluster: Cluster0Start + n x SPC, in 64 bits so that a
// damaged layout cannot wrap around to the start of the disk.
inline std::uint64_t ClusterSector(const FatLayout& layout, std::uint32_t cluster) {
    return static_cast<std::uint64_t>(cluster) * layout.sectorsPerCluster + layout.cluster0Start;
}

}  // namespace datrevo
