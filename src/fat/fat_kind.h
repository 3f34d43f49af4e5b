// The two FAT kinds the engine decodes, and the arithmetic every reader of a
// FAT volume shares: where a cluster lies and which cluster sizes are real.
#pragma once

#include <cstdint>
#include <string_view>

#include "fat/fat_layout.h"

namespace datrevo {

enum class FatKind { Fat16, Fat32 };

inline constexpr std::string_view kFat16Text = "FAT16";
inline constexpr std::string_view kFat32Text = "FAT32";

// Any kind text other than "FAT32" is read with 16-bit cluster numbers.
inline FatKind KindOf(std::string_view kindText) {
    return kindText == kFat32Text ? FatKind::Fat32 : FatKind::Fat16;
}
inline FatKind KindOf(const FatLayout& layout) { return KindOf(layout.kind); }
inline bool IsFatKind(std::string_view kindText) {
    return kindText == kFat16Text || kindText == kFat32Text;
}

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
