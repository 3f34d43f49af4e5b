// Folders of an exFAT volume that the root no longer reaches: after a quick
// format (a new root, FAT and bitmap over the old clusters), or a deleted
// folder whose parent's entry is gone.
//
// exFAT directories have no "." or ".." entries, so a directory cluster is
// recognised by what it starts with: an entry set, in use or deleted, whose
// set checksum matches. Only clusters the walk did not read and the bitmap
// shows free are looked at (a cluster in use belongs to what the walk found).
// A found folder is named, and placed, by the entry of another found folder
// that names its first cluster; its directory is then read for its whole
// length. A folder that no entry names gets the made-up name "Dir<n>" (n
// counting the unnamed ones from 1 in cluster order) and hangs from the
// catch-all folder "Miscellaneous_001".
#pragma once

#include <cstdint>
#include <functional>
#include <stop_token>

#include "exfat/exfat_volume.h"
#include "exfat/exfat_walk.h"

namespace datrevo {

struct ExfatLostScan {
    std::size_t clustersScanned = 0;
    std::size_t foldersFound = 0;  // directory clusters found, named or not
    bool stopped = false;
};

// Scans the cluster heap and appends the lost folders and what they hold to
// `listing` (which the walk filled). `progress` gets clusters done and the
// cluster count now and then.
ExfatLostScan FindExfatLostFolders(
    const ExfatVolume& volume, ExfatListing& listing, std::stop_token stop = {},
    const std::function<void(std::uint64_t, std::uint64_t)>& progress = {});

}  // namespace datrevo
