// An NTFS result as the file list and the save read it: a folder's files are
// the EntryTable rows whose "parent" is the folder's record number (5 for the
// root item), found through an index by parent built once; $Extend (11) and
// the other records below 24 named with '$' are the file system's own.
// Contents are read from each file's record.
#pragma once

#include "browse/result_volume.h"
#include "catalogue/catalogue_table.h"
#include "catalogue/entry_rows.h"
#include "ntfs/ntfs_content.h"

namespace datrevo {

class NtfsResultVolume : public ResultVolume {
public:
    // Without a content reader, files give no contents (planning only).
    explicit NtfsResultVolume(const CatalogueTable& entryTable,
                              NtfsContentReader content = {{}, {}, 0, {}})
        : entryTable_(entryTable), index_(entryTable), content_(std::move(content)) {}

    VolumeKind kind() const override { return VolumeKind::Ntfs; }
    std::vector<ResultFile> files(std::uint32_t folderNumber, std::stop_token stop) override {
        return EntryTableFiles(entryTable_, index_, folderNumber, stop);
    }
    bool isSystemFolder(const FolderNode& node) const override {
        return IsNtfsSystemEntry(node.selfNumber, node.name);
    }

protected:
    const ContentReader& contents() const override { return content_; }

private:
    const CatalogueTable& entryTable_;
    EntryRowIndex index_;
    NtfsContentReader content_;
};

}  // namespace datrevo
