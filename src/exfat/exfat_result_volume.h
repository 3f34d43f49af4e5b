// An exFAT result as the file list and the save read it: a folder's files
// are the EntryTable rows whose "parent" is the folder's number (its first
// cluster; 0 for the root item), found through the index by parent of the
// result (one for every list of it, rebuilt when EntryTable changes). The
// rows carry FAT date and time words, the File entry's disk sector ("Debug
// Info 1") and the first cluster ("self"). Contents are read from the volume
// through each file's entry set (exfat_content_reader.h).
#pragma once

#include <memory>

#include "browse/result_volume.h"
#include "catalogue/catalogue_table.h"
#include "catalogue/entry_rows.h"
#include "exfat/exfat_content_reader.h"

namespace datrevo {

class ExfatResultVolume : public ResultVolume {
public:
    // Lists through `entries`, the result's shared index of EntryTable.
    // Without a volume, files give no contents (planning only).
    explicit ExfatResultVolume(EntryRowIndexCache& entries,
                               std::shared_ptr<const ExfatVolume> volume = nullptr)
        : entries_(&entries), content_(std::move(volume)) {}
    // Lists through an index of its own.
    explicit ExfatResultVolume(const CatalogueTable& entryTable,
                               std::shared_ptr<const ExfatVolume> volume = nullptr)
        : own_(std::make_unique<EntryRowIndexCache>(entryTable)),
          entries_(own_.get()),
          content_(std::move(volume)) {}

    VolumeKind kind() const override { return VolumeKind::Exfat; }
    ContentKind contentKind() const override { return ContentKind::ExfatFile; }
    std::vector<ResultFile> files(std::uint32_t folderNumber, std::stop_token stop) override;

protected:
    const ContentReader& contents() const override { return content_; }

private:
    std::unique_ptr<EntryRowIndexCache> own_;
    EntryRowIndexCache* entries_;
    ExfatContentReader content_;
};

}  // namespace datrevo
