// Rebuilding a FAT result tree from the folder rows of a loaded log.
#pragma once

#include <stop_token>

#include "base/observer.h"
#include "browse/folder_tree.h"
#include "catalogue/catalogue_table.h"

namespace datrevo {

// `folderTable` sorted ascending by parent. The rows whose parent is 0 (the
// root's folders, the catch-all folder among them) go under the tree's root
// item, then each folder takes the rows whose parent is its own cluster
// (BuildTreeFromFolderRows): a damaged log whose parent links loop cannot
// grow the tree without end. At the end the table is emptied and every node
// is marked loaded: the log already holds the names that reading the
// folders' directories would give.
// False when stopped (the tree then holds what was built so far).
bool RebuildFatFolderTree(CatalogueTable& folderTable, FolderTree& tree, RecoveryObserver& observer,
                          std::stop_token stop = {});

}  // namespace datrevo
