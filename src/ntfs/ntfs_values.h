// The NTFS values of a volume that the engine, the validation and the
// recovery log share. Sectors per cluster and the volume's first sector
// travel in the layout's SPC and Cluster0Start fields.
#pragma once

#include <cstdint>
#include <vector>

namespace datrevo {

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
