// Reading a file's content from an exFAT volume.
//
// A live file is read from its clusters (consecutive ones for NoFatChain,
// else its FAT chain) up to ValidDataLength; the rest up to DataLength reads
// as zeros, as the file system defines it. A deleted file's FAT entries no
// longer count: with NoFatChain its clusters are still the run from its first
// cluster; without, it is read from its first cluster over the clusters that
// the bitmap shows free, which may not be the ones it had.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <stop_token>

#include "exfat/exfat_entry_set.h"
#include "exfat/exfat_volume.h"

namespace datrevo {

// The clusters that hold a file's first ValidDataLength bytes, as the
// content reader takes them.
struct ExfatContentClusters {
    ExfatClusterList clusters;
    bool freeClusterGuess = false;  // deleted and FAT-chained: read over the free clusters
    bool overwritten = false;       // deleted and contiguous, but some cluster is in use now
    bool withoutFat = false;  // FAT-chained on a volume rebuilt without its FAT: read as contiguous
    bool tooLarge = false;    // DataLength beyond the cluster heap: damage, nothing to read
};
ExfatContentClusters ExfatFileClusters(const ExfatVolume& volume, const ExfatEntrySet& set);

struct ExfatContentRead {
    bool complete = true;  // every byte was read from where the entry says
    // Deleted: read over free clusters, or over clusters now in use; or
    // FAT-chained on a volume rebuilt without its FAT (read as contiguous).
    bool mayBeIncomplete = false;
    std::uint64_t bytesWritten = 0;
};

// Hands the content to `sink` in pieces, in order; a sink that returns false
// ends the read (as does `stop`). Exactly DataLength bytes when complete.
ExfatContentRead ReadExfatFileContent(
    const ExfatVolume& volume, const ExfatEntrySet& set,
    const std::function<bool(std::span<const std::uint8_t>)>& sink, std::stop_token stop = {});

}  // namespace datrevo
