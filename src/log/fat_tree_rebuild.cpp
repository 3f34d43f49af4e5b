#include "log/fat_tree_rebuild.h"

#include <algorithm>

#include "base/progress_meter.h"
#include "browse/folder_row_tree.h"

namespace datrevo {

bool RebuildFatFolderTree(CatalogueTable& folderTable, FolderTree& tree, RecoveryObserver& observer,
                          std::stop_token stop) {
    const auto folderCount = static_cast<std::size_t>(folderTable.count());
    ProgressMeter progress(observer, folderCount);
    progress.markShown(0);  // the bar stands at 0 already
    FolderRowTreeOptions options;
    options.rootNumber = 0;
    options.fatWordTimes = true;
    options.stop = stop;
    options.onWalk = [&](std::size_t walked, std::size_t) { progress.update(walked); };
    if (!BuildTreeFromFolderRows(folderTable, tree, options)) return false;
    folderTable.deleteAll();
    FolderNodeList& nodes = tree.nodes();
    for (std::size_t index = 0; index < nodes.size(); ++index) nodes[index].loaded = true;
    return true;
}

}  // namespace datrevo
