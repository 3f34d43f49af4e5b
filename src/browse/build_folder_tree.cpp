#include "browse/build_folder_tree.h"

#include <algorithm>
#include <string>

#include "base/progress_meter.h"
#include "browse/folder_row_tree.h"
#include "catalogue/catalogue.h"

namespace datrevo {

void BuildFolderTree(CatalogueTable& folderTable, FolderTree& tree, RecoveryObserver& observer,
                     bool catchAllHoldsFiles) {
    // The catch-all folder is its own parent in the table; in the tree it is
    // one of the root's folders.
    const int rows = folderTable.count();
    for (int row = 0; row < rows; ++row)
        if (folderTable.cellUnsigned(row, folder_col::Parent) == kCatchAllNumber &&
            folderTable.cellUnsigned(row, folder_col::Self) == kCatchAllNumber)
            folderTable.setCell(row, folder_col::Parent, std::to_string(kNtfsRootRecord));
    // Stable: the root's folders keep their table order.
    folderTable.sortByColumn(folder_col::Parent);

    ProgressMeter progress(observer);
    progress.reset();
    FolderRowTreeOptions options;
    options.rootNumber = kNtfsRootRecord;
    options.catchAllHoldsFiles = catchAllHoldsFiles;
    options.onWalk = [&](std::size_t walked, std::size_t total) {
        progress.setTotal(total);
        if (!progress.moved(walked)) return;
        observer.statusText("Currently Enumerating " + std::to_string(walked) + " / " +
                            std::to_string(rows));
        progress.show();
    };
    BuildTreeFromFolderRows(folderTable, tree, options);
    folderTable.deleteAll();
}

}  // namespace datrevo
