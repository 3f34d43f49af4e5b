// One exFAT volume on a disk: where its clusters lie, its FAT and its
// allocation bitmap, read through the sector reader.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "disk/disk_reader.h"
#include "exfat/exfat_boot_region.h"

namespace datrevo {

// Cluster chains are bounded by the volume's cluster count; directories by
// exFAT's own limit of 256 MiB.
inline constexpr std::uint64_t kMaxExfatDirectoryBytes = std::uint64_t{256} << 20;

class ExfatVolume {
public:
    // `volumeStart` in 512-byte disk sectors; `boot` a decoded boot sector.
    ExfatVolume(DiskReader disk, std::uint64_t volumeStart, const ExfatBootSector& boot);

    const ExfatBootSector& boot() const { return boot_; }
    const DiskReader& disk() const { return disk_; }
    std::uint64_t clusterBytes() const { return boot_.bytesPerCluster(); }
    // True for 2 .. ClusterCount + 1.
    bool isDataCluster(std::uint32_t cluster) const {
        return cluster >= 2 && cluster - 2 < boot_.clusterCount;
    }
    // Byte offset of a data cluster on the disk.
    std::uint64_t clusterDiskByte(std::uint32_t cluster) const;
    // The 512-byte disk sector where a byte of the volume lies.
    std::uint64_t diskSectorOfVolumeByte(std::uint64_t volumeByte) const {
        return volumeStart_ + volumeByte / limits::kSectorSize;
    }

    // Reads `count` consecutive clusters from `cluster`; clusters outside the
    // heap read as nothing (false).
    bool readClusters(std::uint32_t cluster, std::uint32_t count,
                      std::vector<std::uint8_t>& out) const;

    // The FAT entry of a cluster (first FAT); nothing outside the FAT.
    std::optional<std::uint32_t> fatEntry(std::uint32_t cluster) const;
    // False for a volume rebuilt without its FAT (FatLength 0): every entry
    // is then unknown, and FAT-chained data is read as if contiguous.
    bool hasFat() const { return boot_.fatLength != 0; }

    // Loads the allocation bitmap from its first cluster and length (from the
    // root's Allocation Bitmap entry). False when they do not fit the volume.
    bool loadBitmap(std::uint32_t firstCluster, std::uint64_t dataLength);
    bool hasBitmap() const { return !bitmap_.empty(); }
    // Whether the bitmap marks the cluster in use; clusters outside the heap,
    // or any cluster without a bitmap, count as in use.
    bool isAllocated(std::uint32_t cluster) const;

private:
    DiskReader disk_;
    std::uint64_t volumeStart_;
    ExfatBootSector boot_;
    std::vector<std::uint8_t> bitmap_;
    // The FAT sector last read: chains are mostly read in order.
    mutable std::uint64_t cachedFatSector_ = ~std::uint64_t{0};
    mutable SectorBuffer cachedFat_{};
};

// Consecutive clusters.
struct ExfatClusterRun {
    std::uint32_t first = 0;
    std::uint32_t count = 0;
};

// The clusters of a chain or a contiguous run, in order, as runs of
// consecutive clusters (so that a long contiguous file costs one run).
struct ExfatClusterList {
    std::vector<ExfatClusterRun> runs;
    std::uint64_t clusters = 0;  // in all runs
    bool complete = true;        // false: the chain broke (free, bad, outside the heap) or looped

    void add(std::uint32_t cluster) {
        if (!runs.empty() && runs.back().first + runs.back().count == cluster &&
            runs.back().count < 0xFFFFFFFFu)
            ++runs.back().count;
        else
            runs.push_back({cluster, 1});
        ++clusters;
    }
};

// The clusters that hold `bytes` bytes from `firstCluster`: consecutive ones
// when `noFatChain` or the volume has no FAT, else those of the FAT chain, at most as many as the
// length needs (and never more than the volume has).
ExfatClusterList ExfatDataClusters(const ExfatVolume& volume, std::uint32_t firstCluster,
                                   bool noFatChain, std::uint64_t bytes);
// The whole FAT chain from `firstCluster` (the root directory has no length).
ExfatClusterList ExfatFatChain(const ExfatVolume& volume, std::uint32_t firstCluster,
                               std::uint64_t maxClusters);

}  // namespace datrevo

namespace datrevo {

// The clusters a deleted FAT-chained file most likely held: its first
// cluster, then the clusters after it that the bitmap shows free, as many as
// `bytes` needs. Never complete in the sense of proven: `complete` says only
// whether enough free clusters were found before the end of the heap.
ExfatClusterList ExfatFreeClustersFrom(const ExfatVolume& volume, std::uint32_t firstCluster,
                                       std::uint64_t bytes);

// Whether any cluster of the list is marked in use in the bitmap.
bool ExfatAnyAllocated(const ExfatVolume& volume, const ExfatClusterList& list);

}  // namespace datrevo
