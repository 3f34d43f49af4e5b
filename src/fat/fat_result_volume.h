// A FAT result as the file list and the save read it: a folder's files are
// the file entries of its directory on the disk (the root item: the root
// directory); preparing a folder names its child folders from that
// directory, as opening it in the tree does. The catch-all folder has no
// directory and so no files. Contents are read by the cluster chain, or for
// a deleted file by the free clusters after its first.
#pragma once

#include "browse/folder_tree.h"
#include "browse/result_volume.h"
#include "disk/disk_reader.h"
#include "fat/fat_content.h"
#include "fat/fat_layout.h"

namespace datrevo {

class FatResultVolume : public ResultVolume {
public:
    // `volumeEnd`: one past the volume's last sector (0: the disk's end).
    FatResultVolume(FolderTree& tree, DiskReader disk, FatLayout layout,
                    std::uint64_t volumeEnd = 0);

    VolumeKind kind() const override { return kind_; }
    void prepare(ItemId folderItem) override;
    std::vector<ResultFile> files(std::uint32_t folderNumber, std::stop_token stop) override;

protected:
    const ContentReader& contents() const override { return content_; }

private:
    FolderTree& tree_;
    DiskReader disk_;
    FatLayout layout_;
    VolumeKind kind_;
    FatContentReader content_;
};

}  // namespace datrevo
