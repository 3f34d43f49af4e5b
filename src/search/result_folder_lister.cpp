#include "search/result_folder_lister.h"

#include "recovery/result_volume_choice.h"

namespace datrevo {

bool IsNtfsResult(const RecoveryContext& context) {
    return context.activeLayout.kind == VolumeKind::Ntfs;
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
