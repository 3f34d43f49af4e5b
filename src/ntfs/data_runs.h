// NTFS run lists: where a non-resident attribute's clusters lie.
//
// A run list is a sequence of runs, each a header byte H followed by a
// (H & 0x0F)-byte cluster count and a (H >> 4)-byte cluster offset, both
// little-endian; the offset is signed and relative to the previous real
// run's first cluster (the first run's is its cluster number). An offset
// width of 0 marks a sparse run. A header byte of 0 ends the list.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "base/byte_view.h"
#include "ntfs/ntfs_values.h"

namespace datrevo {

// (start sector, sector count) pairs, absolute on the disk; a sparse run
// has start sector 0.
using RunList = std::vector<MftRun>;

enum class RunDecode {
    Complete,  // the list ended at its end marker
    Damaged,   // a field runs past the bytes, is absurdly wide, or the
               // arithmetic would leave the disk's sector range; the runs
               // decoded before it were appended
};

// Decodes the run list at `position` of `bytes` and appends its runs.
// Cluster numbers count from `partitionStart` in clusters of
// `sectorsPerCluster` sectors. With `continuing` set (the runs of a further
// extension record of the same attribute) the first run decoded here counts
// from cluster 0 again; otherwise it continues from the last real run
// already in `runs`, or from cluster 0 when there is none.
RunDecode DecodeDataRuns(ByteView bytes, std::size_t position, std::uint32_t sectorsPerCluster,
                         std::uint64_t partitionStart, RunList& runs, bool continuing);

// First sector of MFT record `record` (records are 2 sectors), or 0 when the
// record lies beyond the runs or in a sparse run.
std::uint64_t RecordToSector(const MftRunList& mftRuns, std::uint32_t record);

// Sum of the sector counts.
std::uint64_t TotalSectors(const RunList& runs);

}  // namespace datrevo
