#include "fat/fat_table.h"

namespace datrevo {

std::uint32_t DecodeFatEntry(ByteView fatSector, std::uint32_t cluster, FatKind kind) {
    if (kind == FatKind::Fat32)
        return fatSector.le32((cluster % fat_table::kEntriesPerSector32) * 4) &
               fat_table::kEntryMask32;
    return fatSector.le16((cluster % fat_table::kEntriesPerSector16) * 2);
}

FatTable::FatTable(const DiskReader& disk, const FatLayout& layout)
    : disk_(disk), firstFat_(layout.firstFat), kind_(KindOf(layout)) {}

std::uint32_t FatTable::entriesPerSector() const {
    return kind_ == FatKind::Fat32 ? fat_table::kEntriesPerSector32
                                   : fat_table::kEntriesPerSector16;
}

std::uint32_t FatTable::lastNext() const {
    return kind_ == FatKind::Fat32 ? fat_table::kLastNext32 : fat_table::kLastNext16;
}

std::optional<std::uint32_t> FatTable::entry(std::uint32_t cluster) {
    const std::uint64_t sector = firstFat_ + sectorIndex(cluster);
    if (sector != cachedSector_) {
        if (disk_.readSector(sector, cache_) == 0) {
            cachedSector_ = kNone;
            return std::nullopt;
        }
        cachedSector_ = sector;
    }
    return DecodeFatEntry(ByteView(cache_.data(), cache_.size()), cluster, kind_);
}

}  // namespace datrevo
