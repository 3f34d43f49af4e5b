// "Open" on a row of the file list.
#pragma once

#include <string>

#include "base/item_id.h"
#include "browse/file_row.h"
#include "browse/folder_tree.h"

namespace datrevo {

struct OpenTarget {
    enum class Kind { Nothing, Folder, File };
    Kind kind = Kind::Nothing;
    ItemId folderItem = kNoItem;  // for a folder row: the tree item from the hidden column 7
};

// A row whose type (blanks around it removed) is empty opens nothing; one
// whose type ends in "Folder" or "FOLDER" ("Deleted FOLDER" too) opens the
// tree item its column 7 names; any other row is a file.
OpenTarget ClassifyOpen(const FileRow& row);

// Opens a folder's tree item as "Open" on its row does: the parent, unless it
// is the root item, gets the passed-folder image; parent and item are
// expanded; the item gets the opened-folder image and becomes the current
// folder item. Returns the item's path for the current-folder text; the
// caller then lists the item's folder. Nothing happens for an item the tree
// does not hold (an empty text is returned).
std::string OpenFolderItem(FolderTree& tree, ItemId item, ItemId& currentFolderItem);

}  // namespace datrevo
