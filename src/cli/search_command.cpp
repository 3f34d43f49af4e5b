#include "cli/search_command.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iostream>
#include <memory>

#include "base/volume_kind.h"
#include "cli/command_line.h"
#include "cli/dfxml_output.h"
#include "cli/disk_commands.h"
#include "cli/exit_codes.h"
#include "cli/interrupt.h"
#include "cli/result_output.h"
#include "log/recovery_log.h"
#include "partition/lost_partition_search.h"
#include "partition/partition_table.h"
#include "search/notices.h"
#include "search/search_setup.h"
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
    const SearchMode mode = options.mode == "advance" ? SearchMode::Advance : SearchMode::Standard;
    context.search.mode = mode;
    context.search.searchModeText = std::string(SearchModeText(mode));
    if (options.quick && mode == SearchMode::Advance) {
        std::cerr << "error: --quick is a Standard search option\n";
        return kExitUsage;
    }
    context.search.quick = options.quick;
    if (options.start || options.end) {
        if (!options.start || !options.end || options.kind.empty()) {
            std::cerr << "error: a range needs --start, --end and --kind\n";
            return kExitUsage;
        }
        if (!SetRangeSearch(context, mode, *options.start, *options.end,
                            VolumeKindFromText(options.kind))) {
            std::cerr << "error: the range " << *options.start << " to " << *options.end
                      << " is empty on this disk of " << context.currentDisk.totalSectors64
                      << " sectors\n";
            return kExitUsage;
        }
        return kExitOk;
    }
    ListDiskPartitions(session, options.findLost);
    const DiskPartitionList& list = context.selectedPartitions();
    if (!options.partition && list.count() > 1) {
        std::cerr << "error: " << options.disk << " has " << list.count()
                  << " partitions; choose one with -p NUMBER:\n";
        PrintPartitions(std::cerr, list, context.currentDisk.totalSectors64);
        return kExitUsage;
    }
    const int partition = options.partition.value_or(1);
    if (partition < 1 || static_cast<std::size_t>(partition) > list.count()) {
        std::cerr << "error: the disk has no partition " << partition << " (" << list.count()
                  << " found; see 'datrevo-cli partitions', or give a range with --start, "
                     "--end and --kind)\n";
        return list.count() == 0 ? kExitNothingFound : kExitUsage;
    }
    const auto index = static_cast<std::size_t>(partition - 1);
    if (const int status = CheckChosenPartition(session, index); status != kExitOk) return status;
    SetPartitionSearch(context, mode, index);
    return kExitOk;
}

// Runs one worker stage to its end, stopping it on Ctrl-C (then `stopped` is set).
SearchOutcome RunStage(CliSession& session, bool recovery, int volume, bool& stopped) {
    SearchWorkers workers(session.context());
    const SearchContext& search = session.context().search;
    session.observer().setWorkBytes(
        search.searchEnd > search.searchStart ? (search.searchEnd - search.searchStart) * 512 : 0);
    SearchOutcome outcome;
    const auto keep = [&outcome](const SearchOutcome& result) { outcome = result; };
    if (recovery)
        workers.startVolumeRecovery(volume, keep);
    else
        workers.startPartitionSearch(keep);
    const bool interrupted =
        WaitWithInterrupt([&] { return workers.searchRunning(); }, [&] { workers.stopSearch(); },
                          [&] { session.observer().tick(); });
    workers.wait();
    session.observer().finishLine();
    if (interrupted) std::cerr << "Search stopped: what was found so far follows.\n";
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
    } else if (options.json) {
        PrintJsonLines(std::cout, context);
    } else {
        PrintVolumeLabel(std::cout, context);
        PrintTree(std::cout, context, options.files);
        if (!options.list.empty()) {
            std::cout << '\n' << "Folder " << options.list << ":\n";
            if (!PrintFolderRows(std::cout, context, options.list)) {
                std::cerr << "error: the result has no folder '" << options.list << "'\n";
                return kExitUsage;
            }
        }
    }
    if (!options.dfxml.empty()) {
        std::ofstream out(options.dfxml, std::ios::binary | std::ios::trunc);
        if (out) WriteDfxml(out, context, context.slots.path(context.search.selectedDisk));
        out.close();
        if (!out) {
            std::cerr << "error: cannot write the DFXML file " << options.dfxml << ": "
                      << std::strerror(errno) << '\n';
            return kExitFailure;
        }
    }
    if (!options.log.empty()) {
        if (!SaveRecoveryLog(options.log, context, context.prompter)) {
            std::cerr << "error: the recovery log " << options.log << " was not written\n";
            return kExitFailure;
        }
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

// Why an output file named on the command line (--log, --dfxml) cannot be
// written: checked before the search, which can take minutes. A file that
// does not exist yet is created and removed again; one that exists is
// opened for writing without changing it.
std::string OutputFileProblem(const std::string& path, const char* what) {
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0) {
        if (S_ISDIR(info.st_mode)) return path + " is a folder; give a file name for " + what;
        if (!S_ISREG(info.st_mode))
            return path + " is not a regular file; give a file name for " + what;
        const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC | O_NONBLOCK);
        if (fd < 0)
            return std::string("cannot write ") + what + " " + path + ": " + std::strerror(errno);
        ::close(fd);
        return {};
    }
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0)
        return std::string("cannot create ") + what + " " + path + ": " + std::strerror(errno);
    ::close(fd);
    ::unlink(path.c_str());
    return {};
}

