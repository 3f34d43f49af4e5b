// Walking a range of sectors in large reads, for the scans that test every
// sector (or every cluster) of a partition: one request per run, each sector
// then tested from memory. The bytes, and so the results, are those of
// sector-by-sector reads.
#pragma once

#include <cstdint>
#include <functional>
#include <stop_token>

#include "base/byte_view.h"
#include "disk/disk_reader.h"

namespace datrevo {

// Sectors read in one request by the scans (256 KiB): a multiple of every
// cluster size, so a cluster never straddles two runs of a scan that starts
// on a cluster boundary; small enough that the run and the reader's own copy
// of it stay in the processor's caches (1 MiB and 4 MiB runs measured slower).
inline constexpr std::uint32_t kScanRunSectors = 512;

// The end of a scan over [start, end): never past the last sector of the
// medium, where every read would fail (a boot record may claim a volume far
// larger than the disk).
std::uint64_t ClampScanEnd(const DiskReader& disk, std::uint64_t end);

// Reads [start, end) in runs of at most `runSectors` sectors and hands each
// run to `visit` (its first sector and its bytes; unreadable sectors read as
// zeros). Stops early when a stop is requested or `visit` returns false.
// Returns false when it was stopped.
bool ForEachSectorRun(const DiskReader& disk, std::uint64_t start, std::uint64_t end,
                      std::uint32_t runSectors, const std::stop_token& stop,
                      const std::function<bool(std::uint64_t first, ByteView run)>& visit);

}  // namespace datrevo
