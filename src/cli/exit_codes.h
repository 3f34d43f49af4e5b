// Exit statuses of datrevo-cli.
#pragma once

namespace datrevo::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;         // an operation failed (message on stderr)
inline constexpr int kExitUsage = 2;           // bad command line, refused option or destination
inline constexpr int kExitUnreadableDisk = 3;  // the disk or image cannot be read
inline constexpr int kExitNothingFound = 4;    // the search found nothing
inline constexpr int kExitStopped = 5;     // stopped by the user (Ctrl-C): the result is partial
inline constexpr int kExitIncomplete = 6;  // saved, but some files incomplete or not saved

// The list for --help.
inline constexpr const char* kExitStatusHelp =
    "Exit status: 0 done, 1 failed, 2 bad command line (also a refused option, a disk with "
    "several partitions and no -p, a refused save folder or log file), 3 the disk cannot be "
    "read (missing, a folder, a pipe, empty), 4 nothing found, 5 stopped by the user (Ctrl-C), "
    "6 saved, but some files were saved incomplete or not at all (the summary lists them).";

}  // namespace datrevo::cli
