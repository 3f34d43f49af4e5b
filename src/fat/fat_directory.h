// Reading a FAT directory from the medium and decoding its entries: the
// reader behind folder naming, the file list and saving.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/byte_view.h"
#include "disk/disk_reader.h"
#include "fat/fat_entry.h"
#include "fat/fat_layout.h"

namespace datrevo {

// The sectors of one directory in directory order, laid end to end, so that
// a long name that starts in one sector (or cluster) and ends in the next is
// read whole.
struct DirectoryBytes {
    std::vector<std::uint8_t> bytes;
    std::vector<std::uint64_t> sectors;  // disk sector of each 512-byte block

    ByteView view() const { return ByteView(bytes.data(), bytes.size()); }
};

// How a 0x00 first byte is taken: as the end of the whole directory, or (the
// FAT16 root and the root walks of the searches) as the end of its sector
// only, the next sector being read still.
enum class EndMarkRule { EndsDirectory, EndsSector };

// A directory reached through its cluster chain: every sector of every
// cluster in chain order, up to and including the sector that holds the end
// mark, at most limits::kMaxFatDirectoryEntries entries.
DirectoryBytes ReadDirectoryChain(const DiskReader& disk, const FatLayout& layout,
                                  std::uint32_t firstCluster, EndMarkRule rule);
// The fixed FAT16 root directory: sectors rootStart .. rootStart + rootSectors - 1
// (none when rootStart is 0).
DirectoryBytes ReadFixedRoot(const DiskReader& disk, const FatLayout& layout);

// One decoded short entry with the long name that belongs to it.
struct FatDirectoryEntry {
    std::string name;       // the long name when one belongs to it, else the 8.3 name
    std::string shortName;  // the 8.3 name ('_' for a deleted entry's first byte)
    bool deleted = false;
    std::uint8_t attributes = 0;
    std::uint32_t firstCluster = 0;
    std::uint32_t size = 0;
    std::uint16_t date = 0;    // FAT date word
    std::uint16_t time = 0;    // FAT time word
    std::uint64_t sector = 0;  // where the short entry lies
    std::uint32_t offset = 0;  // its byte offset in that sector

    bool isDirectory() const { return (attributes & fat_dirent::kAttrDirectory) != 0; }
    bool isVolumeLabel() const { return (attributes & fat_dirent::kAttrVolumeLabel) != 0; }
};

// The usable entries of a directory in on-disk order: "." and ".." and
// long-name entries are skipped, and so is an entry whose 8.3 name or
// final name IsAcceptableName rejects.
std::vector<FatDirectoryEntry> DecodeDirectoryEntries(const DirectoryBytes& directory, FatKind kind,
                                                      EndMarkRule rule);

// The entries of the folder whose first cluster is given. Cluster 0 means the
// root: the root cluster's chain on FAT32, the fixed root on FAT16 (where an
// end mark ends its sector only).
std::vector<FatDirectoryEntry> ReadFatDirectory(const DiskReader& disk, const FatLayout& layout,
                                                std::uint32_t firstCluster);

}  // namespace datrevo
