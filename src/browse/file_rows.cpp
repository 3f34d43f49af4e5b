#include "browse/file_rows.h"

#include <memory>

#include "base/decimal.h"
#include "browse/date_texts.h"
#include "browse/type_names.h"
#include "catalogue/catalogue.h"

namespace datrevo {
namespace {

// Rows produced between two looks at the stop token.
constexpr std::size_t kStopCheckInterval = 256;

bool StopNow(std::size_t index, const std::stop_token& stop) {
    return index % kStopCheckInterval == 0 && stop.stop_requested();
}

std::string SignedDecimal(std::uint32_t value) {
    return std::to_string(static_cast<std::int32_t>(value));
}

// Contents not read: no bytes, incomplete when the file has a size.
class UnreadContents final : public ContentReader {
public:
    ContentReport readContent(const ContentSource& source, const ChunkSink& /*sink*/,
                              std::stop_token /*stop*/) const override {
        return unread(source);
    }
    ContentReport mapContent(const ContentSource& source,
                             const ExtentSink& /*extents*/) const override {
        return unread(source);
    }

private:
    static ContentReport unread(const ContentSource& source) {
        ContentReport report;
        report.size = source.size;
        report.incomplete = source.size != 0;
        return report;
    }
};

// The sources given one by one, as a result volume: NTFS files from
// EntryTable (through the sources' shared index when it is EntryTable's),
// FAT files from the reader.
class SourcesVolume : public ResultVolume {
public:
    explicit SourcesVolume(const FolderListSources& sources)
        : sources_(sources), kind_(sources.activeKind) {}
    VolumeKind kind() const override { return kind_; }
    std::vector<ResultFile> files(std::uint32_t folderNumber, std::stop_token stop) override {
        if (kind_ == VolumeKind::Ntfs) {
            EntryRowIndexCache& entries = entryIndex();
            const std::shared_ptr<const EntryRowIndex> index = entries.current();
            return EntryTableFiles(entries.table(), *index, folderNumber, stop);
        }
        if (folderNumber == kCatchAllNumber || sources_.fatReader == nullptr) return {};
        return FatEntryFiles(sources_.fatReader->readFolder(folderNumber, stop));
    }

protected:
    // The sources list files only; their contents are read through the
    // result volume of the engine (recovery/result_volume_choice.h).
    const ContentReader& contents() const override { return unread_; }

private:
    EntryRowIndexCache& entryIndex() {
        if (sources_.entryIndex != nullptr && &sources_.entryIndex->table() == &sources_.entryTable)
            return *sources_.entryIndex;
        if (own_ == nullptr) own_ = std::make_unique<EntryRowIndexCache>(sources_.entryTable);
        return *own_;
    }

