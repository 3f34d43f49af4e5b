// The search for partitions that the table no longer lists.
//
// Boot sectors are looked for where partitions start: on the cylinder
// boundaries of the disk's geometry (normalised to 255 heads and 63 sectors
// per track), where older tools put them, and on every 1 MiB boundary, where
// current tools, cameras and phones put them.
#pragma once

#include <cstdint>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

#include "base/byte_view.h"
#include "base/observer.h"
#include "disk/disk_description.h"
#include "disk/disk_reader.h"
#include "partition/partition_list.h"

namespace datrevo {

struct DiskGeometry {
    std::uint32_t cylinders = 0;
    std::uint32_t heads = 0;
    std::uint32_t sectorsPerTrack = 0;
};

// The 255-head, 63-sector form of a geometry: with S other than 63, the
// cylinders become N x H x S / 16065 (32-bit arithmetic, remainder dropped).
DiskGeometry NormaliseGeometry(DiskGeometry geometry);
DiskGeometry GeometryOf(const CurrentDisk& disk);

// A boot sector recognised by the search: its kind and the sector count its
// boot record gives.
struct FoundBootSector {
    std::string kind;
    std::uint32_t sectorCount = 0;
};

// "EXFAT   " at 3 (listed as exFAT, never taken for NTFS or FAT), "32" at 85
// (the end of "FAT32" at 82), "16" at 57 (the end of "FAT16" at 54), or
// "NTFS" at 3, on a sector ending 0x55 0xAA. exFAT takes its 64-bit volume
// length at 72 in units of its own sector size (shift at 108). FAT takes the count at
// offset 32 (or, when that is 0, the 16-bit count at 19 of small volumes);
// NTFS the low 32 bits of the 64-bit count at 40.
std::optional<FoundBootSector> RecogniseBootSector(ByteView sector);

// A place to look: the sectors tried there, in order; the second is read
// only when the first does not end with 0x55 0xAA.
struct Probe {
    std::uint64_t first = 0;
    std::optional<std::uint64_t> fallback;
};

// Every probe of a disk in ascending order: per cylinder i, sector
// i x 16065 + 63 falling back to i x 16065, and each 2048-sector boundary
// that is not such a first sector. Probes at or past `diskSectors` are left
// out. The search reads no sector twice.
std::vector<Probe> LostPartitionProbes(const DiskGeometry& geometry, std::uint64_t diskSectors);

struct LostPartitionSearchResult {
    std::size_t added = 0;
    bool stopped = false;
    bool listFull = false;
};

// Scans the probes, appending each new partition to `list` (a partition with
// the same first sector, end and kind as a listed one is not added again).
// Progress goes to `observer`; the scan ends early when `stop` is requested
// or the list holds 26 partitions.
LostPartitionSearchResult SearchLostPartitions(const DiskReader& disk, const CurrentDisk& current,
                                               DiskPartitionList& list,
                                               RecoveryObserver& observer,
                                               std::stop_token stop = {});

}  // namespace datrevo
