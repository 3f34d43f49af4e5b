// datrevo-cli disks | details DISK | partitions DISK
#pragma once

#include <CLI/CLI.hpp>
#include <cstdint>
#include <ostream>

#include "cli/cli_session.h"

namespace datrevo::cli {

// Registers the commands; each stores its exit status in `exitCode` when run.
void RegisterDiskCommands(CLI::App& app, const GlobalOptions& options, int& exitCode);

// The partition table as 'partitions' prints it (with `disk`, the FAT
// volume labels too), then a line for each partition that extends past the
// end of the disk or cannot be searched yet.
void PrintPartitions(std::ostream& out, const DiskPartitionList& list, std::uint64_t diskSectors,
                     const DiskReader* disk = nullptr);

// Lists the partitions of the selected disk (reading its tables into the
// context) and prints them; returns the exit status.
int ListPartitionsCommand(CliSession& session);
// Before a search of partition `index` (from 0) of the selected disk: refuses
// a kind no engine reads yet (exFAT) with the exit status, and warns once
// when the partition extends past the end of the disk. 0 to go on.
int CheckChosenPartition(CliSession& session, std::size_t index);
// Adds the partitions the lost-partition search finds to the selected disk's
// list; Ctrl-C stops it and keeps what it found.
void SearchForLostPartitions(CliSession& session);
// Lists the table's partitions and those the lost-partition search finds.
int LostPartitionsCommand(CliSession& session);

}  // namespace datrevo::cli
