#include "search/result_folder_lister.h"

#include "fat/fat_result_volume.h"
#include "ntfs/ntfs_result_volume.h"

namespace datrevo {

bool IsNtfsResult(const RecoveryContext& context) { return context.activeLayout.kind == "NTFS"; }

std::unique_ptr<ResultVolume> MakeResultVolume(RecoveryContext& context) {
    if (IsNtfsResult(context))
        return std::make_unique<NtfsResultVolume>(context.catalogue.EntryTable);
    return std::make_unique<FatResultVolume>(context.folders, context.selectedDisk(),
                                             context.activeLayout);
}

ResultFolderLister::ResultFolderLister(RecoveryContext& context)
    : nodes_(context.folders.nodes()), volume_(MakeResultVolume(context)), pastEnd_(context) {
    style_.ntfs = volume_->ntfs();
}

std::vector<FileRow> ResultFolderLister::rows(ItemId item, std::stop_token stop) {
    std::vector<FileRow> rows = ListFolder(item, nodes_, *volume_, style_, std::move(stop));
    if (pastEnd_.active())
        for (FileRow& row : rows) row.pastDiskEnd = pastEnd_.liesPastEnd(row);
    return rows;
}

}  // namespace datrevo
