// FolderTable rows of the FAT searches and the tree built from them.
#pragma once

#include <cstdint>
#include <string_view>

#include "base/visible_texts.h"
#include "base/observer.h"
#include "browse/folder_tree.h"
#include "catalogue/catalogue_table.h"
#include "disk/disk_reader.h"
#include "fat/fat_layout.h"
#include "fat/fat_search_scope.h"

namespace datrevo {

// Inserts the row of the catch-all folder "Miscellaneous_001" at `index`.
void InsertCatchAllRow(CatalogueTable& folders, int index);

// Gives every folder row whose parent cluster is not the cluster of any row
// the parent 268435455: it moves under "Miscellaneous_001". Rows whose parent
// is 0 (the root) are left alone. The table must be sorted ascending by "self".
// When `stop` is requested the rows not yet reached keep their parent.
void LinkParentFolders(CatalogueTable& folders, RecoveryObserver& observer,
                       std::stop_token stop = {});

// How the two storing phases differ.
struct StoreOptions {
    bool advanceProgress = true;    // progress over the tree walk
    bool emptyTable = true;         // delete the FolderTable rows afterwards
    bool expandAndCollapse = true;  // open every folder once (naming its children)
};

// Builds the folder tree from the FolderTable (sorted ascending by "parent")
// on `layout`: names the root's folders from the root directory, inserts the
// rows of the root and then, level by level, their children. Ends early,
// keeping what was built, when `scope.abandon` is requested.
void StoreFolderRows(FatSearchScope& scope, const FatLayout& layout, const StoreOptions& options);

}  // namespace datrevo
