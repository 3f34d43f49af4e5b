#include "fat/fat_folder_walk.h"

#include <deque>
#include <unordered_set>

#include "fat/fat_directory.h"
#include "fat/fat_entry.h"
#include "fat/fat_kind.h"
#include "fat/fat_standard_search.h"
#include "fat/folder_rows.h"
#include "base/progress_meter.h"
#include "fat/sector_runs.h"

namespace datrevo {
namespace {

// A directory's entries as the root walks read them: every sector of its
// chain, an end mark ending its sector only, so that entries left behind a
// later end mark are seen too.
std::vector<FatDirectoryEntry> WalkedEntries(const DiskReader& disk, const FatLayout& layout,
                                             FatKind kind, std::uint32_t cluster) {
    if (cluster == 0 && kind != FatKind::Fat32)
        return DecodeDirectoryEntries(ReadFixedRoot(disk, layout), kind, EndMarkRule::EndsSector);
    const std::uint32_t first = cluster == 0 ? layout.rootStart : cluster;
    return DecodeDirectoryEntries(ReadDirectoryChain(disk, layout, first, EndMarkRule::EndsSector),
                                  kind, EndMarkRule::EndsSector);
}

}  // namespace

bool WalkDirectoryTree(FatSearchScope& scope) {
    RecoveryObserver& observer = scope.observer;
    CatalogueTable& folders = scope.catalogue.FolderTable;
    const FatLayout& layout = scope.partitionLayout;
    const FatKind kind = KindOf(layout.kind == VolumeKind::None ? scope.kind : layout.kind);

    observer.counterValue(Counter::Folders, 0);
    observer.counterValue(Counter::BootSectors, 0);
    InsertCatchAllRow(folders, 0);
    observer.counterValue(Counter::Folders, 1);

    const std::uint32_t spc = layout.sectorsPerCluster;
    if (!IsValidSectorsPerCluster(spc)) return false;
    // The clusters the scan would look at: first sectors from cluster 2 up
    // to the end of the range searched.
    const std::uint64_t firstData = ClusterSector(layout, 2);
    const std::uint64_t end = ClampScanEnd(scope.disk, scope.end);

    ProgressMeter progress(observer);
    progress.reset();
    std::unordered_set<std::uint32_t> visited;
    std::deque<std::uint32_t> pending{0};  // 0: the root
    std::uint64_t walked = 0;
    while (!pending.empty()) {
        if (scope.stop.stop_requested()) return false;
        const std::uint32_t directory = pending.front();
        pending.pop_front();
        for (const FatDirectoryEntry& entry : WalkedEntries(scope.disk, layout, kind, directory)) {
            if (!entry.isDirectory() || entry.isVolumeLabel()) continue;
            const std::uint32_t cluster = entry.firstCluster;
            if (cluster < 2) continue;
            const std::uint64_t sectorNumber = ClusterSector(layout, cluster);
            if (sectorNumber < firstData || sectorNumber >= end) continue;
            if (!visited.insert(cluster).second) continue;
            SectorBuffer sector{};
            scope.disk.readSector(sectorNumber, sector);
            const ByteView view(sector.data(), sector.size());
            if (!IsDirectorySector(view)) continue;
            // A copy of another folder's first cluster is not this folder.
            if (EntryFirstCluster(view, kind) != cluster) continue;
            AppendDirectoryClusterRow(folders, view, sectorNumber, cluster, kind);
            observer.counterValue(Counter::Folders, static_cast<std::uint64_t>(folders.count()));
            pending.push_back(cluster);
        }
        // Folders walked of those known so far: it only grows near the end.
        ++walked;
        const int percent = PercentOf(walked, walked + pending.size());
        if (percent > progress.shown()) progress.set(percent);
    }
    progress.set(100);
    return true;
}

}  // namespace datrevo