    const FolderListSources& sources_;
    VolumeKind kind_;
    std::unique_ptr<EntryRowIndexCache> own_;
    UnreadContents unread_;
};

}  // namespace

ListedFolder FindListedFolder(FolderNodeList& nodes, ItemId item, bool ntfs) {
    ListedFolder listed;
    listed.number = ntfs ? kNtfsRootRecord : 0;
    if (item == kNoItem) return listed;
    const std::vector<std::size_t> shown = nodes.byItem(item);
    if (shown.empty()) return listed;
    FolderNode& node = nodes[shown.front()];
    listed.number = node.selfNumber;
    listed.parentDeleted = node.deleted;
    listed.node = &node;
    return listed;
}

void AppendFolderRows(std::vector<FileRow>& rows, FolderNodeList& nodes, std::uint32_t folderNumber,
                      bool parentDeleted, const FolderRowStyle& style, std::stop_token stop) {
    const std::vector<std::size_t>& children = nodes.childrenOf(folderNumber);
    for (std::size_t i = 0; i < children.size(); ++i) {
        if (StopNow(i, stop)) return;
        FolderNode& node = nodes[children[i]];
        if (parentDeleted) node.deleted = true;

        FileRow row;
        row.icon = FileRowIcon::Folder;
        row.deleted = node.deleted;
        row[file_col::Name] = node.name;
        row[file_col::Type] =
            node.deleted && style.deletedFolderType ? "Deleted FOLDER" : kTypeFolder;
        row[file_col::Size] = "0";
        if (style.catchAllNow && node.name == kCatchAllName) {
            row[file_col::Date] = CurrentDateText(*style.catchAllNow);
            row[file_col::Time] = CurrentTimeText(*style.catchAllNow);
        } else if (style.ntfs) {
            row[file_col::Date] = NtfsDateText(node.dateValue);
            row[file_col::Time] = NtfsTimeText(node.dateValue);
        } else {
            row[file_col::Date] = FatDateText(static_cast<std::uint16_t>(node.dateValue));
            row[file_col::Time] = FatTimeText(static_cast<std::uint16_t>(node.timeValue));
        }
        row[file_col::DebugInfo1] = SignedDecimal(node.selfNumber);
        row[file_col::DebugInfo2] = SignedDecimal(node.parentNumber);
        row[file_col::DebugInfo3] = std::to_string(node.treeItem);
        rows.push_back(std::move(row));
    }
}

void AppendFileRows(std::vector<FileRow>& rows, const std::vector<ResultFile>& files,
                    VolumeKind kind, std::uint32_t folderNumber, std::stop_token stop) {
    const bool ntfs = kind == VolumeKind::Ntfs;
    const TypeNameSource source = ntfs ? TypeNameSource::Ntfs
                                  : folderNumber == 0 && kind == VolumeKind::Fat16
                                      ? TypeNameSource::Fat16Root
                                      : TypeNameSource::FatFolder;
    for (std::size_t index = 0; index < files.size(); ++index) {
        if (StopNow(index, stop)) return;
        const ResultFile& file = files[index];
        FileRow row;
        row.deleted = file.deleted;
        row[file_col::Name] = file.name;
        row[file_col::Type] = TypeNameForFile(file.name, source);
        row[file_col::Size] = file.sizeText;
        row[file_col::DebugInfo1] = file.rowKey;
        if (ntfs) {
            row[file_col::Date] = NtfsDateText(file.filetime);
            row[file_col::Time] = NtfsTimeText(file.filetime);
            row[file_col::DebugInfo2] = UnsignedText(folderNumber);
            row[file_col::DebugInfo3] = UnsignedText(file.self);
        } else {
            row[file_col::Date] = FatDateText(file.fatDate);
            row[file_col::Time] = FatTimeText(file.fatTime);
        }
        rows.push_back(std::move(row));
    }
}

std::vector<FileRow> ListFolder(ItemId item, FolderNodeList& nodes, ResultVolume& volume,
                                const FolderRowStyle& style, std::stop_token stop) {
    const bool ntfs = volume.ntfs();
    const ListedFolder folder = FindListedFolder(nodes, item, ntfs);
    FolderRowStyle rowStyle = style;
    rowStyle.ntfs = ntfs;
    std::vector<FileRow> rows;
    AppendFolderRows(rows, nodes, folder.number, folder.parentDeleted, rowStyle, stop);
    AppendFileRows(rows, volume.files(folder.number, stop), volume.kind(), folder.number, stop);
    return rows;
}

std::vector<FileRow> ListFolder(ItemId item, FolderListSources& sources,
                                const FolderRowStyle& style, std::stop_token stop) {
    SourcesVolume volume(sources);
    const ListedFolder folder = FindListedFolder(sources.nodes, item, volume.ntfs());
    if (folder.node != nullptr && folder.number != kCatchAllNumber && !volume.ntfs() &&
        sources.nameChildFolders)
        sources.nameChildFolders(*folder.node);
    return ListFolder(item, sources.nodes, volume, style, std::move(stop));
}

}  // namespace datrevo
