// The Advance search on exFAT: from what the scan of a range found
// (exfat_advance_scan.h) to the volumes offered to the user, and from the
// chosen volume's row back to a volume the walk can read.
//
// Volumes with a boot sector come first, in disk order: a boot sector whose
// backup follows 12 sectors later is the main one; a lone one is the main
// or the backup whichever puts the root directory on a found root sector.
// The directory sectors inside such a volume's cluster heap are its own.
//
// The directory sectors left over give volumes whose boot region is gone:
// their cluster size and heap from the folder links (and the root's link to
// its up-case table), exfat_geometry_inference.h; their root directory is a
// found root sector that falls on a cluster of that geometry, whose
// Allocation Bitmap entry gives the cluster count (the bitmap must fit on
// the disk); their FAT the nearest FAT start before the heap. Without a
// FAT the volume still reads: FAT-chained data is then taken as contiguous
// and said to be uncertain. Without a root sector the folders are found by
// the lost-folder scan alone.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "catalogue/catalogue_table.h"
#include "disk/disk_reader.h"
#include "exfat/exfat_advance_scan.h"
#include "exfat/exfat_boot_region.h"

namespace datrevo {

struct ExfatFoundVolume {
    std::uint64_t start =
        0;  // disk sector of the volume's first sector (inferred: its FAT, else its heap)
    ExfatBootSector boot;  // inferred volumes in 512-byte sectors; fatLength 0: no FAT found
    bool fromBootSector = false;
    std::uint64_t bootSector = 0;  // the boot sector read (the main one, or the backup)
    bool backupUsed = false;
    bool checksumValid = false;
    bool rootFound = false;
    std::size_t directories = 0;  // directory sectors of the scan inside its cluster heap
    std::size_t linksExplained = 0;

    // Disk sectors of cluster 2 and past the heap's last cluster.
    std::uint64_t heapStart() const;
    std::uint64_t heapEnd() const;
};

// Volumes inferred without a boot sector: at most this many per search (each
// takes one round over the directory sectors left over).
inline constexpr int kMaxExfatInferredVolumes = 16;

// The volumes the findings show. `end` is where the scan ended: cluster
// counts of inferred volumes without a root are bounded by the disk's end,
// or by `end` when the disk's size is unknown. Reads a few sectors to place
// the root of a lone boot sector.
std::vector<ExfatFoundVolume> AnalyzeExfatFindings(const DiskReader& disk,
                                                   const ExfatScanFindings& findings,
                                                   std::uint64_t end);

// A VolumeTable (or BootRecordTable) row of an exFAT volume, in the cells
// an exFAT layout keeps, all numbers 512-byte disk sectors: "Sector" the
// boot sector read ("0" for an inferred volume), "SPF" the FAT's length (0:
// no FAT found), "SPC" the sectors per cluster, "Root Sectors" the cluster
// count, "Root Start" the root directory's first cluster (0: not found),
// "Reserve Sectors" the FAT's offset from the volume's first sector,
// "Cluster0Start" where cluster 0 would lie (two clusters before the heap,
// modulo 2^32), "firstFAT" and "secondFAT" the FATs' sectors (0: none),
// "TotalSectors" the sector past the volume, "PartType" "exFAT".
int AppendExfatVolumeRow(CatalogueTable& table, const ExfatFoundVolume& volume);

// The volume that row `row` describes, ready for an ExfatVolume: its first
// sector (FatOffset before its FAT; without a FAT, its heap) and parameters
// in 512-byte sectors. Nothing when the row's numbers are not those of a
// readable volume (a hostile log).
struct ExfatRebuiltVolume {
    std::uint64_t start = 0;
    ExfatBootSector boot;
};
std::optional<ExfatRebuiltVolume> ReadExfatVolumeRow(const CatalogueTable& table, int row);

}  // namespace datrevo