// Checks the output files and the save folder, before the disk is searched.
int CheckOutputs(CliSession& session, const ResultOptions& options) {
    for (const auto& [path, what] : {std::pair{&options.log, "the recovery log"},
                                     std::pair{&options.dfxml, "the DFXML file"}}) {
        if (path->empty()) continue;
        // Writing it would overwrite the disk being recovered.
        const RecoveryContext& context = session.context();
        struct stat output {};
        struct stat disk {};
        if (::stat(path->c_str(), &output) == 0 &&
            ::stat(context.slots.path(context.search.selectedDisk).c_str(), &disk) == 0 &&
            output.st_dev == disk.st_dev && output.st_ino == disk.st_ino) {
            std::cerr << "error: " << *path << " is the disk being recovered; " << what
                      << " cannot be written there.\n";
            return kExitUsage;
        }
        if (const std::string problem = OutputFileProblem(*path, what); !problem.empty()) {
            std::cerr << "error: " << problem << '\n';
            return kExitUsage;
        }
    }
    if (!options.save.destination.empty()) return CheckSaveDestination(session, options.save);
    return kExitOk;
}

int RunSearch(const GlobalOptions& global, const SearchOptions& options) {
    CliSession session(global);
    RecoveryContext& context = session.context();
    if (const int status = session.selectDisk(options.disk); status != kExitOk) return status;
    // Before anything of the disk is read: a search can take minutes.
    if (const int status = CheckOutputs(session, options.result); status != kExitOk) return status;
    if (const int status = PrepareSearch(session, options); status != kExitOk) return status;

    // A failed validation leaves no volume values behind: unless the FAT
    // search can infer the layout, the search finds nothing and ends with the
    // one nothing-found notice.
    BeginSearch(context);

    bool stopped = false;
    SearchOutcome outcome = RunStage(session, false, 0, stopped);
    if (context.search.mode == SearchMode::Advance) {
        if (outcome.volumesFound == 0) return stopped ? kExitStopped : kExitNothingFound;
        PrintFileSystems(context);
        const int volume = options.volume.value_or(1);
        if (volume < 1 || volume > outcome.volumesFound) {
            std::cerr << "error: there is no file system " << volume << " (" << outcome.volumesFound
                      << " found)\n";
            return kExitUsage;
        }
        outcome = RunStage(session, true, volume, stopped);
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
    struct stat info {};
    if (::stat(log.c_str(), &info) != 0) {
        std::cerr << "error: cannot read the recovery log " << log << ": " << std::strerror(errno)
                  << '\n';
        return kExitFailure;
    }
    if (S_ISDIR(info.st_mode)) {
        std::cerr << "error: " << log << " is a folder, not a recovery log\n";
        return kExitFailure;
    }
    if (!S_ISREG(info.st_mode)) {
        std::cerr << "error: " << log << " is not a regular file, so not a recovery log\n";
        return kExitFailure;
    }
    if (const int status = session.selectDisk(disk); status != kExitOk) return status;
    if (const int status = CheckOutputs(session, options); status != kExitOk) return status;
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
    command->add_flag(
        "--tsv", options.tsv,
        "Print every folder and file, tab-separated: path, type, size, modified "
        "(ISO 8601), state (live, deleted, orphan), cluster_or_record, past_disk_end");
    command->add_flag("--json", options.json,
                      "Print every folder and file as JSON Lines, one object each, with the "
                      "fields of --tsv");
    command->add_option("--dfxml", options.dfxml,
                        "Write the result as DFXML to this file: a fileobject per folder and "
                        "file with its byte runs on the disk");
    command->add_option("--log", options.log, "Store the result in this recovery log file");
    command->add_option("--save", options.save.destination,
                        "Save the recovered folders and files into this folder");
    command->add_option("--select", options.save.selects,
                        "With --save: only this folder or file (path from the volume root, "
                        "'/'-separated; repeatable)");
    command->add_flag("--streams", options.save.streams,
                      "With --save: NTFS alternate data streams too, as name_stream files "
                      "beside their files");
    command->add_flag("--system-files", options.save.systemFiles,
                      "With --save: NTFS system files ($MFT, $LogFile ... $Extend) too, not "
                      "only when selected");
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

// Given options that would have no effect are refused, with the reason:
// kExitUsage after a sentence on stderr, or kExitOk.
int RefuseIgnoredResultOptions(const CLI::App& command, const ResultOptions& options) {
    const auto given = [&command](const char* name) { return command.count(name) != 0; };
    if (given("--save") && options.save.destination.empty()) {
        std::cerr << "error: --save needs the name of a folder; an empty name was given.\n";
        return kExitUsage;
    }
    if (!given("--save"))
        for (const char* option : {"--select", "--overwrite", "--rename", "--skip-existing",
                                   "--streams", "--system-files"})
            if (given(option)) {
                std::cerr << "error: " << option
                          << " only changes what --save saves; give --save FOLDER too.\n";
                return kExitUsage;
            }
    if (options.tsv && options.json) {
        std::cerr << "error: --tsv and --json both print the whole result; choose one.\n";
        return kExitUsage;
    }
    if (options.tsv || options.json)
        for (const char* option : {"--files", "--list"})
            if (given(option)) {
                std::cerr << "error: " << option << " changes the tree, which "
                          << (options.tsv ? "--tsv" : "--json")
                          << " replaces; give one or the other.\n";
                return kExitUsage;
            }
    for (const char* option : {"--log", "--dfxml"})
        if (given(option) && (option[2] == 'l' ? options.log : options.dfxml).empty()) {
            std::cerr << "error: " << option << " needs a file name; an empty name was given.\n";
            return kExitUsage;
        }
    return kExitOk;
}

int RefuseIgnoredSearchOptions(const CLI::App& command, const SearchOptions& options) {
    const auto given = [&command](const char* name) { return command.count(name) != 0; };
    const bool range = given("--start") || given("--end");
    if (range && given("--partition")) {
        std::cerr << "error: -p and --start/--end both say what to search; give one of them.\n";
        return kExitUsage;
    }
    if (range && given("--find-lost")) {
        std::cerr << "error: --find-lost looks for partitions to choose from; it does not go "
                     "with a range (--start/--end).\n";
        return kExitUsage;
    }
    if (given("--kind") && !range) {
        std::cerr << "error: --kind names the file system of a range (--start, --end); a "
                     "partition's file system is read from the partition table.\n";
        return kExitUsage;
    }
    if (given("--volume") && options.mode != "advance") {
        std::cerr << "error: --volume chooses among the file systems an Advance search finds; "
                     "add --mode advance, or leave it out.\n";
        return kExitUsage;
    }
    return RefuseIgnoredResultOptions(command, options.result);
}

}  // namespace

void RegisterSearchCommands(CLI::App& app, const GlobalOptions& global, int& exitCode) {
    auto options = std::make_shared<SearchOptions>();
    auto* search = app.add_subcommand(
        "search", "Search a partition or a range for folders and files, and show the result");
    search
        ->add_option("DISK", options->disk, "Slot number from 'disks', or an image or device path")
        ->required();
    search->add_option("-p,--partition", options->partition,
                       "Partition number (from 1); may be left out on a disk with one partition");
    search
        ->add_option("-m,--mode", options->mode,
                     "standard (the default) or advance, in any case ('advanced' too)")
        ->transform(SearchModeWords());
    search->add_option("--volume", options->volume,
                       "Advance search: the file system to recover (from 1; default 1)");
    search->add_option("--start", options->start, "First sector of a range to search");
    search->add_option("--end", options->end, "End sector (exclusive) of the range");
    search
        ->add_option("--kind", options->kind,
                     "File system of the range: FAT16, FAT32, NTFS or exFAT, in any case")
        ->transform(FileSystemKindWords());
    search->add_flag("--find-lost", options->findLost,
                     "Search the disk for lost partitions before choosing one");
    search->add_flag(
        "--quick", options->quick,
        "Standard search in seconds: walk the folders from the root (FAT, exFAT) or the MFT "
        "(NTFS) without reading the whole partition for lost folders");
    AddResultOptions(search, options->result);
    search->footer(kExitStatusHelp);
    search->callback([&global, &exitCode, options, search] {
        exitCode = RefuseIgnoredSearchOptions(*search, *options);
        if (exitCode == kExitOk) exitCode = RunSearch(global, *options);
    });

    auto log = std::make_shared<std::string>();
    auto disk = std::make_shared<std::string>();
    auto loadOptions = std::make_shared<ResultOptions>();
    auto* load = app.add_subcommand("load", "Load a recovery log instead of searching again");
    load->add_option("LOG", *log, "Recovery log file (.MPD)")->required();
    load->add_option("DISK", *disk, "The disk the log was made on (slot or path)")->required();
    AddResultOptions(load, *loadOptions);
    load->footer(kExitStatusHelp);
    load->callback([&global, &exitCode, log, disk, loadOptions, load] {
        exitCode = RefuseIgnoredResultOptions(*load, *loadOptions);
        if (exitCode == kExitOk) exitCode = RunLoad(global, *log, *disk, *loadOptions);
    });
}

}  // namespace datrevo::cli
