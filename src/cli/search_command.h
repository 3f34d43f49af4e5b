// datrevo-cli search DISK: a Standard or Advance search of a partition or a
// range, printing the folder tree it rebuilds.
#pragma once

#include <CLI/CLI.hpp>
#include <cstdint>
#include <optional>
#include <string>

#include "base/search_mode.h"
#include "cli/cli_session.h"

namespace datrevo::cli {

struct SearchOptions {
    std::string disk;
    int partition = 1;              // 1-based, as the tree numbers them
    std::string mode = "standard";  // "standard" or "advance"
    int volume = 1;                 // Advance: the file system to recover, 1-based
    std::optional<std::uint64_t> start;  // a range instead of a partition
    std::optional<std::uint64_t> end;
    std::string kind;               // with a range: FAT16, FAT32 or NTFS
};

void RegisterSearchCommand(CLI::App& app, const GlobalOptions& options, int& exitCode);

// The engines' halves of the command. Each runs its phases on the context's
// search values (disk, mode, kind, range already set) and leaves the result
// in the context's folder tree (and, for NTFS, its EntryTable). They return
// an exit status.
int RunFatSearch(CliSession& session, const SearchOptions& options);
int RunNtfsSearch(CliSession& session, const SearchOptions& options);

}  // namespace datrevo::cli
