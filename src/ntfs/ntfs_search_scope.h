// What an NTFS search works on, handed to each phase by reference so that a
// search worker can run the phases one by one.
#pragma once

#include <cstdint>
#include <stop_token>

#include "base/observer.h"
#include "browse/folder_tree.h"
#include "catalogue/catalogue.h"
#include "disk/disk_reader.h"
#include "ntfs/ntfs_values.h"
#include "base/visible_texts.h"

namespace datrevo {

struct NtfsSearchScope {
    const DiskReader& reader;
    NtfsGeometry& geometry;
    NtfsValues& ntfs;
    MftRunList& mftRuns;
    Catalogue& catalogue;
    FolderTree& folders;
    RecoveryObserver& observer;
    std::stop_token stop;
    // The range searched: first sector, and one past the last.
    std::uint64_t rangeStart = 0;
    std::uint64_t rangeEnd = 0;
};

// Texts shown while the phases run.

}  // namespace datrevo
