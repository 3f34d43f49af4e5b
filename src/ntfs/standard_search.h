// The Standard search of a valid NTFS volume: the MFT is located through its
// own record 0, then walked record by record; folders become FolderTable rows
// and files EntryTable rows, deleted ones marked.
#pragma once

#include <cstdint>
#include <functional>
#include <stop_token>

#include "browse/folder_node.h"
#include "catalogue/catalogue_table.h"
#include "disk/disk_reader.h"
#include "ntfs/ntfs_search_scope.h"

namespace datrevo {

// Fills `mftRuns` with the MFT's runs, following its attribute list when the
// MFT's data is spread over extension records. Left empty when record 0 or
// the root directory's record (5) does not begin with "FILE".
void BuildMftRunList(const DiskReader& reader, std::uint64_t partitionStart, std::uint64_t mftStart,
                     std::uint32_t sectorsPerCluster, MftRunList& mftRuns);

// Walks every record of `scope.mftRuns`; inserts the catch-all folder row
// first, then one row per named record. Stops early, with complete rows
// only, when the stop token is set.
void WalkMft(NtfsSearchScope& scope);

// Gives every folder row whose parent is not the root and not the self
// number of another row the catch-all parent (268435455). The table must be
// sorted by "self".
void LinkNtfsParents(CatalogueTable& folderTable, RecoveryObserver& observer);

// A file whose parent is neither the root (5) nor a folder of the built tree
// would be listed under no folder: it gets the catch-all parent. Rows for
// which `eligible` returns false are left alone (files of other volumes in
// an Advance range). Returns the number of files adopted.
std::size_t AdoptOrphanFiles(CatalogueTable& entryTable, const FolderNodeList& nodes,
                             const std::function<bool(int row)>& eligible = {});

struct NtfsStandardResult {
    bool mftFound = false;  // the MFT's run list could be built
    int fileRecords = 0;    // EntryTable rows
    bool stopped = false;
};

// The whole Standard search on the validated volume of `scope` (geometry and
// NTFS values filled by ValidateNtfsVolume): run list, walk, parent links,
// folder tree, orphaned files. The tree's result stage must exist.
NtfsStandardResult RunNtfsStandardSearch(NtfsSearchScope& scope);

}  // namespace datrevo
