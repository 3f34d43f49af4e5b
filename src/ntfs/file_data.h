// Where a file's data lies, for saving it: the unnamed data attribute of its
// record, resident (the bytes are in the record) or non-resident (runs of
// sectors, sparse runs with start sector 0), with the real size in bytes.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "disk/disk_reader.h"
#include "ntfs/data_runs.h"
#include "ntfs/ntfs_values.h"

namespace datrevo {

struct NtfsFileData {
    bool resident = false;
    std::vector<std::uint8_t> content;  // resident: the data itself
    RunList runs;                       // non-resident: in file order
    std::uint64_t size = 0;             // real size; bytes past it are not data
    bool complete = true;               // false when a run list was damaged or a
                                        // piece could not be read
};

// Reads the record at `recordSector` (an EntryTable row's "sector") and
// locates its data. Pieces held in extension records (named by an attribute
// list) are followed through `mftRuns` when it is not empty (Standard
// search); cluster numbers count from `partitionStart` in clusters of
// `sectorsPerCluster` sectors. Nothing when the sector holds no file record
// or the record has no unnamed data attribute.
std::optional<NtfsFileData> LocateNtfsFileData(const DiskReader& reader, std::uint64_t recordSector,
                                               std::uint64_t partitionStart,
                                               std::uint32_t sectorsPerCluster,
                                               const MftRunList& mftRuns);

}  // namespace datrevo
