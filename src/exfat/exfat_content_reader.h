// Reading an exFAT file's contents for the save and the byte-run listing.
//
// The EntryTable row (or a recovery log) keeps the File entry's disk sector,
// the first cluster and the size; the entry set is found again there for
// NoFatChain and ValidDataLength (exfat_listed_file.h). A live file is read
// by its FAT chain or, with NoFatChain, its consecutive clusters, up to
// ValidDataLength, with zeros after it; a deleted one from its first
// cluster, over the clusters the bitmap shows free when it was FAT-chained
// (flagged like a deleted FAT file), or over its consecutive clusters
// (flagged overwritten when some are in use now).
#pragma once

#include <memory>

#include "browse/content_writer.h"
#include "exfat/exfat_volume.h"

namespace datrevo {

class ExfatContentReader : public WriterContentReader {
public:
    // Without a volume (its geometry could not be opened), files give no
    // contents and are reported incomplete.
    explicit ExfatContentReader(std::shared_ptr<const ExfatVolume> volume)
        : WriterContentReader(volume ? volume->disk() : DiskReader{}), volume_(std::move(volume)) {}

protected:
    void describe(const ContentSource& source, ContentWriter& writer,
                  ContentReport& report) const override;

private:
    std::shared_ptr<const ExfatVolume> volume_;
};

}  // namespace datrevo
