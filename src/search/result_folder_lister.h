// Lists the folders of the current result as the file list shows them: NTFS
// results from EntryTable, FAT results by reading each folder's directory
// from the selected disk. The command line's output and the window's file
// list (directly or on the populate worker) share it.
#pragma once

#include <memory>
#include <stop_token>
#include <vector>

#include "browse/file_rows.h"
#include "browse/result_volume.h"
#include "search/past_disk_end.h"
#include "recovery/recovery_context.h"

namespace datrevo {

bool IsNtfsResult(const RecoveryContext& context);

class ResultFolderLister {
public:
    explicit ResultFolderLister(RecoveryContext& context);
    ResultFolderLister(const ResultFolderLister&) = delete;
    ResultFolderLister& operator=(const ResultFolderLister&) = delete;

    // The rows of the folder shown by `item`: its subfolders, then its files
    // (flagged when their data lies past the end of the disk).
    std::vector<FileRow> rows(ItemId item, std::stop_token stop = {});
    // Whether the searched partition reaches past the end of the disk.
    bool reachesPastDiskEnd() const { return pastEnd_.active(); }

private:
    FolderNodeList& nodes_;
    std::unique_ptr<ResultVolume> volume_;
    FolderRowStyle style_;
    PastDiskEndFiles pastEnd_;
};

}  // namespace datrevo
