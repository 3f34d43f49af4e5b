// The planner's view of a result on the medium: the files of the result
// volume (FAT folders read from their directories, NTFS folders from
// EntryTable) as the files to copy, with their copy times.
#pragma once

#include <memory>

#include "browse/result_volume.h"
#include "catalogue/catalogue_table.h"
#include "disk/disk_reader.h"
#include "fat/fat_layout.h"
#include "save/save_plan.h"

namespace datrevo {

// FolderContents over a result volume. FAT volume labels are listed but not
// saved; the catch-all folder of a FAT result has no files.
class ResultFolderContents : public FolderContents {
public:
    ResultFolderContents(const FolderTree& tree, std::shared_ptr<ResultVolume> volume);

    void prepare(ItemId folderItem) override { volume_->prepare(folderItem); }
    std::vector<FolderFile> files(ItemId folderItem, std::stop_token stop) override;
    std::optional<CopyTime> folderTime(const FolderNode& node) const override;
    bool isSystemFolder(const FolderNode& node) const override {
        return volume_->isSystemFolder(node);
    }

private:
    const FolderTree& tree_;
    std::shared_ptr<ResultVolume> volume_;
};

// FAT: the directories of the folders, read from `disk` with `layout`.
class FatFolderContents : public ResultFolderContents {
public:
    FatFolderContents(FolderTree& tree, DiskReader disk, FatLayout layout);
};

// NTFS: the EntryTable rows of the folders.
class NtfsFolderContents : public ResultFolderContents {
public:
    NtfsFolderContents(const FolderTree& tree, const CatalogueTable& entryTable);
};

}  // namespace datrevo
