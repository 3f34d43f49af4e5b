// The quick look at a FAT16 or FAT32 partition: its folders found by walking
// the directories from the root, following every folder entry, in use or
// deleted, instead of reading the whole data area for directory clusters.
// It reads the directories and one sector per folder entry, so it takes
// seconds where the full scan takes as long as reading the partition; what it
// cannot find are the folders no directory names any more.
#pragma once

#include "fat/fat_search_scope.h"

namespace datrevo {

// Appends, after the "Miscellaneous_001" row, the FolderTable row the
// cluster scan makes for each folder reachable from the root of the
// partition layout: a cluster named by a folder entry whose first sector
// begins with its own "." and ".." entries. Each cluster is visited once, so
// a directory loop ends. Returns false when the layout has no usable
// cluster size (nothing walked) or the walk was stopped (the rows found so
// far stay).
bool WalkDirectoryTree(FatSearchScope& scope);

}  // namespace datrevo
