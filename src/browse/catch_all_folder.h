// The catch-all folder "Miscellaneous_001": its date, and listing it when
// files (not folders) are all it holds.
//
// The folder has no directory on the medium; it is dated with the time of
// the search that made it, as FAT words (local time) or an NTFS FILETIME
// (UTC), so that the listings and the saved folder show that date.
#pragma once

#include <cstdint>
#include <ctime>

#include "browse/folder_tree.h"
#include "catalogue/catalogue_table.h"

namespace datrevo {

struct FatDateTimeWords {
    std::uint16_t date = 0;  // bits 0-4 day, 5-8 month, 9-15 years since 1980
    std::uint16_t time = 0;  // bits 0-4 seconds / 2, 5-10 minute, 11-15 hour
};

// A local time as FAT words; years outside 1980..2107 are clamped to them.
FatDateTimeWords FatWordsOf(const std::tm& local);
// Seconds since 1970-01-01 UTC as a FILETIME; 0 for times before 1601.
std::uint64_t FileTimeOf(std::time_t seconds);

// The catch-all date of a search starting now.
FatDateTimeWords CatchAllFatWordsNow();
std::uint64_t CatchAllFileTimeNow();

// Whether a row of `entries` has the catch-all folder as its parent.
bool AnyRowUnderCatchAll(const CatalogueTable& entries);

// When a row of `entries` (NTFS files) has the catch-all folder as parent
// and the tree has no catch-all folder (it held no folder), inserts it as
// the last folder of the root, dated `fileTime`. True when inserted.
bool ListCatchAllFolderForFiles(FolderTree& tree, const CatalogueTable& entries,
                                std::uint64_t fileTime);

}  // namespace datrevo
