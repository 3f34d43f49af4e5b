// The bounds this program sets where the disk formats themselves set none.
//
// Every walk over structures read from the medium is bounded here, each with
// the reason for its value, so that a damaged or hostile disk can neither
// loop forever nor make the program allocate without end.
#pragma once

#include <cstddef>
#include <cstdint>

namespace datrevo::limits {

// Bytes in a sector. The medium is always addressed in 512-byte sectors.
inline constexpr std::size_t kSectorSize = 512;

// Drive slots: the disks of the inventory are addressed as slots 0 to 9.
inline constexpr int kDriveSlots = 10;

// Partitions kept per disk ("Partition - 1" .. "Partition - 26").
inline constexpr std::size_t kMaxPartitionsPerDisk = 26;

// Extended boot records followed in one chain. Each listed logical partition
// needs its own record, so a chain longer than the partition limit plus a
// margin for empty link records is damaged or loops.
inline constexpr std::size_t kMaxExtendedBootRecords = 64;

// A partition table entry that starts within this many sectors of the disk's
// end (or past it) marks the table as corrupted.
inline constexpr std::int64_t kCorruptedTableMargin = 0x6000;

// Characters of a name accepted from a recovery log or a directory entry.
inline constexpr std::size_t kMaxNameCharacters = 255;

}  // namespace datrevo::limits

namespace datrevo::limits {

// Record numbers gathered per NTFS file from its attribute list: the base
// record and up to 67 extension records. A 1024-byte record cannot hold a
// resident attribute list with many more entries, and each listed record
// costs a read during the MFT walk.
inline constexpr std::size_t kMaxAttributeListRecords = 68;

// An NTFS index block is at most 64 KiB; a header claiming more is damaged.
inline constexpr std::size_t kMaxNtfsIndexBlockBytes = 65536;
// The Advance NTFS scan keeps where the sectors beginning with "INDX" lie (8
// bytes each) up to this many (32 MiB); past it, on a disk that is mostly such
// sectors, the analysis reads them from the disk again instead.
inline constexpr std::size_t kMaxKeptIndexSignatures = std::size_t{1} << 22;

// Sectors read in one request while walking the MFT (128 records) and while
// scanning a range for NTFS structures (512 KiB).
inline constexpr std::uint32_t kMftWalkBatchSectors = 256;
inline constexpr std::uint32_t kNtfsScanBatchSectors = 1024;

// Sectors of a non-resident attribute list read to find the MFT's extension
// records: the list of the MFT itself, 256 KiB is far beyond any real one.
inline constexpr std::uint32_t kMaxAttributeListSectors = 512;

}  // namespace datrevo::limits

namespace datrevo::limits {

// Clusters in one FAT chain. A FAT32 entry has 28 significant bits and the
// values from 0x0FFFFFF7 up are marks, so no volume has more data clusters;
// chains are also cut at the first cluster they repeat (a cycle).
inline constexpr std::uint32_t kMaxFatChainClusters = 0x0FFFFFF6;

// Entries of one FAT directory: the format caps a directory at 65536
// entries of 32 bytes (2 MiB), whatever its cluster chain claims.
inline constexpr std::size_t kMaxFatDirectoryEntries = 65536;

// Long-name entries gathered for one name: 20 entries of 13 characters hold
// the longest name (255 characters) with its terminator.
inline constexpr std::size_t kMaxFatLongNameEntries = 20;

// Bytes of a recovery log file read into memory. A log holds one record per
// folder and per NTFS file (about 30 bytes plus the name); 1 GiB is room for
// well over ten million of them, and a larger file is not a log.
inline constexpr std::uint64_t kMaxRecoveryLogBytes = std::uint64_t{1} << 30;

}  // namespace datrevo::limits

namespace datrevo::limits {

// Bytes in one name of a saved copy: NAME_MAX of the file systems a copy
// goes to (ext4, FAT long names in UTF-8 are cut to it too).
inline constexpr std::size_t kMaxCopyNameBytes = 255;

// Numbered alternatives tried for a taken name ("name (2)" .. "name (n)")
// before giving up; a folder of the copy with more files of one name than
// this is not a real one.
inline constexpr unsigned kMaxNameAlternatives = 100000;

// Sectors read in one request while copying a file's contents (64 KiB): the
// bound of the copy buffer, whatever the size of the file.
inline constexpr std::uint32_t kSaveChunkSectors = 128;

// Folder levels below the destination that a save recreates. The tree
// cannot loop, but a crafted one can be deep; paths of more levels exceed
// what the destination's file systems resolve anyway (PATH_MAX 4096 with
// 2-byte names and separators is about 1365 levels).
inline constexpr std::size_t kMaxSaveFolderDepth = 1024;

}  // namespace datrevo::limits

// Bounds that follow from the ones above or from the formats, listed here so
// that every bound on input from outside is found in one place:
//
// - Partitions: at most kMaxPartitionsPerDisk are listed (primaries, logicals
//   and lost ones together); the extended chain is cut after
//   kMaxExtendedBootRecords records or at the first record it repeats.
// - FAT chains: cut at the first repeated cluster, at kMaxFatChainClusters,
//   and at the end of the FAT (sectors per FAT from the boot record).
//   A directory is read up to kMaxFatDirectoryEntries entries whatever its
//   chain, so its bytes are at most 2 MiB.
// - Names: FAT long names gather at most kMaxFatLongNameEntries entries; a
//   name from a recovery log is refused past kMaxNameCharacters characters.
// - NTFS: a run-list field is at most 8 bytes wide (a 64-bit value; wider is
//   damage); an index block at most kMaxNtfsIndexBlockBytes; an attribute
//   list at most kMaxAttributeListSectors and kMaxAttributeListRecords.
// - Recovery logs: the file is at most kMaxRecoveryLogBytes; every count and
//   length in it is checked against the bytes that remain before anything is
//   allocated, so a count needs no bound of its own.
// - Catalogue tables: one row per structure found in the sectors searched,
//   so their size follows the size of the range, which the disk bounds.
// - Fuzzing: inputs of the whole-search fuzz target are at most 1 MiB (a
//   small image); the decoder targets take a few sectors (fuzz/run-fuzz.sh).
