#include "log/recovery_log.h"

#include "browse/build_folder_tree.h"
#include "browse/catch_all_folder.h"
#include "log/fat_tree_rebuild.h"
#include "log/log_context.h"
#include "log/log_decoder.h"
#include "log/log_encoder.h"
#include "log/log_file_io.h"

namespace datrevo {
namespace {

void Reject(Prompter& prompter, RecoveryObserver& observer) {
    prompter.showMessage(kLogRejected, MessageIcon::Error);
    observer.guideText(kLogPartitionPageGuide);
}

// Empties what a load replaces: the tree with its folder nodes and the two
// result tables.
void ClearResults(RecoveryContext& context) {
    context.folders.releaseFolders();
    context.folders.createStage(kStageResults, context.search.selectedDisk);
    context.catalogue.FolderTable.deleteAll();
    context.catalogue.EntryTable.deleteAll();
}

// Builds the tree from the restored FolderTable: the NTFS builder for an NTFS
// result, the FAT rebuild for an exFAT result or when the partition is FAT16
// or FAT32.
bool RebuildTree(const LogContents& contents, RecoveryContext& context, std::stop_token stop) {
    CatalogueTable& table = context.catalogue.FolderTable;
    table.sortByColumn(folder_col::Parent);
    // exFAT folders are numbered and dated as FAT's; their files are rows.
    if (contents.activeKind == kLogExfatKind)
        return RebuildFatFolderTree(table, context.folders, context.observer, stop);
    if (LogHasFileRows(contents.activeKind)) {
        BuildFolderTree(table, context.folders, context.observer,
                        AnyRowUnderCatchAll(context.catalogue.EntryTable));
        return true;
    }
    if (IsFatKind(VolumeKindFromText(contents.partitionKind)))
        return RebuildFatFolderTree(table, context.folders, context.observer, stop);
    return true;
}

}  // namespace

bool SaveRecoveryLog(const std::filesystem::path& path, const RecoveryContext& context,
                     Prompter& prompter) {
    if (context.activeLayout.kind == VolumeKind::Fat12) {
        prompter.showMessage(kLogFloppyRefused, MessageIcon::Error, kLogFloppyCaption);
        return false;
    }
    const EncodedLog encoded = EncodeRecoveryLog(GatherLogContents(context));
    if (!encoded.ok()) {
        prompter.showMessage(encoded.error, MessageIcon::Error);
        return false;
    }
    switch (WriteFileReplacing(path, encoded.bytes)) {
        case LogWriteResult::Written: return true;
        case LogWriteResult::CannotCreate:
            prompter.showMessage(kLogUnableToOpen, MessageIcon::Error);
            break;
        case LogWriteResult::WriteFailed:
            prompter.showMessage(kLogUnableToWrite, MessageIcon::Error);
            break;
    }
    return false;
}

LogLoadOutcome LoadRecoveryLog(const std::filesystem::path& path, RecoveryContext& context,
                               Prompter& prompter, std::stop_token stop) {
    RecoveryObserver& observer = context.observer;
    observer.guideText(kLogPleaseWait);
    ClearResults(context);
    const SearchMode remembered = context.search.mode;
    context.search.mode = SearchMode::Standard;

    const auto bytes = ReadWholeLogFile(path);
    if (!bytes) {
        Reject(prompter, observer);
        return LogLoadOutcome::Rejected;
    }
    const DecodedLog decoded = DecodeRecoveryLog(*bytes, stop);
    if (decoded.status == LogDecodeStatus::Stopped) {
        context.search.mode = remembered;
        return LogLoadOutcome::Stopped;
    }
    if (decoded.status == LogDecodeStatus::ModelUnreadable) {
        Reject(prompter, observer);
        return LogLoadOutcome::Rejected;
    }
    if (decoded.contents.modelText != context.currentDisk.modelText) {
        context.search.mode = remembered;
        Reject(prompter, observer);
        return LogLoadOutcome::ModelMismatch;
    }
    if (decoded.status != LogDecodeStatus::Decoded) {
        Reject(prompter, observer);
        return LogLoadOutcome::Rejected;
    }

    if (!RestoreLogTables(decoded.contents, context.catalogue, observer, stop) ||
        !RebuildTree(decoded.contents, context, stop)) {
        ClearResults(context);
        context.search.mode = remembered;
        return LogLoadOutcome::Stopped;
    }
    RestoreSearchValues(decoded.contents, context);
    observer.guideText(kLogLoadedGuide);
    return LogLoadOutcome::Loaded;
}

}  // namespace datrevo
