#include "search/exfat_advance_phase.h"

#include <string>

#include "base/progress_meter.h"
#include "base/visible_texts.h"
#include "exfat/exfat_advance_scan.h"
#include "exfat/exfat_advance_search.h"
#include "exfat/exfat_catalogue.h"
#include "exfat/exfat_lost_folders.h"
#include "exfat/exfat_walk.h"
#include "fat/fat_advance_search.h"
#include "recovery/exfat_layout.h"
#include "search/exfat_cluster_progress.h"

namespace datrevo {
namespace {

std::string SectorsStatus(std::uint64_t at, std::uint64_t end) {
    return "Sectors  " + std::to_string(at) + " of " + std::to_string(end);
}

}  // namespace

ExfatAdvanceResult RunExfatAdvanceScan(RecoveryContext& context, const DiskReader& reader,
                                       std::stop_token stop) {
    Catalogue& catalogue = context.catalogue;
    catalogue.BootRecordTable.deleteAll();
    catalogue.LostDirTable.deleteAll();
    catalogue.VolumeTable.deleteAll();
    RecoveryObserver& observer = context.observer;
    const std::uint64_t start = context.search.searchStart;
    const std::uint64_t end = context.search.searchEnd;
    observer.counterValue(Counter::Folders, 0);
    observer.counterValue(Counter::BootSectors, 0);
    observer.statusText(SectorsStatus(0, end));

    ProgressMeter progress(observer, end);
    const auto report = [&](std::uint64_t reached, const ExfatScanFindings& findings) {
        observer.counterValue(Counter::Folders, findings.directories.size());
        observer.counterValue(Counter::BootSectors, findings.boots.size());
        // The status follows the bar: one text per percent, not per run.
        if (!progress.moved(reached)) return;
        observer.statusText(SectorsStatus(reached, end));
        progress.show();
    };
    const ExfatScanFindings findings = ScanForExfatStructures(reader, start, end, stop, report);

    observer.statusText(kAnalysisPhase1Status);
    progress.set(0, kPhaseStartCaption);
    for (const ExfatFoundBoot& boot : findings.boots) {
        ExfatFoundVolume volume;
        volume.start = boot.sector;
        volume.boot = boot.boot;
        volume.fromBootSector = true;
        volume.bootSector = boot.sector;
        AppendExfatVolumeRow(catalogue.BootRecordTable, volume);
    }
    const std::vector<ExfatFoundVolume> volumes = AnalyzeExfatFindings(reader, findings, end);
    for (const ExfatFoundVolume& volume : volumes)
        AppendExfatVolumeRow(catalogue.VolumeTable, volume);
    progress.set(100);

    ExfatAdvanceResult result;
    result.volumesFound = catalogue.VolumeTable.count();
    result.stopped = findings.stopped;
    return result;
}

bool RecoverExfatVolume(RecoveryContext& context, const DiskReader& reader, int volume,
                        std::stop_token stop) {
    const CatalogueTable& volumes = context.catalogue.VolumeTable;
    const std::optional<ExfatRebuiltVolume> rebuilt = ReadExfatVolumeRow(volumes, volume - 1);
    if (!rebuilt) return false;
    // The rebuilt geometry goes into the active layout as the Standard search
    // stores it, so that the result volume and the log read it back.
    FatLayout layout;
    std::string reason;
    if (!StoreExfatGeometry(rebuilt->start, rebuilt->boot, layout, reason)) return false;
    context.activeLayout = layout;

    RecoveryObserver& observer = context.observer;
    ExfatVolume exfat(reader, rebuilt->start, rebuilt->boot);
    observer.statusText(kLinkingStatus);
    ExfatListing listing = WalkExfatVolume(exfat, stop);
    if (!listing.stopped) {
        // Without the FAT a folder's later clusters are not where its first
        // one leads: the scan then looks at clusters in use too, and finds
        // them as folders of their own.
        if (!exfat.hasFat()) listing.bitmapLoaded = false;
        ProgressMeter progress(observer);
        FindExfatLostFoldersShowingProgress(exfat, listing, stop, observer, progress);
    }
    observer.counterValue(Counter::Folders, listing.folders.size() + 1);
    observer.statusText(kStoringStatus);
    context.catalogue.FolderTable.deleteAll();
    context.catalogue.EntryTable.deleteAll();
    StoreExfatListing(listing, context.catalogue, context.folders, stop);
    return true;
}

}  // namespace datrevo
