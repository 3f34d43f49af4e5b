#include "search/search_phases.h"

#include "base/search_mode.h"
#include "fat/fat_advance_search.h"
#include "fat/fat_search_scope.h"
#include "fat/fat_standard_search.h"
#include "fat/fat_volume_layout.h"
#include "ntfs/advance_search.h"
#include "ntfs/boot_record.h"
#include "ntfs/catalogue_rows.h"
#include "ntfs/standard_search.h"
#include "recovery/ntfs_layout.h"
#include "search/exfat_advance_phase.h"
#include "search/exfat_search.h"
#include "search/notices.h"

namespace datrevo {
namespace {

bool IsNtfs(VolumeKind kind) { return kind == VolumeKind::Ntfs; }

FatSearchScope MakeFatScope(RecoveryContext& context, const DiskReader& reader,
                            std::stop_token stop, std::stop_token abandon) {
    return FatSearchScope{reader,
                          context.partitionLayout,
                          context.activeLayout,
                          context.catalogue,
                          context.folders,
                          context.fatState,
                          context.observer,
                          context.prompter,
                          context.search.searchStart,
                          context.search.searchEnd,
                          context.search.partitionKind,
                          context.bootRecordValid,
                          std::move(stop),
                          std::move(abandon),
                          context.search.quick};
}

// The NTFS engine works on `geometry`, which the caller takes from the active
// layout and, where a phase sets it, stores back.
NtfsSearchScope MakeNtfsScope(RecoveryContext& context, NtfsGeometry& geometry,
                              const DiskReader& reader, std::stop_token stop) {
    return NtfsSearchScope{reader,
                           geometry,
                           context.activeNtfs,
                           context.mftRuns,
                           context.catalogue,
                           context.folders,
                           context.observer,
                           std::move(stop),
                           context.search.searchStart,
                           context.search.searchEnd};
}

// A new result tree. The folder nodes of an earlier result are released with
// it: folders are named by looking their nodes up by number, and a stale node
// of the same number would take the new folder's name.
void StartResultTree(RecoveryContext& context) {
    context.folders.releaseFolders();
    context.folders.createStage(kStageResults, context.search.selectedDisk);
}

void ShowStandardNotice(RecoveryContext& context) {
    context.prompter.showMessage(kStandardNothingFoundNotice, MessageIcon::Information);
}

SearchOutcome StandardFat(RecoveryContext& context, const DiskReader& reader, std::stop_token stop,
                          std::stop_token abandon) {
    context.fatState.foundAnything = false;
    StartResultTree(context);
    FatSearchScope scope = MakeFatScope(context, reader, stop, abandon);
    RunFatStandardSearch(scope);
    SearchOutcome outcome;
    outcome.foundAnything = context.fatState.foundAnything;
    outcome.stopped = stop.stop_requested();
    return outcome;
}

SearchOutcome StandardNtfs(RecoveryContext& context, const DiskReader& reader,
                           std::stop_token stop) {
    context.activeLayout = context.partitionLayout;
    context.activeLayout.kind = VolumeKind::Ntfs;
    context.activeNtfs = context.partitionNtfs;
    StartResultTree(context);
    // A partition whose validation found no MFT has nothing to walk: an
    // empty result, not the records of whatever lies at sector 0.
    if (context.partitionNtfs.mftStart == 0 && context.partitionNtfs.mftMirrorStart == 0) {
        context.mftRuns.clear();
        SearchOutcome outcome;
        outcome.stopped = stop.stop_requested();
        return outcome;
    }
    NtfsGeometry geometry = NtfsGeometryOf(context.activeLayout);
    NtfsSearchScope scope = MakeNtfsScope(context, geometry, reader, stop);
    const NtfsStandardResult result = RunNtfsStandardSearch(scope);
    SearchOutcome outcome;
    outcome.fileRecords = result.fileRecords;
    outcome.foundAnything = result.fileRecords > 0;
    outcome.stopped = result.stopped;
    return outcome;
}

SearchOutcome AdvanceFat(RecoveryContext& context, const DiskReader& reader, std::stop_token stop,
                         std::stop_token abandon) {
    FatSearchScope scope = MakeFatScope(context, reader, stop, abandon);
    context.fatState.volumesFound = 0;
    RunFatAdvanceScan(scope);
    SearchOutcome outcome;
    outcome.volumesFound = context.fatState.volumesFound;
    outcome.foundAnything = outcome.volumesFound > 0;
    outcome.stopped = stop.stop_requested();
    return outcome;
}

SearchOutcome AdvanceNtfs(RecoveryContext& context, const DiskReader& reader, std::stop_token stop,
                          std::stop_token abandon) {
    NtfsGeometry geometry = NtfsGeometryOf(context.activeLayout);
    NtfsSearchScope scope = MakeNtfsScope(context, geometry, reader, stop);
    const NtfsScanResult scan = ScanForNtfsStructures(scope);
    // The MFT numbers are assigned even after a stopped scan: on what was
    // found. Only leaving the program ends the assignment.
    NtfsSearchScope analysisScope = MakeNtfsScope(context, geometry, reader, abandon);
    const NtfsAnalysis analysis = AssignMftNumbers(analysisScope, &scan);
    SearchOutcome outcome;
    outcome.volumesFound = analysis.fileSystems;
    outcome.foundAnything = analysis.fileSystems > 0;
    outcome.stopped = scan.stopped;
    return outcome;
}

}  // namespace

bool ValidatePartition(RecoveryContext& context) {
    // Nothing of the partition validated before may stand in for values this
    // validation cannot read: a failed validation leaves no volume behind.
    context.partitionLayout = FatLayout{};
    context.partitionNtfs = NtfsValues{};
    context.bootRecordValid = false;
    context.mftRuns.clear();
    Catalogue& catalogue = context.catalogue;
    catalogue.LostDirTable.deleteAll();
    catalogue.EntryTable.deleteAll();
    catalogue.MftRefTable.deleteAll();
    catalogue.MftRecordTable.deleteAll();
    catalogue.FolderTable.deleteAll();
    context.observer.statusText(kStatusValidating);
    const DiskReader reader = context.selectedDisk();
    const SearchContext& search = context.search;
    if (IsFatKind(search.partitionKind)) {
        context.bootRecordValid = ReadFatBootLayout(reader, search.searchStart,
                                                    search.partitionKind, context.partitionLayout);
        return context.bootRecordValid;
    }
    if (search.partitionKind == VolumeKind::Exfat) return ValidateExfatPartition(context);
    if (IsNtfs(search.partitionKind)) {
        NtfsGeometry geometry;
        if (!ValidateNtfsVolume(reader, search.searchStart, search.searchEnd, geometry,
                                context.partitionNtfs))
            return false;
        StoreNtfsGeometry(geometry, context.partitionLayout);
        return true;
    }
    return false;
}

SearchOutcome RunPartitionSearch(RecoveryContext& context, std::stop_token stop,
                                 std::stop_token abandon) {
    const DiskReader reader = context.selectedDisk();
    const VolumeKind kind = context.search.partitionKind;
    const bool ntfs = IsNtfs(kind);
    context.catalogue.FolderTable.deleteAll();
    context.catalogue.EntryTable.deleteAll();
    context.observer.counterLabel(Counter::Folders, ntfs ? kMftFoundLabel : kDirectoriesFoundLabel);
    SearchOutcome outcome;
    if (context.search.mode == SearchMode::Standard) {
        if (kind == VolumeKind::Exfat) {
            StartResultTree(context);
            outcome = RunExfatStandardSearch(context, reader, stop, abandon);
        } else {
            outcome = ntfs ? StandardNtfs(context, reader, stop)
                           : StandardFat(context, reader, stop, abandon);
        }
        context.observer.guideText(outcome.stopped ? kGuideStopped : kGuideStandardDone);
        if (!outcome.foundAnything) ShowStandardNotice(context);
        return outcome;
    }
    if (kind == VolumeKind::Exfat) {
        const ExfatAdvanceResult scan = RunExfatAdvanceScan(context, reader, stop);
        outcome.volumesFound = scan.volumesFound;
        outcome.foundAnything = scan.volumesFound > 0;
        outcome.stopped = scan.stopped;
    } else {
        outcome = ntfs ? AdvanceNtfs(context, reader, stop, abandon)
                       : AdvanceFat(context, reader, stop, abandon);
    }
    if (outcome.volumesFound == 0) {
        context.observer.guideText("");
        context.prompter.showMessage(kAdvanceNothingFoundNotice, MessageIcon::Information);
        context.observer.guideText(kGuideAdvanceNothing);
    } else {
        context.details = FileSystemDetails(context, 1);
        context.observer.guideText(kGuideAdvanceChoose);
    }
    return outcome;
}

SearchOutcome RunVolumeRecovery(RecoveryContext& context, int volume, std::stop_token stop) {
    SearchOutcome outcome;
    const CatalogueTable& volumes = context.catalogue.VolumeTable;
    if (volume < 1 || volume > volumes.count()) return outcome;
    const DiskReader reader = context.selectedDisk();
    StartResultTree(context);
    if (IsNtfs(context.search.partitionKind)) {
        context.catalogue.FolderTable.deleteAll();
        AppendNtfsCatchAllRow(context.catalogue.FolderTable);
        NtfsGeometry geometry = NtfsGeometryOf(context.activeLayout);
        NtfsSearchScope scope = MakeNtfsScope(context, geometry, reader, stop);
        outcome.foundAnything = RecoverNtfsVolume(scope, static_cast<std::uint32_t>(volume));
        StoreNtfsGeometry(geometry, context.activeLayout);
        outcome.fileRecords = context.catalogue.EntryTable.count();
    } else if (context.search.partitionKind == VolumeKind::Exfat) {
        outcome.foundAnything = RecoverExfatVolume(context, reader, volume, stop);
        outcome.fileRecords = context.catalogue.EntryTable.count();
    } else {
        FatSearchScope scope = MakeFatScope(context, reader, stop, stop);
        outcome.foundAnything = RecoverFatVolume(scope, volume);
    }
    outcome.volumesFound = volumes.count();
    outcome.stopped = stop.stop_requested();
    context.observer.guideText(kGuideStandardDone);
    return outcome;
}

DetailsList FileSystemDetails(const RecoveryContext& context, int volume) {
    const CatalogueTable& volumes = context.catalogue.VolumeTable;
    const int row = volume - 1;
    if (row < 0 || row >= volumes.count()) return {};
    return {
        {"1.   File System                        :", std::to_string(volume)},
        {"2.   Partition Type                    :    ", volumes.cell(row, boot_col::PartType)},
        {"3.   File System Start                :    ", volumes.cell(row, boot_col::Cluster0Start)},
        {"4.   Sectors Per Clusters          :    ", volumes.cell(row, boot_col::Spc)},
    };
}

}  // namespace datrevo
