#include <iostream>
#include <map>
#include <stop_token>

#include "catalogue/catalogue.h"
#include "cli/exit_codes.h"
#include "cli/search_command.h"
#include "cli/tree_printer.h"
#include "ntfs/advance_search.h"
#include "ntfs/boot_record.h"
#include "ntfs/catalogue_rows.h"
#include "ntfs/ntfs_search_scope.h"
#include "ntfs/standard_search.h"

namespace datrevo::cli {
namespace {

// The files of every folder, from EntryTable by parent number.
class FilesByParent {
public:
    explicit FilesByParent(const CatalogueTable& entries) {
        for (int row = 0; row < entries.count(); ++row) {
            const auto parent =
                static_cast<std::uint32_t>(entries.cellSigned32(row, folder_col::Parent));
            PrintedFile file;
            file.name = entries.cell(row, folder_col::Name);
            file.size = static_cast<std::uint64_t>(entries.cellSigned64(row, folder_col::Size));
            file.deleted = entries.cell(row, folder_col::Deleted) == "1";
            files_[parent].push_back(std::move(file));
        }
    }
    std::vector<PrintedFile> of(std::uint32_t parent) const {
        const auto found = files_.find(parent);
        return found == files_.end() ? std::vector<PrintedFile>{} : found->second;
    }

private:
    std::map<std::uint32_t, std::vector<PrintedFile>> files_;
};

void PrintResult(CliSession& session) {
    RecoveryContext& context = session.context();
    session.observer().finishLine();
    const FilesByParent files(context.catalogue.EntryTable);
    PrintFolderTree(std::cout, context.folders,
                    [&files](const FolderNode& node) { return files.of(node.selfNumber); });
    // Files of the root directory (record 5), listed when the root is opened.
    for (const PrintedFile& file : files.of(kNtfsRootRecord))
        std::cout << "  " << file.name << "  (" << file.size << " bytes)"
                  << (file.deleted ? "  [deleted]" : "") << '\n';
}

NtfsSearchScope MakeScope(RecoveryContext& context, const DiskReader& reader,
                          std::stop_token stop) {
    return NtfsSearchScope{reader,
                           context.activeLayout,
                           context.activeNtfs,
                           context.mftRuns,
                           context.catalogue,
                           context.folders,
                           context.observer,
                           stop,
                           context.search.searchStart,
                           context.search.searchEnd};
}

int RunStandard(CliSession& session) {
    RecoveryContext& context = session.context();
    const DiskReader reader = context.selectedDisk();
    context.observer.statusText("Validating Partition ...");
    if (!ValidateNtfsVolume(reader, context.search.searchStart, context.search.searchEnd,
                            context.partitionLayout, context.partitionNtfs)) {
        session.observer().finishLine();
        std::cerr << "error: no valid NTFS volume at sectors " << context.search.searchStart
                  << " to " << context.search.searchEnd
                  << " (neither boot sector nor backup is sound; try --mode advance)\n";
        return kExitFailure;
    }
    context.activeLayout = context.partitionLayout;
    context.activeNtfs = context.partitionNtfs;
    context.folders.createStage(kStageResults, context.search.selectedDisk);
    NtfsSearchScope scope = MakeScope(context, reader, {});
    const NtfsStandardResult result = RunNtfsStandardSearch(scope);
    PrintResult(session);
    if (!result.mftFound) std::cerr << "warning: the MFT could not be read\n";
    if (result.adoptedFiles != 0)
        std::cerr << "note: " << result.adoptedFiles << " file(s) whose folder was not found are listed under "
                  << kCatchAllName << "\n";
    return result.fileRecords < 1 ? kExitNothingFound : kExitOk;
}

int RunAdvance(CliSession& session, const SearchOptions& options) {
    RecoveryContext& context = session.context();
    const DiskReader reader = context.selectedDisk();
    NtfsSearchScope scope = MakeScope(context, reader, {});
    ScanForNtfsStructures(scope);
    const NtfsAnalysis analysis = AssignMftNumbers(scope);
    session.observer().finishLine();
    if (analysis.fileSystems == 0) {
        std::cerr << "No File System could be identified. Click on 'Back' button to select another "
                     "Partition.\n";
        return kExitNothingFound;
    }
    const CatalogueTable& volumes = context.catalogue.VolumeTable;
    for (int row = 0; row < volumes.count(); ++row)
        std::cerr << "File System " << row + 1 << " - " << volumes.cell(row, boot_col::PartType)
                  << ": start " << volumes.cell(row, boot_col::Cluster0Start)
                  << ", sectors per cluster " << volumes.cell(row, boot_col::Spc) << '\n';
    if (options.volume < 1 || options.volume > volumes.count()) {
        std::cerr << "error: there is no file system " << options.volume << " (" << volumes.count()
                  << " found)\n";
        return kExitUsage;
    }
    context.folders.createStage(kStageResults, context.search.selectedDisk);
    context.catalogue.FolderTable.deleteAll();
    AppendNtfsCatchAllRow(context.catalogue.FolderTable);
    RecoverNtfsVolume(scope, static_cast<std::uint32_t>(options.volume));
    PrintResult(session);
    return kExitOk;
}

}  // namespace

int RunNtfsSearch(CliSession& session, const SearchOptions& options) {
    if (session.context().search.mode == SearchMode::Advance) return RunAdvance(session, options);
    return RunStandard(session);
}

}  // namespace datrevo::cli
