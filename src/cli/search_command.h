// datrevo-cli search DISK and datrevo-cli load LOG DISK: a whole recovery,
// from the search (or a saved log) to the tree, the file lists, the log and
// the saved files.
#pragma once

#include <CLI/CLI.hpp>
#include <cstdint>
#include <optional>
#include <string>

#include "cli/cli_session.h"
#include "cli/save_command.h"

namespace datrevo::cli {

// What to do with a result, shared by search and load.
struct ResultOptions {
    bool files = false;   // --files: files under each folder of the tree
    std::string list;     // --list FOLDER: that folder's rows
    bool tsv = false;     // --tsv: every folder and file, tab-separated
    bool json = false;    // --json: every folder and file, JSON Lines
    std::string dfxml;    // --dfxml FILE: the result as DFXML
    std::string log;      // --log FILE: store the result in a recovery log
    CliSaveOptions save;  // --save DIR [--select PATH]...
};

struct SearchOptions {
    std::string disk;
    std::optional<int> partition;        // 1-based, as the tree numbers them; none: the only one
    std::string mode = "standard";       // "standard" or "advance"
    std::optional<int> volume;           // Advance: the file system to recover, 1-based (default 1)
    std::optional<std::uint64_t> start;  // a range instead of a partition
    std::optional<std::uint64_t> end;
    std::string kind;       // with a range: FAT16, FAT32 or NTFS
    bool findLost = false;  // search for lost partitions before choosing
    bool quick = false;     // Standard search without the scan for lost folders
    ResultOptions result;
};

void RegisterSearchCommands(CLI::App& app, const GlobalOptions& options, int& exitCode);

}  // namespace datrevo::cli
