// The planner's view of a result on the medium: FAT folders read from their
// directories, NTFS folders from EntryTable.
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <utility>
#include <unordered_map>
#include <vector>

#include "catalogue/catalogue_table.h"
#include "disk/disk_reader.h"
#include "fat/fat_layout.h"
#include "save/save_plan.h"

namespace datrevo {

// FAT: a folder's files are the file entries of its directory (the root item:
// the root directory); preparing a folder names its child folders from that
// directory, as opening it in the tree does. The catch-all folder has no
// directory and so no files.
class FatFolderContents : public FolderContents {
public:
    FatFolderContents(FolderTree& tree, DiskReader disk, FatLayout layout)
        : tree_(tree), disk_(std::move(disk)), layout_(std::move(layout)) {}

    void prepare(ItemId folderItem) override;
    std::vector<FolderFile> files(ItemId folderItem, std::stop_token stop) override;
    std::optional<CopyTime> folderTime(const FolderNode& node) const override;

private:
    FolderTree& tree_;
    DiskReader disk_;
    FatLayout layout_;
};

// NTFS: a folder's files are the EntryTable rows whose "parent" is the
// folder's record number (5 for the root item). Records 0-23 are the file
// system's own ($MFT ... and the reserved ones), $Extend (11) its folder.
class NtfsFolderContents : public FolderContents {
public:
    NtfsFolderContents(const FolderTree& tree, const CatalogueTable& entryTable);

    std::vector<FolderFile> files(ItemId folderItem, std::stop_token stop) override;
    std::optional<CopyTime> folderTime(const FolderNode& node) const override;
    bool isSystemFolder(const FolderNode& node) const override;

private:
    const FolderTree& tree_;
    const CatalogueTable& entryTable_;
    std::unordered_map<std::int32_t, std::vector<int>> rowsByParent_;
    std::set<std::pair<std::string, std::string>> filesBySector_;  // ("sector", "Name") of every row
};

}  // namespace datrevo
