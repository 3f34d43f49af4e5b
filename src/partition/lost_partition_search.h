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
    VolumeKind kind = VolumeKind::None;
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

// The probes of a disk in ascending order (by the first sector each covers),
// generated as the search goes: per cylinder i, sector i x 16065 + 63
// falling back to i x 16065, and each 2048-sector boundary that is not such a
// first sector. Probes at or past `diskSectors` are left out; a geometry
// without sectors per cylinder gives one cylinder probe. The state is a few
// numbers, whatever the size of the disk.
class ProbeSequence {
public:
    ProbeSequence(const DiskGeometry& geometry, std::uint64_t diskSectors);

    // The next probe; nothing after the last.
    std::optional<Probe> next();
    // How many probes the sequence gives from its start (a pass over a copy).
    std::uint64_t count() const;

private:
    bool isCylinderFirst(std::uint64_t sector) const;
    Probe cylinderProbe(std::uint64_t cylinder) const;

    std::uint64_t diskSectors_ = 0;
    std::uint64_t perCylinder_ = 0;
    std::uint64_t sectorsPerTrack_ = 0;
    std::uint64_t cylinders_ = 0;  // cylinders that start before the disk's end
    std::uint64_t nextCylinder_ = 0;
    std::uint64_t nextBoundary_ = 0;  // next 2048-sector boundary to give
};

// The whole sequence as a list (small disks, tests). The search itself never
// builds it: on a 2 TiB disk it holds a million probes. The search reads no
// sector twice.
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
                                               DiskPartitionList& list, RecoveryObserver& observer,
                                               std::stop_token stop = {});

}  // namespace datrevo
