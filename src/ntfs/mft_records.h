// Reading MFT records through the MFT's run list.
#pragma once

#include <array>
#include <cstdint>

#include "disk/disk_reader.h"
#include "ntfs/file_record.h"
#include "ntfs/ntfs_values.h"

namespace datrevo {

using RecordBuffer = std::array<std::uint8_t, kNtfsRecordSize>;

// Reads record `record` through the MFT's runs (each of its two sectors is
// located on its own, so a record split between two runs reads whole) and
// applies the update sequence. False, with a zeroed buffer, when the record
// lies beyond the runs, in a sparse run, or does not begin with "FILE".
bool ReadMftRecord(const DiskReader& reader, const MftRunList& mftRuns, std::uint32_t record,
                   RecordBuffer& out);

// Reads the two sectors at `sector` and applies the update sequence; false
// when they do not begin with "FILE".
bool ReadRecordAt(const DiskReader& reader, std::uint64_t sector, RecordBuffer& out);

}  // namespace datrevo
