// Checking a save destination before anything is read or written: the
// command line does it before a search that can take minutes, the window
// when a folder is chosen, and both again just before writing.
#pragma once

#include <string>

namespace datrevo {

// The message refusing `destination` as the folder to save into from the
// disk at `diskPath`, or an empty text when it may be used:
// - it is given;
// - it is a folder, or it can be created: its nearest existing parent is a
//   folder on a file system that takes files (not /proc or /sys);
// - that folder can be written to (tried with an unnamed temporary file,
//   or a folder made and removed again where unnamed files are not
//   supported), so a read-only file system or a missing permission shows
//   now and not after the search;
// - it is not stored on the disk being recovered (DestinationRefusal).
// Nothing is left behind in the destination.
std::string SaveDestinationProblem(const std::string& destination, const std::string& diskPath,
                                   const std::string& sysRoot = "/");

}  // namespace datrevo
