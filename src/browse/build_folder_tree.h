// Builds the result tree of an NTFS search from FolderTable: folders whose
// parent is the root directory (record 5) go under the root item, then each
// folder takes its child folders (BuildTreeFromFolderRows). The table is
// sorted by parent first and emptied at the end.
#pragma once

#include "base/observer.h"
#include "browse/folder_tree.h"
#include "catalogue/catalogue_table.h"

namespace datrevo {

// The catch-all folder is listed when folders hang from it, or when
// `catchAllHoldsFiles` (files whose folder is gone hang from it).
void BuildFolderTree(CatalogueTable& folderTable, FolderTree& tree, RecoveryObserver& observer,
                     bool catchAllHoldsFiles = false);

}  // namespace datrevo
