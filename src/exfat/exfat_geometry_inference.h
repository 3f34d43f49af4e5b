// The cluster size and cluster heap of an exFAT volume whose boot region is
// gone, from what the Advance scan found: directory sectors (which do not
// know their cluster numbers) and folder links (entry sets naming a
// folder's first cluster). A link to cluster c whose folder was found at
// sector d satisfies d = heap + (c - 2) x SPC; the (SPC, heap) that puts the
// most links on found directory sectors is the volume's.
//
// Candidates come from votes: every (link, directory sector) pair gives one
// heap for each cluster size. Only a sample of the links votes (the sample
// spread over the whole range of cluster numbers), and every candidate is
// then checked against all the links (a sample of 4096 on a volume with more
// folders than that).
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace datrevo {

// Cluster sizes in 512-byte sectors: 1 .. 65536 (512 bytes to 32 MiB).
inline constexpr std::uint32_t kMaxExfatClusterShift512 = 16;

struct ExfatGeometryCandidate {
    std::uint64_t heapStart = 0;  // disk sector of cluster 2
    std::uint32_t sectorsPerCluster = 0;
    std::size_t linksExplained = 0;  // distinct linked clusters that land on a found sector
};

// The best candidates first (most links explained; then the smaller
// cluster), at most `limit`. `targetSectors` must be sorted. Only
// candidates that explain at least `minimumExplained` distinct links are
// returned.
std::vector<ExfatGeometryCandidate> InferExfatClusterGeometry(
    std::span<const std::uint64_t> targetSectors, std::span<const std::uint32_t> linkClusters,
    std::size_t limit, std::size_t minimumExplained = 2);

// How many distinct linked clusters land on a found sector with this geometry.
std::size_t ExfatLinksExplained(std::span<const std::uint64_t> targetSectors,
                                std::span<const std::uint32_t> linkClusters,
                                std::uint64_t heapStart, std::uint32_t sectorsPerCluster);

}  // namespace datrevo
