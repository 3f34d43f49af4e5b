// The FolderTable and EntryTable rows of NTFS records.
#pragma once

#include <cstdint>
#include <string>

#include "catalogue/catalogue_table.h"

namespace datrevo {

struct NtfsRow {
    std::string name;
    std::uint64_t sector = 0;
    std::uint32_t self = 0;
    std::uint32_t parent = 0;
    std::int64_t date = 0;  // creation time, FILETIME
    std::uint64_t size = 0;
    bool deleted = false;
};

// Folder row: Name, sector, self, parent, date, size "0", Type "FOLDER",
// Deleted "1" or empty.
void AppendNtfsFolderRow(CatalogueTable& table, const NtfsRow& row);
// File row: the same with the data size and Type "FILE".
void AppendNtfsFileRow(CatalogueTable& table, const NtfsRow& row);
// The catch-all folder "Miscellaneous_001" (self 268435455, parent 5).
void AppendNtfsCatchAllRow(CatalogueTable& folderTable);

}  // namespace datrevo
