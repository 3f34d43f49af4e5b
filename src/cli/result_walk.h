// Walking a recovery result for the command line's listings: every folder
// and file with its path, size, time, first cluster or MFT record, state and
// where its contents lie. The tree, the folder lists and the machine-readable
// outputs are all printed from this walk, so they agree.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/item_id.h"
#include "browse/file_row.h"
#include "browse/file_content.h"
#include "recovery/recovery_context.h"

namespace datrevo::cli {

// live: reachable from the root; deleted: its entry, or a folder above it,
// is deleted; orphan: found where no live folder holds it (in a folder
// rebuilt without an entry in its parent, after a quick format, or in the
// catch-all folder).
enum class EntryState { Live, Deleted, Orphan };
const char* StateText(EntryState state);

struct ResultEntry {
    std::string name;
    std::string path;  // '/'-joined from the volume root; empty for the root
    int depth = 0;     // 0: the root
    bool folder = false;
    std::uint64_t size = 0;
    std::string modified;                // ISO 8601; empty when not stored or invalid
    std::optional<std::uint64_t> first;  // first cluster (FAT) or MFT record number (NTFS)
    EntryState state = EntryState::Live;
    bool lost = false;         // a folder rebuilt without an entry in its parent folder
    bool pastDiskEnd = false;  // a file whose data lies beyond the end of the disk
    ContentSource source;      // files: where their contents lie
};

// One folder with its files (its subfolders are visited after it).
struct WalkedFolder {
    ItemId item = kNoItem;
    ResultEntry entry;
    std::vector<ResultEntry> files;
    std::vector<FileRow> rows;  // as the file list shows it, without volume-label entries
};

class ResultWalk {
public:
    explicit ResultWalk(RecoveryContext& context);
    ~ResultWalk();
    ResultWalk(const ResultWalk&) = delete;
    ResultWalk& operator=(const ResultWalk&) = delete;

    // Depth-first from the root: `enter` before a folder's subfolders,
    // `leave` after them.
    void visit(const std::function<void(const WalkedFolder&)>& enter,
               const std::function<void(const WalkedFolder&)>& leave = {});
    // The folder at a '/'-separated path from the root ("" or "/": the root).
    std::optional<WalkedFolder> find(const std::string& path);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace datrevo::cli
