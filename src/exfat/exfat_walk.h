// The Standard walk of an exFAT volume: every directory reachable from the
// root, live and deleted entry sets alike.
//
// Folders are numbered by their first cluster, as on FAT; the root's own
// number is 0. A deleted folder is entered only when its first cluster is
// still free in the allocation bitmap (otherwise another file or folder
// holds it now and its entries would be someone else's); everything below a
// deleted folder is deleted. Each directory is read once: a folder whose
// cluster was met before (a loop, or two sets naming the same cluster) is
// listed but not entered again.
#pragma once

#include <cstdint>
#include <stop_token>
#include <string>
#include <vector>

#include "exfat/exfat_entry_set.h"
#include "exfat/exfat_volume.h"

namespace datrevo {

inline constexpr std::uint32_t kExfatRootNumber = 0;
// The number of a folder whose directory was not read (its cluster belongs to
// another folder now, or it has none): nothing is listed under it.
inline constexpr std::uint32_t kExfatNoDirectory = 0xFFFFFFFE;

struct ExfatItem {
    ExfatEntrySet set;         // set.deleted: the set itself or a folder above it is deleted
    std::uint32_t parent = 0;  // the parent folder's number (its first cluster; 0 for the root)
    std::uint32_t self = kExfatNoDirectory;  // a folder's own number: its first cluster once read
    std::uint64_t entrySector = 0;           // disk sector that holds the File entry
    std::string madeUpName;                  // a lost folder that no entry names: "Dir<n>"
};

struct ExfatListing {
    std::vector<ExfatItem> folders;
    std::vector<ExfatItem> files;
    std::string volumeLabel;
    bool bitmapLoaded = false;
    std::size_t damagedSets = 0;  // File entries whose set did not decode
    bool stopped = false;
    // The clusters of every directory read, the root's included.
    std::vector<ExfatClusterRun> directoryRuns;
};

// Walks the volume breadth-first from its root directory. Loads the
// allocation bitmap of `volume` from the root's Allocation Bitmap entry.
ExfatListing WalkExfatVolume(ExfatVolume& volume, std::stop_token stop = {});

// Loads the allocation bitmap of `volume` from the root's Allocation Bitmap
// entry, as the walk does, without walking. False when there is none to load.
bool LoadExfatRootBitmap(ExfatVolume& volume);

// One directory's bytes and where each of its clusters lies.
struct ExfatDirectoryBytes {
    std::vector<std::uint8_t> bytes;
    ExfatClusterList clusters;
};
// Reads a directory: the root (a FAT chain without a length) when `root`,
// else the set's data (a deleted FAT-chained folder over free clusters).
// At most kMaxExfatDirectoryBytes.
ExfatDirectoryBytes ReadExfatDirectory(const ExfatVolume& volume, const ExfatEntrySet& set,
                                       bool root);

// The entry sets of one directory in order, up to its end mark: each with
// `number` as its parent, deleted when `deleted` (the folder itself is).
// Sets that do not decode are counted in `damaged` and skipped entry by entry.
std::vector<ExfatItem> DecodeExfatDirectoryItems(const ExfatVolume& volume,
                                                 const ExfatDirectoryBytes& dir,
                                                 std::uint32_t number, bool deleted,
                                                 std::size_t& damaged);

}  // namespace datrevo
