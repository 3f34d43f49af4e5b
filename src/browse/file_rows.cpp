#include "browse/file_rows.h"

#include "base/decimal.h"
#include "browse/date_texts.h"
#include "browse/type_names.h"
#include "catalogue/catalogue.h"

namespace datrevo {
namespace {

// Attribute bit of a directory entry that names a folder.
constexpr std::uint8_t kDirectoryAttribute = 0x10;
// Rows produced between two looks at the stop token.
constexpr std::size_t kStopCheckInterval = 256;

bool StopNow(std::size_t index, const std::stop_token& stop) {
    return index % kStopCheckInterval == 0 && stop.stop_requested();
}

std::string SignedDecimal(std::uint32_t value) {
    return std::to_string(static_cast<std::int32_t>(value));
}

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

void AppendFolderRows(std::vector<FileRow>& rows, FolderNodeList& nodes,
                      std::uint32_t folderNumber, bool parentDeleted, const FolderRowStyle& style,
                      std::stop_token stop) {
    for (std::size_t index = 0; index < nodes.size(); ++index) {
        if (StopNow(index, stop)) return;
        FolderNode& node = nodes[index];
        if (node.parentNumber != folderNumber) continue;
        if (parentDeleted) node.deleted = true;

        FileRow row;
        row.icon = FileRowIcon::Folder;
        row.deleted = node.deleted;
        row[file_col::Name] = node.name;
        row[file_col::Type] = node.deleted && style.deletedFolderType ? "Deleted FOLDER" : kTypeFolder;
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

void FillFatFileRows(std::vector<FileRow>& rows, FatFolderReader& reader,
                     std::uint32_t firstCluster, bool /*parentDeleted*/,
                     const std::string& fatKind, std::stop_token stop) {
    const TypeNameSource source = firstCluster == 0 && fatKind == "FAT16"
                                      ? TypeNameSource::Fat16Root
                                      : TypeNameSource::FatFolder;
    const std::vector<FatFileEntry> entries = reader.readFolder(firstCluster, stop);
    for (std::size_t index = 0; index < entries.size(); ++index) {
        if (StopNow(index, stop)) return;
        const FatFileEntry& entry = entries[index];
        if ((entry.attributes & kDirectoryAttribute) != 0) continue;
        FileRow row;
        row.deleted = entry.deleted;
        row[file_col::Name] = entry.name;
        row[file_col::Type] = TypeNameForFile(entry.name, source);
        row[file_col::Size] = UnsignedText(entry.size);
        row[file_col::Date] = FatDateText(entry.date);
        row[file_col::Time] = FatTimeText(entry.time);
        row[file_col::DebugInfo1] = UnsignedText(entry.firstCluster);
        rows.push_back(std::move(row));
    }
}

void FillNtfsFileRows(std::vector<FileRow>& rows, const CatalogueTable& entryTable,
                      std::uint32_t folderNumber, std::stop_token stop) {
    const auto key = static_cast<std::int32_t>(folderNumber);
    for (int table = 0; table < entryTable.count(); ++table) {
        if (StopNow(static_cast<std::size_t>(table), stop)) return;
        if (entryTable.cellSigned32(table, folder_col::Parent) != key) continue;
        const auto filetime = static_cast<std::uint64_t>(entryTable.cellSigned64(table, folder_col::Date));
        FileRow row;
        row.deleted = entryTable.cell(table, folder_col::Deleted) == "1";
        row[file_col::Name] = entryTable.cell(table, folder_col::Name);
        row[file_col::Type] = TypeNameForFile(row[file_col::Name], TypeNameSource::Ntfs);
        row[file_col::Size] = entryTable.cell(table, folder_col::Size);
        row[file_col::Date] = NtfsDateText(filetime);
        row[file_col::Time] = NtfsTimeText(filetime);
        row[file_col::DebugInfo1] = entryTable.cell(table, folder_col::Sector);
        row[file_col::DebugInfo2] = UnsignedText(folderNumber);
        row[file_col::DebugInfo3] = UnsignedText(entryTable.cellUnsigned(table, folder_col::Self));
        rows.push_back(std::move(row));
    }
}

std::vector<FileRow> ListFolder(ItemId item, FolderListSources& sources,
                                const FolderRowStyle& style, std::stop_token stop) {
    const bool ntfs = sources.activeKind == "NTFS";
    const ListedFolder folder = FindListedFolder(sources.nodes, item, ntfs);
    if (folder.node != nullptr && folder.number != kCatchAllNumber && !ntfs &&
        sources.nameChildFolders)
        sources.nameChildFolders(*folder.node);

    FolderRowStyle rowStyle = style;
    rowStyle.ntfs = ntfs;
    std::vector<FileRow> rows;
    AppendFolderRows(rows, sources.nodes, folder.number, folder.parentDeleted, rowStyle, stop);
    if (ntfs)
        FillNtfsFileRows(rows, sources.entryTable, folder.number, stop);
    else if (folder.number != kCatchAllNumber && sources.fatReader != nullptr)
        FillFatFileRows(rows, *sources.fatReader, folder.number, folder.parentDeleted,
                        sources.activeKind, stop);
    return rows;
}

}  // namespace datrevo
