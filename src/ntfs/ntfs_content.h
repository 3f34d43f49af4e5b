// Reading an NTFS file's contents from the medium.
//
// The record's unnamed data attribute (or the named one of an alternate data
// stream), resident or by its runs (sparse runs read as zeros), deleted
// records alike, cut at the record's real size; past the initialized size
// the bytes are zeros. LZNT1-compressed data is decompressed unit by unit.
// Runs that leave the volume are given as zeros and reported.
#pragma once

#include <cstdint>

#include "browse/content_writer.h"
#include "disk/disk_reader.h"
#include "ntfs/ntfs_values.h"

namespace datrevo {

class NtfsContentReader : public WriterContentReader {
public:
    // `volumeEnd`: one past the volume's last sector (0: the disk's end).
    // `mftRuns` (Standard search): extension records are found through it.
    NtfsContentReader(DiskReader disk, NtfsGeometry geometry, std::uint64_t volumeEnd,
                      MftRunList mftRuns)
        : WriterContentReader(std::move(disk)),
          geometry_(geometry),
          volumeEnd_(volumeEnd),
          mftRuns_(std::move(mftRuns)) {}

protected:
    void describe(const ContentSource& source, ContentWriter& writer,
                  ContentReport& report) const override;

private:
    NtfsGeometry geometry_;
    std::uint64_t volumeEnd_;
    MftRunList mftRuns_;
};

}  // namespace datrevo
