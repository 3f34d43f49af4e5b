// The folder tree built from FolderTable rows: one builder for the FAT and
// NTFS searches and for a loaded recovery log.
//
// The table is sorted ascending by "parent". The folder rows whose parent is
// the root's number go under the root item; then the folder-node list is
// walked breadth-first as it grows, each node taking as children the folder
// rows whose parent is its own number. Every row is inserted at most once, so
// rows whose parent links loop (a folder that is its own parent, two folders
// naming each other, a deleted folder whose parent's number was reused by
// one of its own subfolders) cannot grow the tree without end: they hang from
// nothing that reaches the root and join the catch-all folder, when the table
// has one, with what lies below them.
//
// The catch-all folder ("Miscellaneous_001", self 268435455) is inserted only
// when it holds something: a folder whose parent was not found, or files
// (NTFS files whose parent folder is gone; the caller says so). Its row stays
// in the table either way.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <stop_token>

#include "browse/folder_tree.h"
#include "catalogue/catalogue_table.h"

namespace datrevo {

struct FolderRowTreeOptions {
    // The parent number of the root's folders: cluster 0 on FAT, the root
    // directory's record 5 on NTFS. A row that is its own parent with this
    // number is the root itself and is not inserted.
    std::uint32_t rootNumber = 0;
    // The date and time cells hold FAT's 16-bit words; anything above is
    // damage (a hostile log) and is cut off.
    bool fatWordTimes = false;
    // After each node of the walk: nodes walked, nodes in the walk so far.
    std::function<void(std::size_t walked, std::size_t total)> onWalk;
    // Files hang from the catch-all folder: it is listed even without folders.
    bool catchAllHoldsFiles = false;
    std::stop_token stop;
};

// Inserts the folders of `folders` into `tree` under its root item (created
// when missing). The table is not changed. False when stopped; the tree
// then holds what was built so far.
bool BuildTreeFromFolderRows(const CatalogueTable& folders, FolderTree& tree,
                             const FolderRowTreeOptions& options);

}  // namespace datrevo
