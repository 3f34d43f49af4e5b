#include "log/fat_tree_rebuild.h"

#include <algorithm>

#include "browse/folder_row_tree.h"

namespace datrevo {

bool RebuildFatFolderTree(CatalogueTable& folderTable, FolderTree& tree,
                          RecoveryObserver& observer, std::stop_token stop) {
    const auto folderCount = static_cast<std::size_t>(folderTable.count());
    int lastPercent = 0;
    FolderRowTreeOptions options;
    options.rootNumber = 0;
    options.fatWordTimes = true;
    options.stop = stop;
    options.onWalk = [&](std::size_t walked, std::size_t) {
        const int percent = folderCount == 0
                                ? 100
                                : static_cast<int>(std::min<std::size_t>(walked * 100 / folderCount, 100));
        if (percent <= lastPercent) return;
        lastPercent = percent;
        observer.progress(percent, "Completed ");
    };
    if (!BuildTreeFromFolderRows(folderTable, tree, options)) return false;
    folderTable.deleteAll();
    FolderNodeList& nodes = tree.nodes();
    for (std::size_t index = 0; index < nodes.size(); ++index) nodes[index].loaded = true;
    return true;
}

}  // namespace datrevo
