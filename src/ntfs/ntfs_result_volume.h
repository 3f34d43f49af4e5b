// An NTFS result as the file list and the save read it: a folder's files are
// the EntryTable rows whose "parent" is the folder's record number (5 for the
// root item), found through the index by parent of the result (one for every
// list of it, rebuilt when EntryTable changes); $Extend (11) and
// the other records below 24 named with '$' are the file system's own.
// Contents are read from each file's record.
#pragma once

#include <memory>

#include "browse/result_volume.h"
#include "catalogue/catalogue_table.h"
#include "catalogue/entry_rows.h"
#include "ntfs/ntfs_content.h"

namespace datrevo {

class NtfsResultVolume : public ResultVolume {
public:
    // Lists through `entries`, the result's shared index of EntryTable.
    // Without a content reader, files give no contents (planning only).
    explicit NtfsResultVolume(EntryRowIndexCache& entries,
                              NtfsContentReader content = {{}, {}, 0, {}})
        : entries_(&entries), content_(std::move(content)) {}
    // Lists through an index of its own.
    explicit NtfsResultVolume(const CatalogueTable& entryTable,
                              NtfsContentReader content = {{}, {}, 0, {}})
        : own_(std::make_unique<EntryRowIndexCache>(entryTable)),
          entries_(own_.get()),
          content_(std::move(content)) {}

    VolumeKind kind() const override { return VolumeKind::Ntfs; }
    std::vector<ResultFile> files(std::uint32_t folderNumber, std::stop_token stop) override {
        const std::shared_ptr<const EntryRowIndex> index = entries_->current();
        return EntryTableFiles(entries_->table(), *index, folderNumber, stop);
    }
    bool isSystemFolder(const FolderNode& node) const override {
        return IsNtfsSystemEntry(node.selfNumber, node.name);
    }

protected:
    const ContentReader& contents() const override { return content_; }

private:
    std::unique_ptr<EntryRowIndexCache> own_;
    EntryRowIndexCache* entries_;
    NtfsContentReader content_;
};

}  // namespace datrevo
