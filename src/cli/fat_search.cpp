#include <iostream>

#include "catalogue/catalogue.h"
#include "cli/exit_codes.h"
#include "cli/search_command.h"
#include "cli/tree_printer.h"
#include "fat/fat_advance_search.h"
#include "fat/fat_search_scope.h"
#include "fat/fat_standard_search.h"
#include "fat/fat_volume_layout.h"
#include "fat/folder_naming.h"

namespace datrevo::cli {
namespace {

FatSearchScope MakeScope(RecoveryContext& context, const DiskReader& reader, FatSearchState& state) {
    return FatSearchScope{reader,
                          context.partitionLayout,
                          context.activeLayout,
                          context.catalogue,
                          context.folders,
                          state,
                          context.observer,
                          context.prompter,
                          context.search.searchStart,
                          context.search.searchEnd,
                          context.search.partitionKind,
                          context.bootRecordValid,
                          {}};
}

// Prints the tree with the names every folder gets once it has been opened.
void PrintResult(CliSession& session, const DiskReader& reader) {
    RecoveryContext& context = session.context();
    NameAllFatFolders(context.folders, reader, context.activeLayout);
    PassDeletionDown(context.folders);
    session.observer().finishLine();
    PrintFolderTree(std::cout, context.folders, nullptr);
}

int RunStandard(CliSession& session, const DiskReader& reader, FatSearchState& state) {
    RecoveryContext& context = session.context();
    context.bootRecordValid = ReadFatBootLayout(reader, context.search.searchStart,
                                                context.search.partitionKind, context.partitionLayout);
    context.folders.createStage(kStageResults, context.search.selectedDisk);
    FatSearchScope scope = MakeScope(context, reader, state);
    RunFatStandardSearch(scope);
    PrintResult(session, reader);
    return state.foundAnything ? kExitOk : kExitNothingFound;
}

int RunAdvance(CliSession& session, const SearchOptions& options, const DiskReader& reader,
               FatSearchState& state) {
    RecoveryContext& context = session.context();
    FatSearchScope scope = MakeScope(context, reader, state);
    RunFatAdvanceScan(scope);
    session.observer().finishLine();
    const CatalogueTable& volumes = context.catalogue.VolumeTable;
    if (state.volumesFound == 0 || volumes.count() == 0) {
        std::cerr << "No File System could be identified. Click on 'Back' button to select another "
                     "Partition.\n";
        return kExitNothingFound;
    }
    for (int row = 0; row < volumes.count(); ++row)
        std::cout << "File System " << row + 1 << " - " << volumes.cell(row, boot_col::PartType)
                  << "  Cluster0Start " << volumes.cell(row, boot_col::Cluster0Start) << "  SPC "
                  << volumes.cell(row, boot_col::Spc) << '\n';
    if (options.volume < 1 || options.volume > volumes.count()) {
        std::cerr << "error: there is no file system " << options.volume << " (" << volumes.count()
                  << " found)\n";
        return kExitUsage;
    }
    context.folders.createStage(kStageResults, context.search.selectedDisk);
    RecoverFatVolume(scope, options.volume);
    PrintResult(session, reader);
    return kExitOk;
}

}  // namespace

int RunFatSearch(CliSession& session, const SearchOptions& options) {
    RecoveryContext& context = session.context();
    const DiskReader reader = context.selectedDisk();
    FatSearchState state;
    if (context.search.mode == SearchMode::Advance) return RunAdvance(session, options, reader, state);
    return RunStandard(session, reader, state);
}

}  // namespace datrevo::cli
