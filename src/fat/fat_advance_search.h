// The Advance search on FAT: every sector of a range is read once for FAT
// boot records and directory sectors; the directory sectors are then shared
// out among the volumes the boot records describe, and among volumes
// inferred from pairs of directory sectors where no boot record survived.
// The user picks a volume and its folders are rebuilt.
#pragma once

#include <string_view>

#include "base/visible_texts.h"
#include "catalogue/catalogue_table.h"
#include "fat/fat_search_scope.h"

namespace datrevo {

inline constexpr std::string_view kAnalysisPhase1Status =
    "Analyzing The Data For File Systems Phase 1 \\ 2   ...";
inline constexpr std::string_view kAnalysisPhase2Status =
    "Analyzing The Data For File Systems Phase 2 \\ 2   ...";

// Scans [start, end) of the scope: a BootRecordTable row for every FAT16 or
// FAT32 boot sector, a LostDirTable row ("File System" 0) for every sector
// that begins with "." and ".." entries. The three tables are emptied first.
// Returns false when stopped (the rows found so far stay).
bool ScanFatSignatures(FatSearchScope& scope);

// Assigns the LostDirTable rows to volumes: first to those of the boot
// records (Phase 1), then to volumes inferred from fitting pairs of
// directory sectors (Phase 2). Fills the VolumeTable and sets
// state.volumesFound. Rows that fit no volume get "File System" -1. When no
// volume is found on a FAT16 range, the FAT copies and root directory at
// the range's start may still give one (a volume with a single folder); the
// reads this takes are bounded (InferFat16FromFatCopies).
void AnalyzeFileSystems(FatSearchScope& scope);

// The first LostDirTable row at or after `row` whose "File System" is 0, or -1.
int NextUnassignedDirectory(const CatalogueTable& lostDirs, int row);

// Fills the FolderTable with the directory rows of volume `volume` (from 1)
// and the active layout from its VolumeTable row, locating its FAT copies
// first when it has none recorded.
void PrepareSelectedVolume(FatSearchScope& scope, int volume);

// Looks for the two FAT copies of volume `volume` before its Cluster0Start
// (sectors beginning 0xF8 0xFF 0xFF) and records them in its VolumeTable row.
void LocateFatCopies(FatSearchScope& scope, int volume);

// Builds the tree from the FolderTable (sorted ascending by "parent") on the
// active layout; the table keeps its rows.
void StoreVolumeDirectoryInformation(FatSearchScope& scope);

// The first stage: scan and analysis. A stop request ends the scan; the
// analysis (tables only, no reads) then runs on what was found.
void RunFatAdvanceScan(FatSearchScope& scope);

// The second stage for volume `volume` (from 1): the catch-all row, the
// volume's folder rows and layout, linking and storing. False when there is
// no such volume.
bool RecoverFatVolume(FatSearchScope& scope, int volume);

}  // namespace datrevo
