// The NTFS values of a volume that the engine, the validation and the
// recovery log share.
#pragma once

#include <cstdint>
#include <vector>

namespace datrevo {

// Where an NTFS volume's clusters lie. The recovery log keeps these two in
// the FAT layout's SPC and Cluster0Start fields (see recovery/ntfs_layout.h).
struct NtfsGeometry {
    std::uint32_t sectorsPerCluster = 0;  // 1, 2, 4 ... 128
    std::uint32_t cluster0Start = 0;      // the volume's first sector: cluster 0

    bool operator==(const NtfsGeometry&) const = default;
};

struct NtfsValues {
    std::uint32_t mftStart = 0;           // first sector of the MFT
    std::uint32_t mftMirrorStart = 0;     // first sector of the MFT mirror (0: none there)
    std::uint32_t recordSectors = 0;      // size of a file record in sectors
    std::uint32_t indexBlockSectors = 0;  // size of an index block in sectors

    bool operator==(const NtfsValues&) const = default;
};

// The MFT's data as runs of sectors, to turn a record number into its sector.
struct MftRun {
    std::uint64_t startSector = 0;
    std::uint64_t sectorCount = 0;
};
using MftRunList = std::vector<MftRun>;

}  // namespace datrevo
