// Reading a FAT file's contents from the medium.
//
// A live entry: the cluster chain from its first cluster. A deleted entry
// (or a chain whose first cluster the FAT marks free): the first cluster,
// then the following clusters that the FAT marks free, skipping those in
// use, as many as the size needs, up to the volume's end. When the first
// cluster is in use by then, the file was overwritten: the copy holds the
// clusters that follow it on the disk, as they are now.
#pragma once

#include <cstdint>

#include "browse/content_writer.h"
#include "disk/disk_reader.h"
#include "fat/fat_layout.h"

namespace datrevo {

class FatContentReader : public WriterContentReader {
public:
    // `volumeEnd`: one past the volume's last sector (0: the disk's end).
    FatContentReader(DiskReader disk, FatLayout layout, std::uint64_t volumeEnd)
        : WriterContentReader(std::move(disk)), layout_(layout), volumeEnd_(volumeEnd) {}

protected:
    void describe(const ContentSource& source, ContentWriter& writer,
                  ContentReport& report) const override;

private:
    FatLayout layout_;
    std::uint64_t volumeEnd_;
};

}  // namespace datrevo
