#include "search/result_folder_lister.h"

namespace datrevo {

bool IsNtfsResult(const RecoveryContext& context) { return context.activeLayout.kind == "NTFS"; }

ResultFolderLister::ResultFolderLister(RecoveryContext& context)
    : fatReader_(context.selectedDisk(), context.activeLayout),
      sources_{context.folders.nodes(), context.catalogue.EntryTable, context.activeLayout.kind,
               IsNtfsResult(context) ? nullptr : &fatReader_, {}} {
    style_.ntfs = IsNtfsResult(context);
}

std::vector<FileRow> ResultFolderLister::rows(ItemId item, std::stop_token stop) {
    return ListFolder(item, sources_, style_, std::move(stop));
}

}  // namespace datrevo
