#include "fat/fat_result_volume.h"

#include "fat/fat_folder_reader.h"
#include "catalogue/catalogue.h"
#include "fat/fat_kind.h"
#include "fat/folder_naming.h"

namespace datrevo {

FatResultVolume::FatResultVolume(FolderTree& tree, DiskReader disk, FatLayout layout,
                                 std::uint64_t volumeEnd)
    : tree_(tree),
      disk_(std::move(disk)),
      layout_(std::move(layout)),
      kind_(layout_.kind == VolumeKind::Fat16 ? VolumeKind::Fat16 : VolumeKind::Fat32),
      content_(disk_, layout_, volumeEnd) {}

void FatResultVolume::prepare(ItemId folderItem) {
    ExpandFatFolder(tree_, folderItem, disk_, layout_);
}

std::vector<ResultFile> FatResultVolume::files(std::uint32_t folderNumber, std::stop_token stop) {
    if (folderNumber == kCatchAllNumber) return {};
    return FatEntryFiles(DiskFatFolderReader(disk_, layout_).readFolder(folderNumber, stop));
}

}  // namespace datrevo
