#include "exfat/exfat_listed_file.h"

#include <algorithm>
#include <vector>

#include "base/byte_view.h"
#include "base/limits.h"

namespace datrevo {
namespace {

// A set of 19 entries (608 bytes) that starts in the last slot of a sector
// ends two sectors later.
constexpr std::uint32_t kSetSpanSectors = 3;
constexpr std::uint32_t kEndOfChain = 0xFFFFFFFF;

bool SizeMatches(std::uint64_t dataLength, std::uint64_t size) {
    return dataLength == size || (dataLength & 0xFFFFFFFFu) == size;
}

}  // namespace

std::optional<ExfatEntrySet> FindExfatEntrySet(const ExfatVolume& volume, std::uint64_t entrySector,
                                               std::uint32_t firstCluster, std::uint64_t size) {
    const std::uint64_t heapSector = volume.clusterDiskByte(2) / limits::kSectorSize;
    const std::uint64_t clusterSectors = volume.clusterBytes() / limits::kSectorSize;
    if (entrySector < heapSector || clusterSectors == 0) return std::nullopt;
    const std::uint64_t index = (entrySector - heapSector) / clusterSectors;
    if (index >= volume.boot().clusterCount) return std::nullopt;
    const auto cluster = static_cast<std::uint32_t>(index + 2);
    const std::uint64_t inCluster = (entrySector - heapSector) % clusterSectors;

    const auto here = static_cast<std::uint32_t>(
        std::min<std::uint64_t>(kSetSpanSectors, clusterSectors - inCluster));
    std::vector<std::uint8_t> bytes = volume.disk().readRun(entrySector, here);
    if (here < kSetSpanSectors) {
        // The directory goes on in the cluster its FAT entry names, or, when
        // it has none (a contiguous directory), in the next one.
        std::uint32_t next = cluster + 1;
        const std::optional<std::uint32_t> entry = volume.fatEntry(cluster);
        if (entry && *entry != kEndOfChain && volume.isDataCluster(*entry)) next = *entry;
        if (volume.isDataCluster(next)) {
            const std::vector<std::uint8_t> more = volume.disk().readRun(
                volume.clusterDiskByte(next) / limits::kSectorSize, kSetSpanSectors - here);
            bytes.insert(bytes.end(), more.begin(), more.end());
        }
    }

    const ByteView view(bytes);
    for (std::size_t at = 0; at < limits::kSectorSize && view.has(at, exfat_entry::kSize);
         at += exfat_entry::kSize) {
        if ((view.u8(at + exfat_entry::kType) | exfat_entry::kInUse) != exfat_entry::kFile)
            continue;
        ExfatSetDecode decoded = DecodeExfatEntrySet(view.span().subspan(at));
        if (decoded.outcome != ExfatDecode::Decoded) continue;
        if (decoded.set.isDirectory() || decoded.set.firstCluster != firstCluster ||
            !SizeMatches(decoded.set.dataLength, size))
            continue;
        return std::move(decoded.set);
    }
    return std::nullopt;
}

ExfatEntrySet ExfatSetOfListedFile(const ExfatVolume& volume, std::uint64_t entrySector,
                                   std::uint32_t firstCluster, std::uint64_t size, bool deleted) {
    if (std::optional<ExfatEntrySet> found =
            FindExfatEntrySet(volume, entrySector, firstCluster, size)) {
        found->deleted = found->deleted || deleted;
        return std::move(*found);
    }
    ExfatEntrySet set;
    set.firstCluster = firstCluster;
    set.dataLength = size;
    set.validDataLength = size;
    set.deleted = deleted;
    if (!deleted) {
        const std::optional<std::uint32_t> entry = volume.fatEntry(firstCluster);
        set.noFatChain = entry && *entry == 0;
    }
    return set;
}

}  // namespace datrevo
