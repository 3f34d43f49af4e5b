// Inferring a FAT16 layout from the FAT copies when the boot sector is gone
// and too few folders survive to pair their clusters.
//
// Both FAT copies begin with the media entry F8 FF and the end-of-chain
// entry FF FF, lie one after the other and are identical: the first copy's
// start gives the reserved sectors, the distance between them the sectors
// per FAT, and the fixed root directory follows the second copy. The cluster
// size comes from the evidence the volume keeps:
//   - a folder's first sector and the cluster its "." entry names:
//     sector = root start + root sectors + (cluster - 2) x SPC;
//   - the files of the root directory and of that folder: a file of n bytes
//     has a chain of ceil(n / (512 x SPC)) clusters in the FAT;
//   - the FAT's size: mkfs makes it just large enough for the clusters.
#pragma once

#include <cstdint>
#include <optional>

#include "disk/disk_reader.h"
#include "fat/fat_layout.h"

namespace datrevo {

// A sector that begins with a directory's "." and ".." entries, and the
// cluster its "." entry names.
struct DirectorySectorClue {
    std::uint64_t sector = 0;
    std::uint32_t cluster = 0;
};

// Sectors from the partition start searched for the two copies: reserved
// sectors (mkfs.fat aligns them to at most 1 MiB) and two FATs of at most
// 256 sectors each (65 536 sixteen-bit entries).
inline constexpr std::uint64_t kFatCopySearchSectors = 2048 + 2 * 256;

// The layout of the FAT16 volume in [start, end) from its FAT copies, with
// `folder` (when one was found) to place the data area. Nothing when no two
// identical copies are found or no cluster size fits the evidence.
std::optional<FatLayout> InferFat16FromFatCopies(const DiskReader& disk, std::uint64_t start,
                                                 std::uint64_t end,
                                                 std::optional<DirectorySectorClue> folder);

}  // namespace datrevo
