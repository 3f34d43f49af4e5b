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

}  // namespace datrevo::limits
