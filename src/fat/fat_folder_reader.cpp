#include "fat/fat_folder_reader.h"

#include "fat/fat_directory.h"
#include "fat/fat_kind.h"

namespace datrevo {

std::vector<FatFileEntry> DiskFatFolderReader::readFolder(std::uint32_t firstCluster,
                                                          std::stop_token stop) {
    if (firstCluster == 0 && !IsFatKind(layout_.kind)) return {};
    if (stop.stop_requested()) return {};
    std::vector<FatFileEntry> files;
    for (const FatDirectoryEntry& entry : ReadFatDirectory(disk_, layout_, firstCluster))
        files.push_back({entry.name, entry.attributes, entry.size, entry.date, entry.time,
                         entry.firstCluster, entry.deleted});
    return files;
}

}  // namespace datrevo
