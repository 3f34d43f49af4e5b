#include "fat/fat_folder_reader.h"

#include "fat/fat_directory.h"
#include "fat/fat_entry.h"
#include "fat/fat_kind.h"

namespace datrevo {

FatEntryType FatEntryTypeOf(std::uint8_t attributes) {
    if ((attributes & fat_dirent::kAttrDirectory) != 0) return FatEntryType::Folder;
    if ((attributes & fat_dirent::kAttrVolumeLabel) != 0) return FatEntryType::VolumeLabel;
    return FatEntryType::File;
}

std::vector<FatFileEntry> DiskFatFolderReader::readFolder(std::uint32_t firstCluster,
                                                          std::stop_token stop) {
    if (firstCluster == 0 && !IsFatKind(layout_.kind)) return {};
    if (stop.stop_requested()) return {};
    std::vector<FatFileEntry> files;
    for (const FatDirectoryEntry& entry : ReadFatDirectory(disk_, layout_, firstCluster))
        files.push_back({entry.name, FatEntryTypeOf(entry.attributes), entry.size, entry.date,
                         entry.time, entry.firstCluster, entry.deleted});
    return files;
}

}  // namespace datrevo
