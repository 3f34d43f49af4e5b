// The Standard search of a FAT16 or FAT32 partition: every cluster of the
// data area whose first sector begins with its own "." and ".." entries is a
// folder, live or deleted, reachable from the root or not. Folders are linked
// to their parents by the ".." cluster; those whose parent is gone are
// adopted by "Miscellaneous_001".
#pragma once

#include <string_view>

#include "base/byte_view.h"
#include "fat/fat_kind.h"
#include "fat/fat_search_scope.h"

namespace datrevo {

inline constexpr std::string_view kUnableToInferMessage =
    "Unable to calculate partition parameters";

// A FolderTable row for the folder whose cluster's first sector is given:
// "." at 0 gives its date, time, size and attributes, ".." at 32 its parent.
void AppendDirectoryClusterRow(CatalogueTable& folders, ByteView sector, std::uint64_t sectorNumber,
                               std::uint32_t cluster, FatKind kind);

// Appends a FolderTable row for every directory cluster of the partition
// layout's data area, after the "Miscellaneous_001" row, in cluster order.
// Returns false when the layout has no usable cluster size (nothing scanned)
// or the scan was stopped (the rows found so far stay).
bool ScanDirectoryClusters(FatSearchScope& scope);

// Builds the tree from the FolderTable (sorted ascending by "parent") on the
// active layout, names every folder by opening it once, and empties the table.
void StoreDirectoryInformation(FatSearchScope& scope);

// The whole Standard search: the layout inferred when the boot record is not
// valid, the cluster scan (the walk from the root for a quick look), the active layout, linking and
// storing. A stop request ends the scan; linking and storing then run on what was found.
void RunFatStandardSearch(FatSearchScope& scope);

}  // namespace datrevo
