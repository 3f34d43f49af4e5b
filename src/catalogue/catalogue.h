// The catalogue: the tables in which every search records what it finds.
#pragma once

#include "catalogue/catalogue_table.h"
#include "catalogue/mft_record_table.h"

namespace datrevo {

// Columns of FolderTable and EntryTable.
namespace folder_col {
enum : int { Name = 0, Sector, Self, Parent, Date, Time, Size, Attr, SysId, Type, Deleted };
}
// Columns of LostDirTable.
namespace lostdir_col {
enum : int { Sector = 0, SelfCluster, ParentCluster, FileSystem, Date, Time, FirstRun };
}
// Columns of BootRecordTable and VolumeTable.
namespace boot_col {
enum : int {
    Sector = 0,
    Spf,
    Spc,
    RootSectors,
    RootStart,
    ReserveSectors,
    Cluster0Start,
    FirstFat,
    SecondFat,
    TotalSectors,
    PartType
};
}
// Columns of MftRefTable.
namespace mftref_col {
enum : int { Sector = 0, MftReference, Vcn, FsNumber };
}
// Columns of DirScratchTable.
namespace scratch_col {
enum : int { SelfCluster = 0, Sector, ParentCluster, FileSystem, Date, Time, FirstRun };
}

// Own number of the catch-all folder "Miscellaneous_001", and the parent
// value that means no parent is known.
inline constexpr std::uint32_t kCatchAllNumber = 0x0FFFFFFF;
inline constexpr const char* kCatchAllName = "Miscellaneous_001";
// The NTFS root directory's record number.
inline constexpr std::uint32_t kNtfsRootRecord = 5;
// An NTFS row that belongs to no file system yet.
inline constexpr std::uint32_t kNoFileSystem = 4294967295u;

inline constexpr const char* kTypeFolder = "FOLDER";
inline constexpr const char* kTypeFile = "FILE";

// Inserts at `index` the row of the catch-all folder "Miscellaneous_001",
// with `parent` as its parent: 0 (the root's cluster) on FAT, 5 on NTFS,
// and the given date and time cells (the time of the search).
// Returns the row's index.
int InsertCatchAllFolderRow(CatalogueTable& folderTable, int index, std::uint32_t parent,
                            std::int64_t date = 0, std::int64_t time = 0);

struct Catalogue {
    Catalogue();

    CatalogueTable FolderTable;
    CatalogueTable EntryTable;
    CatalogueTable LostDirTable;
    CatalogueTable BootRecordTable;
    CatalogueTable VolumeTable;
    CatalogueTable MftRefTable;
    MftRecordList MftRecordTable;
    CatalogueTable DirScratchTable;
};

}  // namespace datrevo
