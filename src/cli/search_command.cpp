#include "cli/search_command.h"

#include <iostream>
#include <memory>

#include "cli/disk_commands.h"
#include "cli/exit_codes.h"
#include "partition/partition_list.h"
#include "partition/partition_table.h"

namespace datrevo::cli {
namespace {

// Sets the search values of the context from the options: the partition's
// bounds and kind, or the range given.
int PrepareSearch(CliSession& session, const SearchOptions& options) {
    RecoveryContext& context = session.context();
    SearchContext& search = context.search;
    search.mode = options.mode == "advance" ? SearchMode::Advance : SearchMode::Standard;
    search.searchModeText =
        search.mode == SearchMode::Advance ? "Advance Search" : "Standard Search";
    if (options.start || options.end) {
        if (!options.start || !options.end || options.kind.empty()) {
            std::cerr << "error: a range needs --start, --end and --kind\n";
            return kExitUsage;
        }
        if (*options.end <= *options.start) {
            std::cerr << "error: --end must be greater than --start\n";
            return kExitUsage;
        }
        search.searchStart = *options.start;
        search.searchEnd = std::min<std::uint64_t>(*options.end, context.currentDisk.totalSectors64);
        search.partitionKind = options.kind;
        search.partitionIndex = 0;
        return kExitOk;
    }
    DiskPartitionList& list = context.selectedPartitions();
    list.clear();
    ListPartitions(context.selectedDisk(), context.currentDisk.totalSectors64, list,
                   &context.observer);
    if (options.partition < 1 || static_cast<std::size_t>(options.partition) > list.count()) {
        std::cerr << "error: the disk has no partition " << options.partition << " ("
                  << list.count()
                  << " listed; see 'datrevo-cli partitions', or give a range with --start, "
                     "--end and --kind)\n";
        return list.count() == 0 ? kExitNothingFound : kExitUsage;
    }
    const auto index = static_cast<std::size_t>(options.partition - 1);
    search.partitionIndex = options.partition - 1;
    search.partitionKind = list.kind(index);
    search.searchStart = list.record(index).firstSector;
    search.searchEnd = list.record(index).endSector;
    return kExitOk;
}

int RunSearch(const GlobalOptions& global, const SearchOptions& options) {
    CliSession session(global);
    if (const int status = session.selectDisk(options.disk); status != kExitOk) return status;
    if (const int status = PrepareSearch(session, options); status != kExitOk) return status;
    const std::string& kind = session.context().search.partitionKind;
    if (kind == "FAT16" || kind == "FAT32") return RunFatSearch(session, options);
    if (kind == "NTFS") return RunNtfsSearch(session, options);
    std::cerr << "error: unknown file-system kind '" << kind << "' (FAT16, FAT32 or NTFS)\n";
    return kExitUsage;
}

}  // namespace

void RegisterSearchCommand(CLI::App& app, const GlobalOptions& global, int& exitCode) {
    auto options = std::make_shared<SearchOptions>();
    auto* command = app.add_subcommand(
        "search", "Search a partition or a range for folders and files, and print the tree");
    command->add_option("DISK", options->disk,
                        "Slot number from 'disks', or an image or device path")
        ->required();
    command->add_option("-p,--partition", options->partition, "Partition number (from 1)");
    command->add_option("-m,--mode", options->mode, "standard or advance")
        ->check(CLI::IsMember({"standard", "advance"}));
    command->add_option("--volume", options->volume,
                        "Advance search: the file system to recover (from 1)");
    command->add_option("--start", options->start, "First sector of a range to search");
    command->add_option("--end", options->end, "End sector (exclusive) of the range");
    command->add_option("--kind", options->kind, "File system of the range")
        ->check(CLI::IsMember({"FAT16", "FAT32", "NTFS"}));
    command->callback([&global, &exitCode, options] { exitCode = RunSearch(global, *options); });
}

}  // namespace datrevo::cli
