#include "exfat/exfat_content.h"

#include <algorithm>
#include <vector>

namespace datrevo {
namespace {

// Clusters read in one request: at most 1 MiB of data at a time.
constexpr std::uint64_t kReadChunkBytes = std::uint64_t{1} << 20;

}  // namespace

ExfatContentClusters ExfatFileClusters(const ExfatVolume& volume, const ExfatEntrySet& set) {
    ExfatContentClusters out;
    // No file is larger than the cluster heap: a larger length is damage, not zeros to hand out.
    const std::uint64_t heapBytes =
        std::uint64_t{volume.boot().clusterCount} * volume.clusterBytes();
    if (set.dataLength > heapBytes) {
        out.tooLarge = true;
        out.clusters.complete = false;
        return out;
    }
    if (set.deleted && !set.noFatChain) {
        out.clusters = ExfatFreeClustersFrom(volume, set.firstCluster, set.validDataLength);
        out.freeClusterGuess = true;
    } else {
        out.clusters =
            ExfatDataClusters(volume, set.firstCluster, set.noFatChain, set.validDataLength);
        out.overwritten = set.deleted && ExfatAnyAllocated(volume, out.clusters);
        // Without the FAT a chained file is read as if contiguous.
        out.withoutFat = !set.noFatChain && !volume.hasFat();
    }
    return out;
}

ExfatContentRead ReadExfatFileContent(
    const ExfatVolume& volume, const ExfatEntrySet& set,
    const std::function<bool(std::span<const std::uint8_t>)>& sink, std::stop_token stop) {
    ExfatContentRead result;
    if (set.dataLength == 0) return result;
    const ExfatContentClusters found = ExfatFileClusters(volume, set);
    if (found.tooLarge) {
        result.complete = false;
        return result;
    }
    const std::uint64_t valid = set.validDataLength;
    const ExfatClusterList& clusters = found.clusters;
    result.mayBeIncomplete = found.freeClusterGuess || found.overwritten || found.withoutFat;
    if (!clusters.complete) result.complete = false;

    std::uint64_t left = valid;
    const std::uint64_t clusterBytes = volume.clusterBytes();
    const std::uint64_t chunkClusters = std::max<std::uint64_t>(1, kReadChunkBytes / clusterBytes);
    std::vector<std::uint8_t> buffer;
    for (const ExfatClusterRun& run : clusters.runs) {
        for (std::uint64_t done = 0; done < run.count && left > 0;) {
            if (stop.stop_requested()) {
                result.complete = false;
                return result;
            }
            const auto count = static_cast<std::uint32_t>(
                std::min<std::uint64_t>(chunkClusters, run.count - done));
            if (!volume.readClusters(static_cast<std::uint32_t>(run.first + done), count, buffer)) {
                result.complete = false;
                return result;
            }
            const std::size_t take =
                static_cast<std::size_t>(std::min<std::uint64_t>(left, buffer.size()));
            if (!sink(std::span<const std::uint8_t>(buffer.data(), take))) {
                result.complete = false;
                return result;
            }
            result.bytesWritten += take;
            left -= take;
            done += count;
        }
    }
    if (left > 0) {
        result.complete = false;
        return result;
    }
    // Past ValidDataLength the file reads as zeros.
    std::uint64_t zeros = set.dataLength - valid;
    const std::vector<std::uint8_t> zero(static_cast<std::size_t>(std::min(zeros, kReadChunkBytes)),
                                         0);
    while (zeros > 0) {
        if (stop.stop_requested()) {
            result.complete = false;
            return result;
        }
        const std::size_t take =
            static_cast<std::size_t>(std::min<std::uint64_t>(zeros, zero.size()));
        if (!sink(std::span<const std::uint8_t>(zero.data(), take))) {
            result.complete = false;
            return result;
        }
        result.bytesWritten += take;
        zeros -= take;
    }
    return result;
}

}  // namespace datrevo
