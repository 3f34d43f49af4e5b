// The file list's reader of FAT folders: the FAT engine's directory reader
// over the selected disk and the active layout.
#pragma once

#include <cstdint>

#include "browse/file_rows.h"
#include "disk/disk_reader.h"
#include "fat/fat_layout.h"

namespace datrevo {

// What a directory entry with this attribute byte names.
FatEntryType FatEntryTypeOf(std::uint8_t attributes);

class DiskFatFolderReader : public FatFolderReader {
public:
    DiskFatFolderReader(DiskReader disk, FatLayout activeLayout)
        : disk_(std::move(disk)), layout_(std::move(activeLayout)) {}

    // Cluster 0 is the root directory on FAT16 and FAT32; with any other
    // kind text it has no entries.
    std::vector<FatFileEntry> readFolder(std::uint32_t firstCluster, std::stop_token stop) override;

private:
    DiskReader disk_;
    FatLayout layout_;
};

}  // namespace datrevo
