// Where a file's data lies, for saving it: the unnamed data attribute of its
// record, resident (the bytes are in the record) or non-resident (runs of
// sectors, sparse runs with start sector 0), with the real size in bytes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "disk/disk_reader.h"
#include "ntfs/data_runs.h"
#include "ntfs/ntfs_values.h"

namespace datrevo {

// Data attribute header flags (16 bits at offset 12).
namespace data_flags {
inline constexpr std::uint16_t kCompressionMask = 0x00FF;  // 1: LZNT1; other values: unknown forms
inline constexpr std::uint16_t kLznt1 = 0x0001;
inline constexpr std::uint16_t kEncrypted = 0x4000;
inline constexpr std::uint16_t kSparse = 0x8000;
}  // namespace data_flags

// The compression unit (8 bits at offset 34 of a non-resident attribute) of
// every volume Windows writes: 2^4 = 16 clusters.
inline constexpr std::uint8_t kLznt1UnitShift = 4;

struct NtfsFileData {
    bool resident = false;
    std::uint16_t flags = 0;            // the attribute header's flags (data_flags)
    std::uint8_t compressionUnit = 0;   // non-resident: log2 of the clusters per unit
    std::vector<std::uint8_t> content;  // resident: the data itself
    RunList runs;                       // non-resident: in file order
    std::uint64_t size = 0;             // real size; bytes past it are not data
    std::uint64_t validSize = 0;        // initialized size: the bytes from here to `size`
                                        // were never written and read as zeros
    bool complete = true;               // false when a run list was damaged or a
                                        // piece could not be read
};

// A named data attribute of a record: an alternate data stream.
struct NamedStream {
    std::string name;  // UTF-8
    std::uint64_t size = 0;
};

// The named data attributes of one record (the first piece of each: resident,
// or non-resident starting at VCN 0), in record order.
std::vector<NamedStream> ListNamedStreams(ByteView record);

// True when the data is compressed, in whatever form.
inline bool IsCompressed(const NtfsFileData& data) {
    return !data.resident && (data.flags & data_flags::kCompressionMask) != 0;
}

// Reads the record at `recordSector` (an EntryTable row's "sector") and
// locates its data: the unnamed data attribute, or with `stream` the data
// attribute of that name (an alternate data stream; UTF-8). Pieces held in extension records (named
// by an attribute list) are followed through `mftRuns` when it is not empty (Standard search);
// cluster numbers count from `partitionStart` in clusters of `sectorsPerCluster` sectors. Nothing
// when the sector holds no file record or the record has no such data attribute.
std::optional<NtfsFileData> LocateNtfsFileData(const DiskReader& reader, std::uint64_t recordSector,
                                               std::uint64_t partitionStart,
                                               std::uint32_t sectorsPerCluster,
                                               const MftRunList& mftRuns,
                                               const std::string& stream = {});

}  // namespace datrevo
