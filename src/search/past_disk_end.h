// The files of a result whose data lies beyond the end of the disk: on an
// image cut short (a partial dump, a card that failed while it was imaged),
// a partition can reach past the last sector there is, and its files there
// cannot be read whatever their entries say.
#pragma once

#include <cstdint>

#include "browse/file_row.h"
#include "disk/disk_reader.h"
#include "fat/fat_layout.h"
#include "ntfs/ntfs_values.h"
#include "recovery/recovery_context.h"

namespace datrevo {

class PastDiskEndFiles {
public:
    explicit PastDiskEndFiles(RecoveryContext& context);

    // Whether the searched partition or range reaches past the disk's end:
    // only then can a file lie there.
    bool active() const { return active_; }

    // Whether the data of the file shown by `row` (a file row of the result's
    // file list) reaches past the disk's end. FAT: the cluster chain of a live
    // file; for a deleted file (or a chain cut short) the clusters from its
    // first one on, as many as its size needs, as the least it can take.
    // NTFS: the record itself and the runs of its unnamed data attribute.
    bool liesPastEnd(const FileRow& row) const;

private:
    bool fatFilePastEnd(const FileRow& row) const;
    bool ntfsFilePastEnd(const FileRow& row) const;

    DiskReader disk_;
    FatLayout layout_;
    MftRunList mftRuns_;
    std::uint64_t diskSectors_ = 0;
    bool ntfs_ = false;
    bool active_ = false;
};

}  // namespace datrevo
