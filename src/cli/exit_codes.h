// Exit statuses of datrevo-cli.
#pragma once

namespace datrevo::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;         // an operation failed (message on stderr)
inline constexpr int kExitUsage = 2;           // bad command line
inline constexpr int kExitUnreadableDisk = 3;  // the disk or image cannot be read
inline constexpr int kExitNothingFound = 4;    // the search found nothing

}  // namespace datrevo::cli
