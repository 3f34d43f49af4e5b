#include "browse/result_volume.h"

#include "base/decimal.h"
#include "catalogue/catalogue.h"

namespace datrevo {
namespace {

// The first MFT record that can hold a user's file; 0-15 are the file
// system's own files, 16-23 are reserved for them. Their names begin with
// '$' (an Advance search, which cannot always tell a record's number, gives
// user files number 0 too).
constexpr std::uint32_t kNtfsFirstUserRecord = 24;

// Rows read between two looks at the stop token.
constexpr std::size_t kStopCheckInterval = 256;

}  // namespace

bool IsNtfsSystemEntry(std::uint32_t self, const std::string& name) {
    return self < kNtfsFirstUserRecord && !name.empty() && name.front() == '$';
}

std::uint32_t ResultVolume::rootNumber() const { return ntfs() ? kNtfsRootRecord : 0; }

std::uint32_t ResultVolume::folderNumber(const FolderNodeList& nodes, ItemId item) const {
    if (item == kNoItem) return rootNumber();
    const std::vector<std::size_t> shown = nodes.byItem(item);
    return shown.empty() ? rootNumber() : nodes[shown.front()].selfNumber;
}

std::vector<ResultFile> FatEntryFiles(const std::vector<FatFileEntry>& entries) {
    std::vector<ResultFile> files;
    for (const FatFileEntry& entry : entries) {
        if (entry.type == FatEntryType::Folder) continue;
        ResultFile file;
        file.name = entry.name;
        file.deleted = entry.deleted;
        file.volumeLabel = entry.type == FatEntryType::VolumeLabel;
        file.size = entry.size;
        file.sizeText = UnsignedText(entry.size);
        file.rowKey = UnsignedText(entry.firstCluster);
        file.firstCluster = entry.firstCluster;
        file.fatDate = entry.date;
        file.fatTime = entry.time;
        files.push_back(std::move(file));
    }
    return files;
}

std::vector<ResultFile> EntryRowFiles(
    const EntryRowIndex& index, std::uint32_t folderNumber, std::stop_token stop,
    const std::function<ResultFile(int row, const EntryRowView& view)>& make) {
    std::vector<ResultFile> files;
    const std::vector<int>& rows = index.rowsOfParent(static_cast<std::int32_t>(folderNumber));
    files.reserve(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (i % kStopCheckInterval == 0 && stop.stop_requested()) break;
        files.push_back(make(rows[i], index[static_cast<std::size_t>(rows[i])]));
    }
    return files;
}

std::vector<ResultFile> EntryTableFiles(const CatalogueTable& entryTable,
                                        const EntryRowIndex& index, std::uint32_t folderNumber,
                                        std::stop_token stop) {
    return EntryRowFiles(index, folderNumber, stop, [&](int row, const EntryRowView& view) {
        ResultFile file;
        file.name = entryTable.cell(row, folder_col::Name);
        file.deleted = view.deleted;
        file.sizeText = entryTable.cell(row, folder_col::Size);
        file.size = view.size > 0 ? static_cast<std::uint64_t>(view.size) : 0;
        file.rowKey = entryTable.cell(row, folder_col::Sector);
        file.recordSector = static_cast<std::uint64_t>(view.sector);
        file.self = view.self;
        file.filetime = static_cast<std::uint64_t>(view.date);
        file.system = IsNtfsSystemEntry(view.self, file.name);
        // "name:stream" beside the row of "name" in the same record: an
        // alternate data stream (names of files cannot hold ':' on Windows,
        // but a POSIX name can, so the file's own row must be there too).
        const std::size_t colon = file.name.rfind(':');
        if (colon != std::string::npos && colon + 1 < file.name.size() &&
            index.hasRow(file.rowKey, file.name.substr(0, colon))) {
            file.stream = true;
            file.streamName = file.name.substr(colon + 1);
        }
        return file;
    });
}

}  // namespace datrevo
