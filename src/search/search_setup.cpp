#include "search/search_setup.h"

#include <algorithm>

#include "fat/fat_kind.h"
#include "fat/folder_naming.h"
#include "partition/partition_details.h"
#include "search/search_phases.h"

namespace datrevo {

std::string_view SearchModeText(SearchMode mode) {
    return mode == SearchMode::Advance ? "Advance Search" : "Standard Search";
}

std::uint64_t ClampRangeEnd(std::uint64_t end, std::uint64_t diskSectors) {
    return std::min(end, diskSectors);
}

bool RangeFitsDisk(const RecoveryContext& context, std::uint64_t start, std::uint64_t end) {
    return ClampRangeEnd(end, context.currentDisk.totalSectors64) > start;
}

bool SetRangeSearch(RecoveryContext& context, SearchMode mode, std::uint64_t start,
                    std::uint64_t end, VolumeKind kind, int partitionIndex) {
    if (!RangeFitsDisk(context, start, end)) return false;
    SearchContext& search = context.search;
    search.mode = mode;
    search.searchModeText = std::string(SearchModeText(mode));
    search.searchStart = start;
    search.searchEnd = ClampRangeEnd(end, context.currentDisk.totalSectors64);
    search.partitionKind = kind;
    search.partitionIndex = partitionIndex;
    return true;
}

void SetPartitionSearch(RecoveryContext& context, SearchMode mode, std::size_t index) {
    const DiskPartitionList& list = context.selectedPartitions();
    SearchContext& search = context.search;
    search.mode = mode;
    search.searchModeText = std::string(SearchModeText(mode));
    search.partitionIndex = static_cast<int>(index);
    search.partitionKind = list.kind(index);
    search.searchStart = list.record(index).firstSector;
    search.searchEnd = list.record(index).endSector;
}

DetailsList SearchSummaryRows(const RecoveryContext& context) {
    const SearchContext& search = context.search;
    DetailsList rows = {
        {"Disk Number : ", std::to_string(search.selectedDisk)},
        {"Partiton Number : ", std::to_string(search.partitionIndex + 1)},
        {"Partition Type : ", std::string(VolumeKindText(search.partitionKind))},
        {"Search Range : ",
         std::to_string(search.searchStart) + " to " + std::to_string(search.searchEnd)},
        {"Search Mode : ", search.searchModeText},
    };
    const auto listed = static_cast<std::size_t>(search.partitionIndex);
    const DiskPartitionList& partitions =
        context.partitions.at(static_cast<std::size_t>(search.selectedDisk));
    if (search.partitionIndex >= 0 && listed < partitions.count()) {
        const PartitionRecord& record = partitions.record(listed);
        if (const auto warning = PastDiskEndWarning(record.firstSector, record.endSector,
                                                    context.currentDisk.totalSectors64))
            rows.push_back({"Warning : ", *warning});
    }
    return rows;
}

void BeginSearch(RecoveryContext& context) {
    if (context.search.mode == SearchMode::Standard) ValidatePartition(context);
}

void CompleteResult(RecoveryContext& context, std::stop_token stop) {
    if (!IsFatKind(context.activeLayout.kind)) return;
    NameAllFatFolders(context.folders, context.selectedDisk(), context.activeLayout, stop);
    PassDeletionDown(context.folders);
}

bool OpenResultFolder(RecoveryContext& context, ItemId folder) {
    if (!IsFatKind(context.activeLayout.kind)) return false;
    ExpandFatFolder(context.folders, folder, context.selectedDisk(), context.activeLayout);
    return true;
}

}  // namespace datrevo
