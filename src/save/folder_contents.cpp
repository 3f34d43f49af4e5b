#include "save/folder_contents.h"

#include "base/decimal.h"
#include "catalogue/catalogue.h"
#include "fat/fat_directory.h"
#include "fat/fat_kind.h"
#include "fat/folder_naming.h"

namespace datrevo {
namespace {

// The first MFT record that can hold a user's file; 0-15 are the file
// system's own files, 16-23 are reserved for them. Their names begin with
// '$' (an Advance search, which cannot always tell a record's number, gives
// user files number 0 too).
constexpr std::uint32_t kNtfsFirstUserRecord = 24;

bool IsNtfsSystemEntry(std::uint32_t self, const std::string& name) {
    return self < kNtfsFirstUserRecord && !name.empty() && name.front() == '$';
}

// The folder number of an item: its first folder node's self number, or the
// root's number for the root item and items without a node.
std::uint32_t FolderNumber(const FolderTree& tree, ItemId item, std::uint32_t rootNumber) {
    const std::vector<std::size_t> shown = tree.nodes().byItem(item);
    return shown.empty() ? rootNumber : tree.nodes()[shown.front()].selfNumber;
}

}  // namespace

void FatFolderContents::prepare(ItemId folderItem) {
    ExpandFatFolder(tree_, folderItem, disk_, layout_);
}

std::vector<FolderFile> FatFolderContents::files(ItemId folderItem, std::stop_token stop) {
    std::vector<FolderFile> out;
    const std::uint32_t number = FolderNumber(tree_, folderItem, 0);
    if (number == kCatchAllNumber || stop.stop_requested()) return out;
    for (const FatDirectoryEntry& entry : ReadFatDirectory(disk_, layout_, number)) {
        if (entry.isDirectory() || entry.isVolumeLabel()) continue;
        FolderFile file;
        file.name = entry.name;
        file.source.kind = ContentKind::FatFile;
        file.source.firstCluster = entry.firstCluster;
        file.source.size = entry.size;
        file.source.deleted = entry.deleted;
        file.modified = FatCopyTime(entry.date, entry.time);
        file.rowKey = UnsignedText(entry.firstCluster);
        out.push_back(std::move(file));
    }
    return out;
}

std::optional<CopyTime> FatFolderContents::folderTime(const FolderNode& node) const {
    return FatCopyTime(static_cast<std::uint16_t>(node.dateValue),
                       static_cast<std::uint16_t>(node.timeValue));
}

NtfsFolderContents::NtfsFolderContents(const FolderTree& tree, const CatalogueTable& entryTable)
    : tree_(tree), entryTable_(entryTable) {
    for (int row = 0; row < entryTable_.count(); ++row) {
        rowsByParent_[entryTable_.cellSigned32(row, folder_col::Parent)].push_back(row);
        filesBySector_.insert({entryTable_.cell(row, folder_col::Sector), entryTable_.cell(row, folder_col::Name)});
    }
}

std::vector<FolderFile> NtfsFolderContents::files(ItemId folderItem, std::stop_token stop) {
    std::vector<FolderFile> out;
    const auto number = static_cast<std::int32_t>(FolderNumber(tree_, folderItem, kNtfsRootRecord));
    const auto found = rowsByParent_.find(number);
    if (found == rowsByParent_.end() || stop.stop_requested()) return out;
    for (const int row : found->second) {
        FolderFile file;
        file.name = entryTable_.cell(row, folder_col::Name);
        file.source.kind = ContentKind::NtfsRecord;
        file.source.recordSector = static_cast<std::uint64_t>(
            ParseSigned64(entryTable_.cell(row, folder_col::Sector)));
        const std::int64_t size = ParseSigned64(entryTable_.cell(row, folder_col::Size));
        file.source.size = size > 0 ? static_cast<std::uint64_t>(size) : 0;
        file.source.deleted = entryTable_.cell(row, folder_col::Deleted) == "1";
        file.modified = NtfsCopyTime(
            static_cast<std::uint64_t>(entryTable_.cellSigned64(row, folder_col::Date)));
        file.rowKey = entryTable_.cell(row, folder_col::Sector);
        file.system = IsNtfsSystemEntry(entryTable_.cellUnsigned(row, folder_col::Self), file.name);
        // "name:stream" right after the row of "name" in the same record: an
        // alternate data stream (names of files cannot hold ':' on Windows,
        // but a POSIX name can, so the file's own row must be there too).
        const std::size_t colon = file.name.rfind(':');
        if (colon != std::string::npos && colon + 1 < file.name.size() &&
            filesBySector_.count({file.rowKey, file.name.substr(0, colon)}) != 0) {
            file.stream = true;
            file.source.stream = file.name.substr(colon + 1);
        }
        out.push_back(std::move(file));
    }
    return out;
}

std::optional<CopyTime> NtfsFolderContents::folderTime(const FolderNode& node) const {
    return NtfsCopyTime(node.dateValue);
}

bool NtfsFolderContents::isSystemFolder(const FolderNode& node) const {
    return IsNtfsSystemEntry(node.selfNumber, node.name);
}

}  // namespace datrevo
