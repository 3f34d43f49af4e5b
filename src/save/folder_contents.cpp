#include "save/folder_contents.h"

#include "catalogue/catalogue.h"
#include "fat/fat_result_volume.h"
#include "ntfs/ntfs_result_volume.h"

namespace datrevo {
namespace {

// A file dated by FAT date and time words; the volume says how its
// contents are found (by the first cluster, or by the entry's sector).
FolderFile FatFile(const ResultFile& entry, ContentKind kind) {
    FolderFile file;
    file.name = entry.name;
    file.source.kind = kind;
    file.source.firstCluster = entry.firstCluster;
    file.source.recordSector = entry.recordSector;
    file.source.size = entry.size;
    file.source.deleted = entry.deleted;
    file.modified = FatCopyTime(entry.fatDate, entry.fatTime);
    file.rowKey = entry.rowKey;
    return file;
}

FolderFile NtfsFile(const ResultFile& row) {
    FolderFile file;
    file.name = row.name;
    file.source.kind = ContentKind::NtfsRecord;
    file.source.recordSector = row.recordSector;
    file.source.size = row.size;
    file.source.deleted = row.deleted;
    file.modified = NtfsCopyTime(row.filetime);
    file.rowKey = row.rowKey;
    file.system = row.system;
    file.stream = row.stream;
    file.source.stream = row.streamName;
    return file;
}

}  // namespace

ResultFolderContents::ResultFolderContents(const FolderTree& tree,
                                           std::shared_ptr<ResultVolume> volume)
    : tree_(tree), volume_(std::move(volume)) {}

std::vector<FolderFile> ResultFolderContents::files(ItemId folderItem, std::stop_token stop) {
    std::vector<FolderFile> out;
    if (stop.stop_requested()) return out;
    const std::uint32_t number = volume_->folderNumber(tree_.nodes(), folderItem);
    for (const ResultFile& file : volume_->files(number, stop)) {
        if (volume_->ntfs()) {
            out.push_back(NtfsFile(file));
        } else if (!file.volumeLabel) {
            out.push_back(FatFile(file, volume_->contentKind()));
        }
    }
    return out;
}

std::optional<CopyTime> ResultFolderContents::folderTime(const FolderNode& node) const {
    if (volume_->ntfs()) return NtfsCopyTime(node.dateValue);
    return FatCopyTime(static_cast<std::uint16_t>(node.dateValue),
                       static_cast<std::uint16_t>(node.timeValue));
}

FatFolderContents::FatFolderContents(FolderTree& tree, DiskReader disk, FatLayout layout)
    : ResultFolderContents(
          tree, std::make_unique<FatResultVolume>(tree, std::move(disk), std::move(layout))) {}

NtfsFolderContents::NtfsFolderContents(const FolderTree& tree, const CatalogueTable& entryTable)
    : ResultFolderContents(tree, std::make_unique<NtfsResultVolume>(entryTable)) {}

}  // namespace datrevo
