#include "log/log_context.h"

#include <algorithm>

#include "base/decimal.h"
#include "base/progress_meter.h"

namespace datrevo {
namespace {

LogLayoutNumbers LayoutNumbers(const FatLayout& layout) {
    return {layout.sectorsPerFat,   layout.sectorsPerCluster, layout.rootSectors, layout.rootStart,
            layout.reservedSectors, layout.cluster0Start,     layout.firstFat,    layout.secondFat};
}

void SetLayoutNumbers(FatLayout& layout, const LogLayoutNumbers& numbers) {
    layout.sectorsPerFat = numbers[0];
    layout.sectorsPerCluster = numbers[1];
    layout.rootSectors = numbers[2];
    layout.rootStart = numbers[3];
    layout.reservedSectors = numbers[4];
    layout.cluster0Start = numbers[5];
    layout.firstFat = numbers[6];
    layout.secondFat = numbers[7];
}

LogNtfsNumbers NtfsNumbers(const NtfsValues& values) {
    return {values.mftStart, values.mftMirrorStart, values.recordSectors, values.indexBlockSectors};
}

NtfsValues NtfsFromNumbers(const LogNtfsNumbers& numbers) {
    return {numbers[0], numbers[1], numbers[2], numbers[3]};
}

std::uint8_t ByteOf(int value) { return static_cast<std::uint8_t>(std::clamp(value, 0, 255)); }

std::vector<LogFileRecord> FileRecords(const CatalogueTable& entries, bool fatWords) {
    std::vector<LogFileRecord> files;
    files.reserve(static_cast<std::size_t>(entries.count()));
    for (int row = 0; row < entries.count(); ++row) {
        LogFileRecord file;
        file.name = entries.cell(row, folder_col::Name);
        // The unsigned reading gives the same four bytes as a signed one for
        // every value of the signed range, and keeps sizes and sectors from
        // 2^31 to 2^32 - 1 whole where a signed reading would saturate.
        file.sector = entries.cellUnsigned(row, folder_col::Sector);
        file.selfNumber = entries.cellUnsigned(row, folder_col::Self);
        file.parentNumber = entries.cellUnsigned(row, folder_col::Parent);
        file.date =
            fatWords ? PackFatWords(
                           static_cast<std::uint16_t>(entries.cellUnsigned(row, folder_col::Date)),
                           static_cast<std::uint16_t>(entries.cellUnsigned(row, folder_col::Time)))
                     : entries.cellSigned64(row, folder_col::Date);
        file.size = entries.cellUnsigned(row, folder_col::Size);
        file.deleted = entries.cellUnsigned(row, folder_col::Deleted);
        files.push_back(std::move(file));
    }
    return files;
}

}  // namespace

LogContents GatherLogContents(const RecoveryContext& context) {
    LogContents contents;
    contents.modelText = context.currentDisk.modelText;
    contents.searchMode = static_cast<std::uint8_t>(context.search.mode);
    contents.driveIndex = ByteOf(context.search.selectedDisk);
    contents.diskNumber = ByteOf(context.search.selectedDisk);
    contents.partitionIndex = ByteOf(context.search.partitionIndex);
    contents.partitionKind = std::string(VolumeKindText(context.search.partitionKind));
    contents.searchModeText = context.search.searchModeText;
    contents.searchStart = context.search.searchStart;
    contents.searchEnd = context.search.searchEnd;
    contents.partitionLayout = LayoutNumbers(context.partitionLayout);
    contents.partitionNtfs = NtfsNumbers(context.partitionNtfs);
    contents.activeLayout = LayoutNumbers(context.activeLayout);
    contents.activeNtfs = NtfsNumbers(context.activeNtfs);
    contents.activeKind = std::string(VolumeKindText(context.activeLayout.kind));

    const FolderNodeList& nodes = context.folders.nodes();
    contents.folders.reserve(nodes.size());
    for (const FolderNode& node : nodes)
        contents.folders.push_back({node.name, node.selfNumber, node.parentNumber, node.dateValue,
                                    node.timeValue,
                                    static_cast<std::uint8_t>(node.deleted ? 1 : 0)});
    if (LogHasFileRows(contents.activeKind))
        contents.files = FileRecords(context.catalogue.EntryTable,
                                     context.activeLayout.kind == VolumeKind::Exfat);
    return contents;
}

void RestoreSearchValues(const LogContents& contents, RecoveryContext& context) {
    SearchContext& search = context.search;
    search.mode = SearchMode::Standard;
    search.partitionIndex = contents.partitionIndex;
    search.partitionKind = VolumeKindFromText(contents.partitionKind);
    search.searchModeText = contents.searchModeText;
    search.searchStart = contents.searchStart;
    search.searchEnd = contents.searchEnd;
    SetLayoutNumbers(context.partitionLayout, contents.partitionLayout);
    context.partitionLayout.kind = search.partitionKind;
    context.partitionNtfs = NtfsFromNumbers(contents.partitionNtfs);
    SetLayoutNumbers(context.activeLayout, contents.activeLayout);
    context.activeLayout.kind = VolumeKindFromText(contents.activeKind);
    context.activeNtfs = NtfsFromNumbers(contents.activeNtfs);
}

bool RestoreLogTables(const LogContents& contents, Catalogue& catalogue, RecoveryObserver& observer,
                      std::stop_token stop) {
    CatalogueTable& folders = catalogue.FolderTable;
    CatalogueTable& entries = catalogue.EntryTable;
    folders.deleteAll();
    entries.deleteAll();

    ProgressMeter folderProgress(observer, contents.folders.size());

    for (std::size_t i = 0; i < contents.folders.size(); ++i) {
        if (stop.stop_requested()) return false;
        folderProgress.update(i);
        const LogFolderRecord& folder = contents.folders[i];
        const int row = folders.appendRow(folder.name);
        folders.setUnsigned(row, folder_col::Self, folder.selfNumber);
        folders.setUnsigned(row, folder_col::Parent, folder.parentNumber);
        folders.setSigned(row, folder_col::Date, static_cast<std::int64_t>(folder.dateValue));
        folders.setSigned(row, folder_col::Time, static_cast<std::int64_t>(folder.timeValue));
        folders.setCell(row, folder_col::Size, "0");
        folders.setCell(row, folder_col::Type, kTypeFolder);
        if (folder.deleted == 1) folders.setCell(row, folder_col::Deleted, "1");
    }

    if (!LogHasFileRows(contents.activeKind)) return true;
    const bool fatWords = contents.activeKind == kLogExfatKind;
    ProgressMeter fileProgress(observer, contents.files.size());
    for (std::size_t i = 0; i < contents.files.size(); ++i) {
        if (stop.stop_requested()) return false;
        fileProgress.update(i);
        const LogFileRecord& file = contents.files[i];
        const int row = entries.appendRow(file.name);
        entries.setUnsigned(row, folder_col::Sector, file.sector);
        entries.setUnsigned(row, folder_col::Self, file.selfNumber);
        entries.setUnsigned(row, folder_col::Parent, file.parentNumber);
        if (fatWords) {
            entries.setUnsigned(row, folder_col::Date, PackedFatDate(file.date));
            entries.setUnsigned(row, folder_col::Time, PackedFatTime(file.date));
        } else {
            entries.setSigned(row, folder_col::Date, file.date);
        }
        entries.setUnsigned(row, folder_col::Size, file.size);
        entries.setCell(row, folder_col::Deleted, file.deleted != 0 ? "1" : "0");
        entries.setCell(row, folder_col::Type, kTypeFile);
    }
    return true;
}

}  // namespace datrevo
