// The parts of the command line that every subcommand shares: the global
// options (accepted before or after the subcommand and listed in every
// subcommand's --help), the version, and the word lists read in any case.
#pragma once

#include <CLI/CLI.hpp>

#include "cli/cli_session.h"

namespace datrevo::cli {

// The program's version, as --version prints it.
const char* VersionText();

// Adds -q/--quiet, --image and the hidden --inventory-root to `command`,
// stored in `options`. Called for the program and for each subcommand, so
// that they may stand before or after the subcommand's name.
void AddGlobalOptions(CLI::App& command, GlobalOptions& options);

// Search modes: "standard" or "advance", in any case; "advanced" is read as
// "advance".
CLI::Validator SearchModeWords();
// File-system kinds of a range: FAT16, FAT32 or NTFS, in any case.
CLI::Validator FileSystemKindWords();

}  // namespace datrevo::cli
