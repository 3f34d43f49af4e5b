#include "exfat/exfat_volume.h"

#include <algorithm>
#include <unordered_set>

#include "base/byte_view.h"

namespace datrevo {
namespace {

constexpr std::uint32_t kFatEntryBytes = 4;
// FAT values that end a chain: bad cluster and end of chain.
constexpr std::uint32_t kBadCluster = 0xFFFFFFF7;
constexpr std::uint32_t kEndOfChain = 0xFFFFFFFF;

}  // namespace

ExfatVolume::ExfatVolume(DiskReader disk, std::uint64_t volumeStart, const ExfatBootSector& boot)
    : disk_(std::move(disk)), volumeStart_(volumeStart), boot_(boot) {}

std::uint64_t ExfatVolume::clusterDiskByte(std::uint32_t cluster) const {
    // Checked boot fields: heap offset < 2^32 sectors, cluster index < 2^32,
    // cluster size <= 32 MiB, so every term stays far below 2^64.
    const std::uint64_t heapByte = std::uint64_t{boot_.clusterHeapOffset}
                                   << boot_.bytesPerSectorShift;
    return volumeStart_ * limits::kSectorSize + heapByte +
           std::uint64_t{cluster - 2} * clusterBytes();
}

bool ExfatVolume::readClusters(std::uint32_t cluster, std::uint32_t count,
                               std::vector<std::uint8_t>& out) const {
    if (count == 0 || !isDataCluster(cluster) ||
        std::uint64_t{cluster} - 2 + count > boot_.clusterCount)
        return false;
    const std::uint64_t byte = clusterDiskByte(cluster);
    const std::uint64_t length = clusterBytes() * count;
    // Clusters are whole disk sectors: the heap starts on a sector of at least 512 bytes.
    const std::uint64_t sectors = length / limits::kSectorSize;
    if (sectors > 0xFFFFFFFFu) return false;
    out = disk_.readRun(byte / limits::kSectorSize, static_cast<std::uint32_t>(sectors));
    return out.size() == length;
}

std::optional<std::uint32_t> ExfatVolume::fatEntry(std::uint32_t cluster) const {
    if (!hasFat() || std::uint64_t{cluster} >= std::uint64_t{boot_.clusterCount} + 2)
        return std::nullopt;
    const std::uint64_t fatByte = (std::uint64_t{boot_.fatOffset} << boot_.bytesPerSectorShift) +
                                  std::uint64_t{cluster} * kFatEntryBytes;
    const std::uint64_t sector = volumeStart_ + fatByte / limits::kSectorSize;
    if (sector != cachedFatSector_) {
        cachedFat_.fill(0);
        disk_.readSector(sector, cachedFat_);
        cachedFatSector_ = sector;
    }
    return ByteView(cachedFat_.data(), cachedFat_.size()).le32(fatByte % limits::kSectorSize);
}

bool ExfatVolume::loadBitmap(std::uint32_t firstCluster, std::uint64_t dataLength) {
    const std::uint64_t needed = (std::uint64_t{boot_.clusterCount} + 7) / 8;
    if (dataLength < needed || !isDataCluster(firstCluster)) return false;
    const std::uint64_t clusters = (needed + clusterBytes() - 1) / clusterBytes();
    std::vector<std::uint8_t> bytes;
    // The bitmap is written contiguously by every formatter; follow the FAT
    // when the run would leave the heap.
    ExfatClusterList list = ExfatFatChain(*this, firstCluster, clusters);
    if (list.clusters < clusters) list = ExfatDataClusters(*this, firstCluster, true, needed);
    if (list.clusters < clusters) return false;
    for (const ExfatClusterRun& run : list.runs) {
        std::vector<std::uint8_t> part;
        if (!readClusters(run.first, run.count, part)) return false;
        bytes.insert(bytes.end(), part.begin(), part.end());
    }
    bytes.resize(static_cast<std::size_t>(needed));
    bitmap_ = std::move(bytes);
    return true;
}

bool ExfatVolume::isAllocated(std::uint32_t cluster) const {
    if (!isDataCluster(cluster) || bitmap_.empty()) return true;
    const std::uint32_t bit = cluster - 2;
    return (bitmap_[bit / 8] >> (bit % 8)) & 1;
}

ExfatClusterList ExfatFatChain(const ExfatVolume& volume, std::uint32_t firstCluster,
                               std::uint64_t maxClusters) {
    ExfatClusterList list;
    const std::uint64_t bound = std::min<std::uint64_t>(maxClusters, volume.boot().clusterCount);
    std::unordered_set<std::uint32_t> seen;
    std::uint32_t cluster = firstCluster;
    while (list.clusters < bound) {
        if (!volume.isDataCluster(cluster) || !seen.insert(cluster).second) {
            list.complete = false;
            return list;
        }
        list.add(cluster);
        const std::optional<std::uint32_t> next = volume.fatEntry(cluster);
        if (!next || *next == kEndOfChain) return list;
        if (*next == kBadCluster || *next == 0) {
            list.complete = false;
            return list;
        }
        cluster = *next;
    }
    return list;
}

ExfatClusterList ExfatDataClusters(const ExfatVolume& volume, std::uint32_t firstCluster,
                                   bool noFatChain, std::uint64_t bytes) {
    const std::uint64_t needed = (bytes + volume.clusterBytes() - 1) / volume.clusterBytes();
    if (needed == 0) return {};
    if (!noFatChain && volume.hasFat()) {
        ExfatClusterList list = ExfatFatChain(volume, firstCluster, needed);
        if (list.clusters < needed) list.complete = false;
        return list;
    }
    ExfatClusterList list;
    const std::uint64_t available =
        volume.isDataCluster(firstCluster)
            ? volume.boot().clusterCount - (std::uint64_t{firstCluster} - 2)
            : 0;
    const std::uint64_t count = std::min(needed, available);
    list.complete = count == needed;
    if (count > 0) list.runs.push_back({firstCluster, static_cast<std::uint32_t>(count)});
    list.clusters = count;
    return list;
}

}  // namespace datrevo

namespace datrevo {

ExfatClusterList ExfatFreeClustersFrom(const ExfatVolume& volume, std::uint32_t firstCluster,
                                       std::uint64_t bytes) {
    const std::uint64_t needed = (bytes + volume.clusterBytes() - 1) / volume.clusterBytes();
    ExfatClusterList list;
    if (needed == 0) return list;
    if (!volume.isDataCluster(firstCluster)) {
        list.complete = false;
        return list;
    }
    list.add(firstCluster);
    const std::uint64_t last = std::uint64_t{volume.boot().clusterCount} + 1;
    for (std::uint64_t c = std::uint64_t{firstCluster} + 1; list.clusters < needed && c <= last;
         ++c)
        if (!volume.isAllocated(static_cast<std::uint32_t>(c)))
            list.add(static_cast<std::uint32_t>(c));
    list.complete = list.clusters == needed;
    return list;
}

bool ExfatAnyAllocated(const ExfatVolume& volume, const ExfatClusterList& list) {
    for (const ExfatClusterRun& run : list.runs)
        for (std::uint64_t i = 0; i < run.count; ++i)
            if (volume.isAllocated(static_cast<std::uint32_t>(run.first + i))) return true;
    return false;
}

}  // namespace datrevo
