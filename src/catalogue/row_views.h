// Typed views of the catalogue rows whose columns are reused for other
// meanings, named once beside the column enums of catalogue.h: a reader
// takes the numbers from the view, a writer appends the row through it, and
// the cell texts stay those the log format and the details lists expect.
#pragma once

#include <cstdint>
#include <string>

#include "catalogue/catalogue_table.h"

namespace datrevo {

// A BootRecordTable row of an NTFS boot record. The columns carry NTFS
// values: SPF the sectors per cluster, SPC the index block's sectors, Root
// Sectors "2", Root Start the volume's total sectors, Reserve Sectors the
// MFT's cluster, Cluster0Start the MFT mirror's cluster.
struct NtfsBootRow {
    std::uint64_t sector = 0;
    std::uint32_t sectorsPerCluster = 0;
    std::uint64_t indexBlockSectors = 0;
    std::uint64_t totalSectors = 0;
    std::uint64_t mftCluster = 0;
    std::uint64_t mftMirrorCluster = 0;

    static NtfsBootRow Read(const CatalogueTable& boots, int row);
    int append(CatalogueTable& boots) const;
};

// A VolumeTable row of an NTFS file system found by the Advance search:
// Cluster0Start (and the first cell) its first sector, SPF its end, SPC its
// sectors per cluster, Part Type "NTFS".
struct NtfsVolumeRow {
    std::uint64_t firstSector = 0;
    std::uint64_t endSector = 0;
    std::uint32_t sectorsPerCluster = 0;
    std::string kind;

    static NtfsVolumeRow Read(const CatalogueTable& volumes, int row);
    int append(CatalogueTable& volumes) const;
    // The first sector as a 32-bit layout value (saturated).
    std::uint32_t firstSector32() const;
};

// A LostDirTable row of a FAT directory sector found by the Advance scan:
// the sector, the "." and ".." entries' clusters, the file system it is
// assigned to (0: none yet) and the "." entry's date and time words.
struct LostFolderRow {
    std::uint64_t sector = 0;
    std::uint32_t selfCluster = 0;
    std::uint32_t parentCluster = 0;
    std::int64_t fileSystem = 0;
    std::uint32_t date = 0;
    std::uint32_t time = 0;

    static LostFolderRow Read(const CatalogueTable& lostDirs, int row);
    int append(CatalogueTable& lostDirs) const;
};

}  // namespace datrevo
