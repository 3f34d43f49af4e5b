#include "fat/fat_standard_search.h"

#include <string>

#include "base/decimal.h"
#include "fat/fat_entry.h"
#include "fat/fat_folder_walk.h"
#include "fat/fat_kind.h"
#include "fat/fat_volume_layout.h"
#include "fat/folder_rows.h"
#include "base/progress_meter.h"
#include "fat/sector_runs.h"

namespace datrevo {
namespace {

std::string SectorsStatus(std::uint64_t at, std::uint64_t end) {
    return "Sectors  " + std::to_string(at) + " of " + std::to_string(end);
}

}  // namespace

void AppendDirectoryClusterRow(CatalogueTable& folders, ByteView sector, std::uint64_t sectorNumber,
                               std::uint32_t cluster, FatKind kind) {
    const ByteView dot = sector.sub(0, fat_dirent::kSize);
    const ByteView dotDot = sector.sub(fat_dirent::kSize, fat_dirent::kSize);
    const int row = folders.appendRow("Dir" + std::to_string(folders.count()));
    folders.setCell(row, folder_col::Sector, Unsigned64Text(sectorNumber));
    folders.setUnsigned(row, folder_col::Self, cluster);
    folders.setUnsigned(row, folder_col::Parent, EntryFirstCluster(dotDot, kind));
    folders.setUnsigned(row, folder_col::Date, dot.le16(fat_dirent::kDate));
    folders.setUnsigned(row, folder_col::Time, dot.le16(fat_dirent::kTime));
    folders.setUnsigned(row, folder_col::Size, dot.le32(fat_dirent::kFileSize));
    folders.setUnsigned(row, folder_col::Attr, dot.u8(fat_dirent::kAttributes));
    folders.setCell(row, folder_col::SysId, "0");
    folders.setCell(row, folder_col::Type, kTypeFolder);
}

bool ScanDirectoryClusters(FatSearchScope& scope) {
    RecoveryObserver& observer = scope.observer;
    CatalogueTable& folders = scope.catalogue.FolderTable;
    const FatLayout& layout = scope.partitionLayout;
    const FatKind kind = KindOf(layout.kind == VolumeKind::None ? scope.kind : layout.kind);

    observer.counterValue(Counter::Folders, 0);
    observer.counterValue(Counter::BootSectors, 0);
    observer.statusText(SectorsStatus(0, scope.end));
    InsertCatchAllRow(folders, 0);
    observer.counterValue(Counter::Folders, 1);

    const std::uint32_t spc = layout.sectorsPerCluster;
    if (!IsValidSectorsPerCluster(spc)) return false;
    const std::uint64_t first = ClusterSector(layout, 2);
    const std::uint64_t end = ClampScanEnd(scope.disk, scope.end);
    ProgressMeter progress(observer);
    return ForEachSectorRun(
        scope.disk, first, end, kScanRunSectors, scope.stop,
        [&](std::uint64_t chunk, ByteView run) {
            // The status follows the bar: one text per percent, not per run.
            const int percent = PercentOf(chunk, scope.end);
            if (percent != progress.shown()) observer.statusText(SectorsStatus(chunk, scope.end));
            const std::size_t clusterBytes = static_cast<std::size_t>(spc) * limits::kSectorSize;
            for (std::size_t offset = 0; offset < run.size(); offset += clusterBytes) {
                const std::uint64_t sectorNumber = chunk + offset / limits::kSectorSize;
                const auto cluster = static_cast<std::uint32_t>(2 + (sectorNumber - first) / spc);
                const ByteView sector = run.sub(offset, limits::kSectorSize);
                if (!IsDirectorySector(sector)) continue;
                // A copy of another folder's first cluster is not this folder.
                if (EntryFirstCluster(sector, kind) != cluster) continue;
                AppendDirectoryClusterRow(folders, sector, sectorNumber, cluster, kind);
                observer.counterValue(Counter::Folders,
                                      static_cast<std::uint64_t>(folders.count()));
            }
            progress.set(percent);
            return true;
        });
}

void StoreDirectoryInformation(FatSearchScope& scope) {
    StoreFolderRows(scope, scope.activeLayout, StoreOptions{});
}

void RunFatStandardSearch(FatSearchScope& scope) {
    scope.catalogue.FolderTable.deleteAll();
    scope.catalogue.EntryTable.deleteAll();
    scope.partitionLayout.kind = scope.kind;
    if (!scope.bootRecordValid) {
        const bool inferred = InferFatLayout(scope.disk, scope.start, scope.end, scope.kind,
                                             scope.partitionLayout, scope.observer, scope.stop);
        if (!inferred) {
            // No layout of this partition: the scan finds nothing rather than
            // reading with the values of a partition searched before.
            scope.partitionLayout = FatLayout{};
            scope.partitionLayout.kind = scope.kind;
            if (!scope.stop.stop_requested())
                scope.prompter.showMessage(kUnableToInferMessage, MessageIcon::Error);
        }
    }
    scope.observer.counterLabel(Counter::Folders, kDirectoriesFoundLabel);
    if (scope.quick)
        WalkDirectoryTree(scope);
    else
        ScanDirectoryClusters(scope);
    if (scope.catalogue.FolderTable.count() > 1) scope.state.foundAnything = true;
    ActivateLayout(scope.partitionLayout, scope.activeLayout);

    CatalogueTable& folders = scope.catalogue.FolderTable;
    scope.observer.statusText(kLinkingStatus);
    scope.observer.guideText(kGuidePleaseWait);
    folders.sortByColumn(folder_col::Self);
    LinkParentFolders(folders, scope.observer, scope.abandon);
    folders.sortByColumn(folder_col::Parent);
    scope.observer.statusText(kStoringStatus);
    StoreDirectoryInformation(scope);
    scope.catalogue.FolderTable.deleteAll();
    scope.catalogue.EntryTable.deleteAll();
    scope.catalogue.LostDirTable.deleteAll();
}

}  // namespace datrevo
