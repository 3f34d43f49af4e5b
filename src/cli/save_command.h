// datrevo-cli --save DIR [--select PATH]...: copying the result of a search
// or a loaded log to a folder.
#pragma once

#include <string>
#include <vector>

#include "cli/cli_session.h"
#include "save/save_questions.h"
#include "save/save_task.h"

namespace datrevo::cli {

struct CliSaveOptions {
    std::string destination;           // --save DIR
    std::vector<std::string> selects;  // --select PATH, repeatable; none: the whole result
    // --overwrite, --rename, --skip-existing: the answer to every file in the way.
    ReplaceAction onExisting = ReplaceAction::Rename;
    bool streams = false;      // --streams: NTFS alternate data streams beside their files
    bool systemFiles = false;  // --system-files: NTFS $MFT ... and $Extend with their folder
};

// Checks the destination of --save for the session's disk (SaveDestinationProblem):
// kExitOk, or kExitUsage with the reason on stderr. Run before the search,
// so that a destination that cannot take the save is refused at once.
int CheckSaveDestination(CliSession& session, const CliSaveOptions& options);

// Saves from the session's recovery context (after a search or a log load),
// prints the summary to stdout (a refusal to stderr) and returns an exit
// status: 0 when every selected file was written whole, kExitIncomplete when
// the save finished but some files failed or were copied incomplete,
// kExitStopped when Ctrl-C stopped it, kExitFailure when it was refused or
// ended early otherwise, kExitUsage for a --select path the result does not
// have or a refused destination, kExitNothingFound when the result is empty.
int RunSaveCommand(CliSession& session, const CliSaveOptions& options);

// The exit status of a save that ran.
int SaveExitStatus(const SaveSummary& summary);

}  // namespace datrevo::cli
