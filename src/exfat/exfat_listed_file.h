// A file of an exFAT result found again on the disk from what its
// EntryTable row (or a recovery log) keeps: the disk sector of its File
// entry, its first cluster and its size. The row does not keep NoFatChain or
// ValidDataLength, which reading the file needs, so the set is decoded again
// from its directory.
#pragma once

#include <cstdint>
#include <optional>

#include "exfat/exfat_entry_set.h"
#include "exfat/exfat_volume.h"

namespace datrevo {

// The set whose File entry lies in disk sector `entrySector` and names
// `firstCluster` and a DataLength of `size` (or `size` modulo 2^32: a log
// keeps 32 bits). The set may run on into the next sectors, and past the
// end of its cluster into the next one of its directory (by the FAT, or the
// following cluster). Nothing when no such set decodes there.
std::optional<ExfatEntrySet> FindExfatEntrySet(const ExfatVolume& volume, std::uint64_t entrySector,
                                               std::uint32_t firstCluster, std::uint64_t size);

// The set to read a listed file with: the one found on the disk, else one
// made from the row (a live file is contiguous when its first cluster has no
// FAT entry; a deleted one is taken as FAT-chained, read over free
// clusters). `deleted` (the row's state: the set, or a folder above it, is
// deleted) is kept either way.
ExfatEntrySet ExfatSetOfListedFile(const ExfatVolume& volume, std::uint64_t entrySector,
                                   std::uint32_t firstCluster, std::uint64_t size, bool deleted);

}  // namespace datrevo
