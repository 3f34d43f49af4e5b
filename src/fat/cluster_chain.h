// Following a cluster chain through the first FAT copy.
//
// FAT16 entry of cluster n: the 16-bit word at byte (n mod 256) x 2 of sector
// firstFAT + n / 256. FAT32: the 32-bit word at byte (n mod 128) x 4 of sector
// firstFAT + n / 128, of which the low 28 bits count. A value from 2 to
// 0xFFF6 (FAT16) or 0x0FFFFFF6 (FAT32) names the next cluster; 0 (free), the
// bad-cluster mark and the end-of-chain marks end the chain.
#pragma once

#include <cstdint>
#include <vector>

#include "disk/disk_reader.h"
#include "fat/fat_layout.h"

namespace datrevo {

using ClusterChain = std::vector<std::uint32_t>;

// The chain that starts at `firstCluster`, the first cluster included. It
// ends at an end mark, when the FAT sector index would pass SPF, when a FAT
// read fails, when firstFAT is 0 (only the first cluster then), at the first
// cluster it would repeat (a cycle), or after `maxClusters` clusters. A
// deleted file's first FAT entry is normally 0, so its chain is its first
// cluster alone.
ClusterChain ReadClusterChain(const DiskReader& disk, const FatLayout& layout,
                              std::uint32_t firstCluster, std::size_t maxClusters);
ClusterChain ReadClusterChain(const DiskReader& disk, const FatLayout& layout,
                              std::uint32_t firstCluster);

}  // namespace datrevo
