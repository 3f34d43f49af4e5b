#include "search/result_folder_lister.h"

namespace datrevo {

bool IsNtfsResult(const RecoveryContext& context) { return context.activeLayout.kind == "NTFS"; }

ResultFolderLister::ResultFolderLister(RecoveryContext& context)
    : fatReader_(context.selectedDisk(), context.activeLayout),
      sources_{context.folders.nodes(), context.catalogue.EntryTable, context.activeLayout.kind,
               IsNtfsResult(context) ? nullptr : &fatReader_, {}},
      pastEnd_(context) {
    style_.ntfs = IsNtfsResult(context);
}

std::vector<FileRow> ResultFolderLister::rows(ItemId item, std::stop_token stop) {
    std::vector<FileRow> rows = ListFolder(item, sources_, style_, std::move(stop));
    if (pastEnd_.active())
        for (FileRow& row : rows) row.pastDiskEnd = pastEnd_.liesPastEnd(row);
    return rows;
}

}  // namespace datrevo
