// The entries of the first FAT copy, read one cached sector at a time.
//
// FAT16 entry of cluster n: the 16-bit word at byte (n mod 256) x 2 of sector
// firstFAT + n / 256. FAT32: the 32-bit word at byte (n mod 128) x 4 of sector
// firstFAT + n / 128, of which the low 28 bits count. 0 marks a free cluster;
// 2 to 0xFFF6 (FAT16) or 0x0FFFFFF6 (FAT32) names the next cluster.
#pragma once

#include <cstdint>
#include <optional>

#include "base/byte_view.h"
#include "disk/disk_reader.h"
#include "fat/fat_kind.h"
#include "fat/fat_layout.h"

namespace datrevo {

namespace fat_table {
inline constexpr std::uint32_t kEntriesPerSector16 = 256;
inline constexpr std::uint32_t kEntriesPerSector32 = 128;
inline constexpr std::uint32_t kEntryMask32 = 0x0FFFFFFFu;
inline constexpr std::uint32_t kLastNext16 = 0xFFF6u;
inline constexpr std::uint32_t kLastNext32 = 0x0FFFFFF6u;
}  // namespace fat_table

// The entry of `cluster` within its FAT sector (pure: bytes in, value out).
std::uint32_t DecodeFatEntry(ByteView fatSector, std::uint32_t cluster, FatKind kind);

class FatTable {
public:
    FatTable(const DiskReader& disk, const FatLayout& layout);

    FatKind kind() const { return kind_; }
    std::uint32_t entriesPerSector() const;
    // The highest value that names a next cluster.
    std::uint32_t lastNext() const;

    // The FAT sector index (from firstFAT) that holds `cluster`'s entry.
    std::uint32_t sectorIndex(std::uint32_t cluster) const { return cluster / entriesPerSector(); }

    // The entry of `cluster`; nothing when its FAT sector cannot be read.
    std::optional<std::uint32_t> entry(std::uint32_t cluster);

private:
    static constexpr std::uint64_t kNone = ~std::uint64_t{0};
    const DiskReader& disk_;
    std::uint64_t firstFat_;
    FatKind kind_;
    std::uint64_t cachedSector_ = kNone;
    SectorBuffer cache_{};
};

}  // namespace datrevo
