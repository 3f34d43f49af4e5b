#include "cli/search_command.h"

#include <iostream>
#include <memory>

#include "cli/disk_commands.h"
#include "cli/exit_codes.h"
#include "cli/interrupt.h"
#include "cli/result_output.h"
#include "log/recovery_log.h"
#include "partition/lost_partition_search.h"
#include "partition/partition_table.h"
#include "search/notices.h"
#include "search/search_workers.h"

namespace datrevo::cli {
namespace {

// Lists the disk's partitions; with none listed (or when asked) searches for
// lost ones too, as the wizard does when it leaves the disk page.
void ListDiskPartitions(CliSession& session, bool findLost) {
    RecoveryContext& context = session.context();
    DiskPartitionList& list = context.selectedPartitions();
    list.clear();
    const PartitionTableResult table = ListPartitions(
        context.selectedDisk(), context.currentDisk.totalSectors64, list, &context.observer);
    if (table.partitionsListed && !findLost) return;
    SearchForLostPartitions(session);
}

// Sets the search values of the context: the chosen partition's bounds and
// kind, or the range given.
int PrepareSearch(CliSession& session, const SearchOptions& options) {
    RecoveryContext& context = session.context();
    SearchContext& search = context.search;
    search.mode = options.mode == "advance" ? SearchMode::Advance : SearchMode::Standard;
    search.searchModeText =
        search.mode == SearchMode::Advance ? "Advance Search" : "Standard Search";
    if (options.quick && search.mode == SearchMode::Advance) {
        std::cerr << "error: --quick is a Standard search option\n";
        return kExitUsage;
    }
    search.quick = options.quick;
    if (options.start || options.end) {
        if (!options.start || !options.end || options.kind.empty()) {
            std::cerr << "error: a range needs --start, --end and --kind\n";
            return kExitUsage;
        }
        const std::uint64_t end =
            std::min<std::uint64_t>(*options.end, context.currentDisk.totalSectors64);
        if (end <= *options.start) {
            std::cerr << "error: the range " << *options.start << " to " << *options.end
                      << " is empty on this disk of " << context.currentDisk.totalSectors64
                      << " sectors\n";
            return kExitUsage;
        }
        search.searchStart = *options.start;
        search.searchEnd = end;
        search.partitionKind = options.kind;
        search.partitionIndex = 0;
        return kExitOk;
    }
    ListDiskPartitions(session, options.findLost);
    const DiskPartitionList& list = context.selectedPartitions();
    if (options.partition < 1 || static_cast<std::size_t>(options.partition) > list.count()) {
        std::cerr << "error: the disk has no partition " << options.partition << " ("
                  << list.count()
                  << " found; see 'datrevo-cli partitions', or give a range with --start, "
                     "--end and --kind)\n";
        return list.count() == 0 ? kExitNothingFound : kExitUsage;
    }
    const auto index = static_cast<std::size_t>(options.partition - 1);
    if (const int status = CheckChosenPartition(session, index); status != kExitOk) return status;
    search.partitionIndex = options.partition - 1;
    search.partitionKind = list.kind(index);
    search.searchStart = list.record(index).firstSector;
    search.searchEnd = list.record(index).endSector;
    return kExitOk;
}

// Runs one worker stage to its end, stopping it on Ctrl-C (then `stopped` is set).
SearchOutcome RunStage(CliSession& session, bool recovery, int volume, bool& stopped) {
    SearchWorkers workers(session.context());
    SearchOutcome outcome;
    const auto keep = [&outcome](const SearchOutcome& result) { outcome = result; };
    if (recovery)
        workers.startVolumeRecovery(volume, keep);
    else
        workers.startPartitionSearch(keep);
    const bool interrupted = WaitWithInterrupt([&] { return workers.searchRunning(); },
                                               [&] { workers.stopSearch(); });
    workers.wait();
    session.observer().finishLine();
    if (interrupted)
        std::cerr << "Search stopped: what was found so far follows.\n";
    stopped = stopped || interrupted;
    return outcome;
}

void PrintFileSystems(const RecoveryContext& context) {
    const CatalogueTable& volumes = context.catalogue.VolumeTable;
    for (int row = 0; row < volumes.count(); ++row)
        std::cout << "File System " << row + 1 << " - " << volumes.cell(row, boot_col::PartType)
                  << "  Cluster0Start " << volumes.cell(row, boot_col::Cluster0Start) << "  SPC "
                  << volumes.cell(row, boot_col::Spc) << '\n';
}

// Prints, stores and saves a result as the options ask. A search stopped by
// the user is listed (and logged) but not saved.
int Deliver(CliSession& session, const ResultOptions& options, bool stopped = false) {
    RecoveryContext& context = session.context();
    CompleteResult(context);
    if (options.tsv) {
        PrintTsv(std::cout, context);
    } else {
        PrintTree(std::cout, context, options.files);
        if (!options.list.empty()) {
            std::cout << '\n' << "Folder " << options.list << ":\n";
            if (!PrintFolderRows(std::cout, context, options.list)) {
                std::cerr << "error: the result has no folder '" << options.list << "'\n";
                return kExitUsage;
            }
        }
    }
    if (!options.log.empty()) {
        if (!SaveRecoveryLog(options.log, context, context.prompter)) return kExitFailure;
        std::cerr << "Recovery log written to " << options.log << '\n';
    }
    if (stopped) {
        if (!options.save.destination.empty())
            std::cerr << "Nothing saved: the search was stopped before its end.\n";
        return kExitStopped;
    }
    if (!options.save.destination.empty()) return RunSaveCommand(session, options.save);
    return kExitOk;
}

int RunSearch(const GlobalOptions& global, const SearchOptions& options) {
    CliSession session(global);
    RecoveryContext& context = session.context();
    if (const int status = session.selectDisk(options.disk); status != kExitOk) return status;
    // Before anything of the disk is read: a search can take minutes.
    if (!options.result.save.destination.empty())
        if (const int status = CheckSaveDestination(session, options.result.save); status != kExitOk)
            return status;
    if (const int status = PrepareSearch(session, options); status != kExitOk) return status;

    // A failed validation leaves no volume values behind: unless the FAT
    // search can infer the layout, the search finds nothing and ends with the
    // one nothing-found notice.
    if (context.search.mode == SearchMode::Standard)
        ValidatePartition(context);

    bool stopped = false;
    SearchOutcome outcome = RunStage(session, false, 0, stopped);
    if (context.search.mode == SearchMode::Advance) {
        if (outcome.volumesFound == 0) return stopped ? kExitStopped : kExitNothingFound;
        PrintFileSystems(context);
        if (options.volume < 1 || options.volume > outcome.volumesFound) {
            std::cerr << "error: there is no file system " << options.volume << " ("
                      << outcome.volumesFound << " found)\n";
            return kExitUsage;
        }
        outcome = RunStage(session, true, options.volume, stopped);
    }
    if (!outcome.foundAnything) {
        CompleteResult(context);
        PrintTree(std::cout, context, options.result.files);
        return stopped ? kExitStopped : kExitNothingFound;
    }
    return Deliver(session, options.result, stopped);
}

int RunLoad(const GlobalOptions& global, const std::string& log, const std::string& disk,
            const ResultOptions& options) {
    CliSession session(global);
    if (const int status = session.selectDisk(disk); status != kExitOk) return status;
    if (!options.save.destination.empty())
        if (const int status = CheckSaveDestination(session, options.save); status != kExitOk)
            return status;
    const LogLoadOutcome loaded =
        LoadRecoveryLog(log, session.context(), session.context().prompter);
    session.observer().finishLine();
    if (loaded != LogLoadOutcome::Loaded) return kExitFailure;
    return Deliver(session, options);
}

void AddResultOptions(CLI::App* command, ResultOptions& options) {
    command->add_flag("--files", options.files, "Show the files under each folder of the tree");
    command->add_option("--list", options.list,
                        "Show one folder's rows as the file list does ('/' for the root)");
    command->add_flag("--tsv", options.tsv,
                      "Print every folder and file: path, type, size, date, time, deleted");
    command->add_option("--log", options.log, "Store the result in this recovery log file");
    command->add_option("--save", options.save.destination,
                        "Save the recovered folders and files into this folder");
    command->add_option("--select", options.save.selects,
                        "With --save: only this folder or file (path from the volume root; "
                        "repeatable)");
    command->add_flag("--streams", options.save.streams,
                      "With --save: NTFS alternate data streams too, as name:stream files beside their files");
    command->add_flag("--system-files", options.save.systemFiles,
                      "With --save: NTFS system files ($MFT, $LogFile ... $Extend) too, not only when selected");
    auto* overwrite = command->add_flag_callback(
        "--overwrite", [&options] { options.save.onExisting = ReplaceAction::Overwrite; },
        "With --save: replace files already in the destination");
    auto* rename = command->add_flag_callback(
        "--rename", [&options] { options.save.onExisting = ReplaceAction::Rename; },
        "With --save: save beside them under a free name (the default)");
    auto* skip = command->add_flag_callback(
        "--skip-existing", [&options] { options.save.onExisting = ReplaceAction::Skip; },
        "With --save: leave them and skip the file");
    overwrite->excludes(rename)->excludes(skip);
    rename->excludes(skip);
}

}  // namespace

void RegisterSearchCommands(CLI::App& app, const GlobalOptions& global, int& exitCode) {
    auto options = std::make_shared<SearchOptions>();
    auto* search = app.add_subcommand(
        "search", "Search a partition or a range for folders and files, and show the result");
    search->add_option("DISK", options->disk, "Slot number from 'disks', or an image or device path")
        ->required();
    search->add_option("-p,--partition", options->partition, "Partition number (from 1)");
    search->add_option("-m,--mode", options->mode, "standard or advance")
        ->check(CLI::IsMember({"standard", "advance"}));
    search->add_option("--volume", options->volume,
                       "Advance search: the file system to recover (from 1)");
    search->add_option("--start", options->start, "First sector of a range to search");
    search->add_option("--end", options->end, "End sector (exclusive) of the range");
    search->add_option("--kind", options->kind, "File system of the range")
        ->check(CLI::IsMember({"FAT16", "FAT32", "NTFS"}));
    search->add_flag("--find-lost", options->findLost,
                     "Search the disk for lost partitions before choosing one");
    search->add_flag("--quick", options->quick,
                     "Standard search in seconds: walk the folders from the root (FAT) or the MFT "
                     "(NTFS) without reading the whole partition for lost folders");
    AddResultOptions(search, options->result);
    search->footer(kExitStatusHelp);
    search->callback([&global, &exitCode, options] { exitCode = RunSearch(global, *options); });

    auto log = std::make_shared<std::string>();
    auto disk = std::make_shared<std::string>();
    auto loadOptions = std::make_shared<ResultOptions>();
    auto* load = app.add_subcommand("load", "Load a recovery log instead of searching again");
    load->add_option("LOG", *log, "Recovery log file (.MPD)")->required();
    load->add_option("DISK", *disk, "The disk the log was made on (slot or path)")->required();
    AddResultOptions(load, *loadOptions);
    load->footer(kExitStatusHelp);
    load->callback([&global, &exitCode, log, disk, loadOptions] {
        exitCode = RunLoad(global, *log, *disk, *loadOptions);
    });
}

}  // namespace datrevo::cli
