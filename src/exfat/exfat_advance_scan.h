// The Advance scan on exFAT: every sector of a range is read once and tested
// for the pieces an exFAT volume leaves behind, whatever became of its boot
// region:
//   - boot sectors ("EXFAT   " at offset 3, fields within exFAT's limits),
//     with whether their 12-sector region carries the boot checksum;
//   - directory sectors: a sector that starts with an entry set (File,
//     Stream Extension and File Name entries, in use or deleted) whose set
//     checksum matches; the root directory, which starts with its Volume
//     Label, Allocation Bitmap and Up-case Table entries instead;
//   - folder links: the first cluster that a folder's entry set names (in
//     any sector, so that the sets of a directory's later sectors count too);
//   - the starts of FATs (media entry F8 FFFFFF, then FFFFFFFF) and of
//     up-case tables (the identity mapping of the first characters).
// Directory sectors do not know their own cluster number; the links do, and
// the analysis (exfat_advance_search.h) matches the two.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <stop_token>
#include <vector>

#include "disk/disk_reader.h"
#include "exfat/exfat_boot_region.h"
#include "exfat/exfat_entry_set.h"

namespace datrevo {

struct ExfatFoundBoot {
    std::uint64_t sector = 0;  // disk sector of the boot sector
    ExfatBootSector boot;
    bool checksumValid = false;  // sector 11 of its region repeats the region's checksum
};

struct ExfatFoundDirectory {
    std::uint64_t sector = 0;
    bool root = false;
    // Root only: the Allocation Bitmap (first FAT's) and Up-case Table entries.
    ExfatAllocationBitmapEntry bitmap;
    ExfatAllocationBitmapEntry upcase;
};

// A folder's entry set naming the folder's first cluster, and where it lies.
struct ExfatFolderLink {
    std::uint64_t sector = 0;  // disk sector holding the File entry
    std::uint32_t cluster = 0;
};

// Bounds on what one scan keeps, so that a medium full of look-alike sectors
// cannot make it allocate without end: far more than any real card holds
// (a million folders), and a few hundred FATs and up-case tables.
inline constexpr std::size_t kMaxExfatFoundDirectories = std::size_t{1} << 20;
inline constexpr std::size_t kMaxExfatFoundLinks = std::size_t{1} << 20;
inline constexpr std::size_t kMaxExfatFoundBoots = 1024;
inline constexpr std::size_t kMaxExfatFoundTables = 1024;

struct ExfatScanFindings {
    std::vector<ExfatFoundBoot> boots;
    std::vector<ExfatFoundDirectory> directories;  // in disk order
    std::vector<ExfatFolderLink> links;            // in disk order
    std::vector<std::uint64_t> fatStarts;          // in disk order
    std::vector<std::uint64_t> upcaseStarts;       // in disk order
    bool truncated = false;  // a bound above was reached: later finds were dropped
    bool stopped = false;
};

// What one sector shows, from its 512 bytes and the bytes after it (a set
// that starts near the sector's end runs into the next one; `bytes` may be
// shorter at the end of a scan). Boot sectors are only recognised here, not
// checked against their region. Pure: for the scan and the fuzzers.
struct ExfatSectorFinds {
    bool bootSector = false;
    ExfatBootSector boot;
    bool directory = false;
    ExfatFoundDirectory directoryFind;
    bool fatStart = false;
    bool upcaseStart = false;
    std::vector<std::uint32_t> links;  // first clusters of the folders whose sets start here
};
ExfatSectorFinds ClassifyExfatSector(std::span<const std::uint8_t> bytes);

// Called after each run of the scan with the sector reached and what was found so far.
using ExfatScanProgress =
    std::function<void(std::uint64_t sectorReached, const ExfatScanFindings& findings)>;

// Scans [start, end) of the disk (never past its last sector). A stop request
// ends the scan; what was found so far is kept (`stopped`).
ExfatScanFindings ScanForExfatStructures(const DiskReader& disk, std::uint64_t start,
                                         std::uint64_t end, std::stop_token stop = {},
                                         const ExfatScanProgress& progress = {});

}  // namespace datrevo
