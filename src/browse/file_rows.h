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
#include "browse/file_row.h"
#include "browse/folder_node.h"
#include "catalogue/catalogue_table.h"

namespace datrevo {

// One file entry of a FAT directory, decoded by the FAT engine: the name
// (long name when there is one, else the 8.3 name with '_' for a deleted
// entry's lost first byte), the attribute byte, size, date and time words,
// first cluster, and whether the entry is deleted.
struct FatFileEntry {
    std::string name;
    std::uint8_t attributes = 0;
    std::uint32_t size = 0;
    std::uint16_t date = 0;
    std::uint16_t time = 0;
    std::uint32_t firstCluster = 0;
    bool deleted = false;
};

// Reads the entries of a FAT folder for the file list; the FAT engine
// implements it over the selected disk and the active layout.
class FatFolderReader {
public:
    virtual ~FatFolderReader() = default;
    // The entries of the folder whose directory starts at `firstCluster` (0:
    // the root directory: the root cluster on FAT32, the fixed root on FAT16)
    // in directory order, without "." and "..", long-name entries and entries
    // whose names are not acceptable. Stops early when `stop` is triggered.
    virtual std::vector<FatFileEntry> readFolder(std::uint32_t firstCluster,
                                                 std::stop_token stop) = 0;
};

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
void AppendFolderRows(std::vector<FileRow>& rows, FolderNodeList& nodes,
                      std::uint32_t folderNumber, bool parentDeleted, const FolderRowStyle& style,
                      std::stop_token stop = {});

// Appends the file rows of a FAT folder; directories among the entries are
// left out (they are folder rows). `fatKind` is the active layout's kind:
// files of the FAT16 root directory get its type names. The parent-deleted
// flag is accepted and not used: a file's own entry says whether it is deleted.
void FillFatFileRows(std::vector<FileRow>& rows, FatFolderReader& reader,
                     std::uint32_t firstCluster, bool parentDeleted, const std::string& fatKind,
                     std::stop_token stop = {});

// Appends a row for every EntryTable row whose parent (read as a signed
// 32-bit number) is the folder's self number, in table order.
void FillNtfsFileRows(std::vector<FileRow>& rows, const CatalogueTable& entryTable,
                      std::uint32_t folderNumber, std::stop_token stop = {});

// Everything a folder's list is made from.
struct FolderListSources {
    FolderNodeList& nodes;
    const CatalogueTable& entryTable;
    std::string activeKind;                  // "NTFS" selects the NTFS rows
    FatFolderReader* fatReader = nullptr;    // FAT file rows; none without it
    // Names the children of a FAT folder from its directory as expanding it
    // does (the FAT engine's); called for the listed node unless it is the
    // catch-all folder. The populate worker sets it; the direct fills of the
    // expanding handler and of "Open" leave it empty.
    std::function<void(FolderNode&)> nameChildFolders;
};

// The rows of the folder shown by `item`: its subfolders, then its files. A
// FAT folder without a directory (the catch-all folder) lists its subfolders
// only.
std::vector<FileRow> ListFolder(ItemId item, FolderListSources& sources,
                                const FolderRowStyle& style, std::stop_token stop = {});

}  // namespace datrevo
