// An exFAT result as the file list and the save read it: a folder's files
// are the EntryTable rows whose "parent" is the folder's number (its first
// cluster; 0 for the root item), found through an index by parent built
// once. The rows carry FAT date and time words, the File entry's disk sector
// ("Debug Info 1") and the first cluster ("self").
#pragma once

#include "browse/result_volume.h"
#include "catalogue/catalogue_table.h"
#include "catalogue/entry_rows.h"

namespace datrevo {

class ExfatResultVolume : public ResultVolume {
public:
    explicit ExfatResultVolume(const CatalogueTable& entryTable)
        : entryTable_(entryTable), index_(entryTable) {}

    VolumeKind kind() const override { return VolumeKind::Exfat; }
    std::vector<ResultFile> files(std::uint32_t folderNumber, std::stop_token stop) override;

private:
    const CatalogueTable& entryTable_;
    EntryRowIndex index_;
};

}  // namespace datrevo
