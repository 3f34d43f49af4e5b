#include "search/exfat_search.h"

#include <string>

#include "base/progress_meter.h"
#include "base/visible_texts.h"
#include "exfat/exfat_boot_region.h"
#include "exfat/exfat_catalogue.h"
#include "recovery/exfat_layout.h"
#include "exfat/exfat_lost_folders.h"
#include "exfat/exfat_walk.h"
#include "search/exfat_cluster_progress.h"

namespace datrevo {
bool ReadExfatPartitionLayout(const DiskReader& disk, std::uint64_t start, FatLayout& layout,
                              std::string& reason, bool& usedBackup) {
    const ExfatBootRead read = ReadExfatBootRegion(disk, start);
    usedBackup = read.usedBackup;
    if (read.decode.outcome != ExfatDecode::Decoded) {
        const std::string main = read.decode.outcome == ExfatDecode::NotThis
                                     ? "no exFAT boot sector"
                                     : read.decode.reason;
        reason = "main boot region at sector " + std::to_string(start) + ": " + main;
        if (read.decode.outcome == ExfatDecode::NotThis) reason += "; backup region not decoded";
        return false;
    }
    return StoreExfatGeometry(start, read.decode.boot, layout, reason);
}

std::string ExfatBootRegionMessage(const std::string& reason) {
    return "Neither the exFAT boot region nor its backup is valid (" + reason + ").";
}

bool ValidateExfatPartition(RecoveryContext& context) {
    std::string reason;
    bool usedBackup = false;
    context.bootRecordValid =
        ReadExfatPartitionLayout(context.selectedDisk(), context.search.searchStart,
                                 context.partitionLayout, reason, usedBackup);
    if (!context.bootRecordValid) {
        context.partitionLayout = FatLayout{};
        context.partitionLayout.kind = VolumeKind::Exfat;
    }
    return context.bootRecordValid;
}

SearchOutcome RunExfatStandardSearch(RecoveryContext& context, const DiskReader& reader,
                                     std::stop_token stop, std::stop_token abandon) {
    SearchOutcome outcome;
    RecoveryObserver& observer = context.observer;
    observer.counterValue(Counter::Folders, 0);
    observer.counterValue(Counter::BootSectors, 0);
    context.activeLayout = FatLayout{};
    context.activeLayout.kind = VolumeKind::Exfat;

    if (!context.bootRecordValid || context.partitionLayout.kind != VolumeKind::Exfat) {
        std::string reason;
        bool usedBackup = false;
        context.bootRecordValid = ReadExfatPartitionLayout(
            reader, context.search.searchStart, context.partitionLayout, reason, usedBackup);
        if (!context.bootRecordValid) {
            context.partitionLayout = context.activeLayout;
            context.prompter.showMessage(ExfatBootRegionMessage(reason), MessageIcon::Error);
            outcome.stopped = stop.stop_requested();
            return outcome;
        }
    }
    std::string reason;
    const std::unique_ptr<ExfatVolume> volume =
        OpenExfatVolume(reader, context.partitionLayout, &reason);
    if (!volume) {
        context.prompter.showMessage(ExfatBootRegionMessage(reason), MessageIcon::Error);
        return outcome;
    }
    context.activeLayout = context.partitionLayout;

    observer.statusText(ClustersStatus(0, volume->boot().clusterCount));
    ExfatListing listing = WalkExfatVolume(*volume, stop);
    observer.counterValue(Counter::Folders, listing.folders.size() + 1);
    if (!context.search.quick && !listing.stopped) {
        ProgressMeter progress(observer);
        const ExfatLostScan scan =
            FindExfatLostFoldersShowingProgress(*volume, listing, stop, observer, progress);
        if (!scan.stopped) progress.set(100);
        observer.counterValue(Counter::Folders, listing.folders.size() + 1);
    }

    observer.statusText(kStoringStatus);
    observer.guideText(kGuidePleaseWait);
    StoreExfatListing(listing, context.catalogue, context.folders, abandon);
    outcome.foundAnything = !listing.folders.empty() || !listing.files.empty();
    outcome.fileRecords = static_cast<int>(listing.files.size());
    outcome.stopped = stop.stop_requested();
    return outcome;
}

}  // namespace datrevo
