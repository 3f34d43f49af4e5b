// Producing the rows of the file list for one folder: its subfolders from the
// folder-node list, then its files (FAT: from the folder's directory; NTFS:
// from EntryTable).
#pragma once

#include <cstdint>
#include <ctime>
#include <functional>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

#include "base/item_id.h"
#include "base/volume_kind.h"
#include "browse/file_row.h"
#include "browse/folder_node.h"
#include "browse/result_volume.h"
#include "catalogue/catalogue_table.h"
#include "catalogue/entry_rows.h"

namespace datrevo {

// The own number of the folder a list shows and whether it lies in a deleted
// folder.
struct ListedFolder {
    std::uint32_t number = 0;
    bool parentDeleted = false;
    FolderNode* node = nullptr;  // the first node of the item, if any
};

// The folder shown by a tree item: the first folder node of the item, or
// else the root (record 5 on NTFS, 0 on FAT).
ListedFolder FindListedFolder(FolderNodeList& nodes, ItemId item, bool ntfs);

// How folder rows are written: the expanding handler's fill types a deleted
// folder "Deleted FOLDER"; the populate worker shows the current date and
// time on the catch-all folder.
struct FolderRowStyle {
    bool ntfs = false;
    bool deletedFolderType = false;
    std::optional<std::tm> catchAllNow;
};

// Appends a row for every node whose parent number is `folderNumber`, in
// list order. A node inside a deleted folder is marked deleted itself, so
// deletion passes down as folders are opened.
void AppendFolderRows(std::vector<FileRow>& rows, FolderNodeList& nodes, std::uint32_t folderNumber,
                      bool parentDeleted, const FolderRowStyle& style, std::stop_token stop = {});

// Appends a row for every file of `files`; FAT volume labels are listed
// like files. `folderNumber` is the listed folder's own number: files of the
// FAT16 root directory get its type names, NTFS rows show it in "Debug Info 2".
void AppendFileRows(std::vector<FileRow>& rows, const std::vector<ResultFile>& files,
                    VolumeKind kind, std::uint32_t folderNumber, std::stop_token stop = {});

// Everything a folder's list is made from.
struct FolderListSources {
    FolderNodeList& nodes;
    const CatalogueTable& entryTable;
    VolumeKind activeKind = VolumeKind::None;  // NTFS selects the NTFS rows
    FatFolderReader* fatReader = nullptr;      // FAT file rows; none without it
    // Names the children of a FAT folder from its directory as expanding it
    // does (the FAT engine's); called for the listed node unless it is the
    // catch-all folder. The populate worker sets it; the direct fills of the
    // expanding handler and of "Open" leave it empty.
    std::function<void(FolderNode&)> nameChildFolders;
    // The result's shared index of `entryTable` (NTFS), so that its lists do
    // not each read the whole table; without it each list makes its own.
    EntryRowIndexCache* entryIndex = nullptr;
};

// The rows of the folder shown by `item`: its subfolders (from the node
// list's index by parent), then its files (from the volume). A FAT folder
// without a directory (the catch-all folder) lists its subfolders only.
std::vector<FileRow> ListFolder(ItemId item, FolderNodeList& nodes, ResultVolume& volume,
                                const FolderRowStyle& style, std::stop_token stop = {});
// The same over the sources given one by one.
std::vector<FileRow> ListFolder(ItemId item, FolderListSources& sources,
                                const FolderRowStyle& style, std::stop_token stop = {});

}  // namespace datrevo
