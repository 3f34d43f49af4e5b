// What a FAT search works on: the medium, the two layouts, the catalogue, the
// folder tree, where it reports, the range and kind searched, and the stop
// request. The front end (the search worker, the command line, a test) owns
// every piece; the scope only refers to them.
#pragma once

#include <cstdint>
#include <stop_token>
#include <string>

#include "base/observer.h"
#include "base/prompter.h"
#include "browse/folder_tree.h"
#include "catalogue/catalogue.h"
#include "disk/disk_reader.h"
#include "fat/fat_layout.h"

namespace datrevo {

// Search values the FAT phases set for the worker that runs them.
struct FatSearchState {
    // Something was found: the end-of-search notice is not shown.
    bool foundAnything = false;
    // Volumes the Advance analysis found (rows of the VolumeTable).
    int volumesFound = 0;
};

struct FatSearchScope {
    const DiskReader& disk;
    FatLayout& partitionLayout;
    FatLayout& activeLayout;
    Catalogue& catalogue;
    FolderTree& folders;
    FatSearchState& state;
    RecoveryObserver& observer;
    Prompter& prompter;
    std::uint64_t start = 0;             // first sector searched
    std::uint64_t end = 0;               // one past the last sector searched
    VolumeKind kind = VolumeKind::None;  // FAT16 or FAT32
    bool bootRecordValid = false;
    std::stop_token stop;  // "Stop Search": the scans end, the later phases run on what was found
    std::stop_token abandon;  // leaving the program: every phase ends
    bool quick = false;       // Standard search: walk from the root, no scan of the data area
};

}  // namespace datrevo
