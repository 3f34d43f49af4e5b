// Filling a FatLayout for a partition: from its boot record, or by inference
// from the directory clusters found on the medium when the boot record is
// gone; and making a layout the active one that every FAT reader uses.
#pragma once

#include <cstdint>
#include <stop_token>
#include <string_view>

#include "base/visible_texts.h"
#include "base/observer.h"
#include "disk/disk_reader.h"
#include "fat/fat_layout.h"

namespace datrevo {

// FAT boot sector fields (little-endian):
//   0x0D  1  sectors per cluster       0x0E  2  reserved sectors
//   0x11  2  root entries (FAT16)      0x13  2  total sectors (0: see 0x20)
//   0x16  2  sectors per FAT (FAT16)   0x20  4  total sectors
//   0x24  4  sectors per FAT (FAT32)   0x2C  4  root cluster (FAT32)
//   0x36  8  "FAT16   " (FAT16)        0x52  8  "FAT32   " (FAT32)
//   510   2  0x55 0xAA
namespace fat_boot {
inline constexpr std::size_t kSectorsPerCluster = 0x0D;
inline constexpr std::size_t kReservedSectors = 0x0E;
inline constexpr std::size_t kRootEntries = 0x11;
inline constexpr std::size_t kTotalSectors16 = 0x13;
inline constexpr std::size_t kSectorsPerFat16 = 0x16;
inline constexpr std::size_t kTotalSectors32 = 0x20;
inline constexpr std::size_t kSectorsPerFat32 = 0x24;
inline constexpr std::size_t kRootCluster = 0x2C;
// A FAT32 volume keeps a copy of its boot sector six sectors in.
inline constexpr std::uint64_t kBackupBootSector = 6;
// The media byte that begins every FAT copy of a fixed disk.
inline constexpr std::uint8_t kFixedDiskMedia = 0xF8;
}  // namespace fat_boot

// Reads the layout of the FAT16 or FAT32 partition that starts at
// `partitionStart` from its boot record (on FAT32 the backup at start + 6
// stands in for a damaged one). The fields are checked before any sector
// number is computed from them, and the sectors are computed in 64 bits.
// Fails on a missing 0x55 0xAA signature, on a second FAT that does not
// begin with 0xF8, on a sectors-per-cluster value that is no power of two up
// to 128, on no reserved sector or no sector per FAT, on a cluster 0 that
// would lie before the disk's first sector and on sectors past 2^32; on
// failure `layout` keeps its values.
bool ReadFatBootLayout(const DiskReader& disk, std::uint64_t partitionStart, VolumeKind kind,
                       FatLayout& layout);

// Infers the layout of the partition [start, end) from two directory
// clusters: the first sector that begins with "." and ".." entries is the
// anchor, and the first later one whose cluster and sector distances give a
// whole cluster size of 1 to 128 sectors fixes sectors per cluster and
// Cluster0Start. The reserved sectors are found from the first FAT's
// 0xF8 0xFF start, the FAT size from the space left before the data. On
// FAT16, when no pair fits (a volume with one folder), the layout is read
// from the two FAT copies and the root directory instead
// (InferFat16FromFatCopies).
// Reports "Calculating Partition Params..." and its progress. Fails (layout
// unchanged) when no pair fits, for a kind other than FAT16/FAT32, or when
// stopped.
bool InferFatLayout(const DiskReader& disk, std::uint64_t start, std::uint64_t end, VolumeKind kind,
                    FatLayout& layout, RecoveryObserver& observer,
                    const std::stop_token& stop = {});

// The active layout becomes a copy of the partition layout.
inline void ActivateLayout(const FatLayout& partitionLayout, FatLayout& activeLayout) {
    activeLayout = partitionLayout;
}

}  // namespace datrevo
