#include "search/search_setup.h"

#include <algorithm>

#include "fat/fat_kind.h"
#include "fat/folder_naming.h"
#include "search/search_phases.h"

namespace datrevo {

std::string_view SearchModeText(SearchMode mode) {
    return mode == SearchMode::Advance ? "Advance Search" : "Standard Search";
}

std::uint64_t ClampRangeEnd(std::uint64_t end, std::uint64_t diskSectors) {
    return std::min(end, diskSectors);
}

bool SetRangeSearch(RecoveryContext& context, SearchMode mode, std::uint64_t start,
                    std::uint64_t end, VolumeKind kind) {
    const std::uint64_t clamped = ClampRangeEnd(end, context.currentDisk.totalSectors64);
    if (clamped <= start) return false;
    SearchContext& search = context.search;
    search.mode = mode;
    search.searchModeText = std::string(SearchModeText(mode));
    search.searchStart = start;
    search.searchEnd = clamped;
    search.partitionKind = kind;
    search.partitionIndex = 0;
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

void BeginSearch(RecoveryContext& context) {
    if (context.search.mode == SearchMode::Standard) ValidatePartition(context);
}

void CompleteResult(RecoveryContext& context, std::stop_token stop) {
    if (!IsFatKind(context.activeLayout.kind)) return;
    NameAllFatFolders(context.folders, context.selectedDisk(), context.activeLayout, stop);
    PassDeletionDown(context.folders);
}

}  // namespace datrevo
