#include "exfat/exfat_geometry_inference.h"

#include <algorithm>

namespace datrevo {
namespace {

// Links and sectors that vote, and the candidates per cluster size checked
// against all the links: the votes cost links x sectors per cluster size.
// Every found sector votes up to 65536 of them; past that a sample does, and
// the real heap, whose votes then shrink with the sample, may lose to
// chance (a volume with more folders than that keeps its boot region far
// more often than not).
constexpr std::size_t kVotingLinks = 32;
constexpr std::size_t kVotingSectors = std::size_t{1} << 16;
constexpr std::size_t kCandidatesPerSize = 16;
// Links every candidate is checked against: all of them on any real volume.
constexpr std::size_t kCheckedLinks = 4096;

std::vector<std::uint32_t> DistinctClusters(std::span<const std::uint32_t> links) {
    std::vector<std::uint32_t> out;
    for (std::uint32_t cluster : links)
        if (cluster >= 2) out.push_back(cluster);
    std::sort(out.begin(), out.end());
    out.erase(std::unique(out.begin(), out.end()), out.end());
    return out;
}

// At most `n` values spread evenly over `values` (all of them when fewer).
template <typename T>
std::vector<T> Spread(std::span<const T> values, std::size_t n) {
    if (values.size() <= n) return {values.begin(), values.end()};
    std::vector<T> out;
    out.reserve(n);
    for (std::size_t i = 0; i < n; ++i) out.push_back(values[i * values.size() / n]);
    return out;
}

// The sector of `cluster`; false when it does not fit 64 bits.
bool SectorOf(std::uint64_t heapStart, std::uint32_t sectorsPerCluster, std::uint32_t cluster,
              std::uint64_t& sector) {
    const std::uint64_t offset = std::uint64_t{cluster - 2} * sectorsPerCluster;  // < 2^48
    return !__builtin_add_overflow(heapStart, offset, &sector);
}

struct Vote {
    std::uint64_t heapStart = 0;
    std::size_t votes = 0;
};

// The heaps with the most votes for one cluster size.
std::vector<Vote> TopVotes(const std::vector<std::uint32_t>& voters,
                           const std::vector<std::uint64_t>& sectors,
                           std::uint32_t sectorsPerCluster) {
    std::vector<std::uint64_t> heaps;
    heaps.reserve(voters.size() * sectors.size());
    for (std::uint32_t cluster : voters) {
        const std::uint64_t offset = std::uint64_t{cluster - 2} * sectorsPerCluster;
        for (std::uint64_t sector : sectors)
            if (sector >= offset) heaps.push_back(sector - offset);
    }
    std::sort(heaps.begin(), heaps.end());
    std::vector<Vote> votes;
    for (std::size_t i = 0; i < heaps.size();) {
        std::size_t j = i;
        while (j < heaps.size() && heaps[j] == heaps[i]) ++j;
        votes.push_back({heaps[i], j - i});
        i = j;
    }
    const std::size_t keep = std::min(kCandidatesPerSize, votes.size());
    std::partial_sort(votes.begin(), votes.begin() + static_cast<std::ptrdiff_t>(keep), votes.end(),
                      [](const Vote& a, const Vote& b) {
                          return a.votes != b.votes ? a.votes > b.votes : a.heapStart < b.heapStart;
                      });
    votes.resize(keep);
    return votes;
}

// As ExfatLinksExplained, over clusters already distinct.
std::size_t CountExplained(std::span<const std::uint64_t> targetSectors,
                           std::span<const std::uint32_t> clusters, std::uint64_t heapStart,
                           std::uint32_t sectorsPerCluster) {
    std::size_t explained = 0;
    for (std::uint32_t cluster : clusters) {
        std::uint64_t sector = 0;
        if (SectorOf(heapStart, sectorsPerCluster, cluster, sector) &&
            std::binary_search(targetSectors.begin(), targetSectors.end(), sector))
            ++explained;
    }
    return explained;
}

}  // namespace

std::size_t ExfatLinksExplained(std::span<const std::uint64_t> targetSectors,
                                std::span<const std::uint32_t> linkClusters,
                                std::uint64_t heapStart, std::uint32_t sectorsPerCluster) {
    return CountExplained(targetSectors, DistinctClusters(linkClusters), heapStart,
                          sectorsPerCluster);
}

std::vector<ExfatGeometryCandidate> InferExfatClusterGeometry(
    std::span<const std::uint64_t> targetSectors, std::span<const std::uint32_t> linkClusters,
    std::size_t limit, std::size_t minimumExplained) {
    minimumExplained = std::max<std::size_t>(minimumExplained, 1);
    const std::vector<std::uint32_t> clusters = DistinctClusters(linkClusters);
    if (clusters.size() < minimumExplained || targetSectors.empty() || limit == 0) return {};
    const std::vector<std::uint32_t> voters =
        Spread(std::span<const std::uint32_t>(clusters), kVotingLinks);
    const std::vector<std::uint64_t> sectors = Spread(targetSectors, kVotingSectors);
    const std::vector<std::uint32_t> checked =
        Spread(std::span<const std::uint32_t>(clusters), kCheckedLinks);

    std::vector<ExfatGeometryCandidate> candidates;
    for (std::uint32_t shift = 0; shift <= kMaxExfatClusterShift512; ++shift) {
        const std::uint32_t spc = std::uint32_t{1} << shift;
        for (const Vote& vote : TopVotes(voters, sectors, spc)) {
            const std::size_t explained =
                CountExplained(targetSectors, checked, vote.heapStart, spc);
            if (explained >= minimumExplained)
                candidates.push_back({vote.heapStart, spc, explained});
        }
    }
    std::sort(candidates.begin(), candidates.end(),
              [](const ExfatGeometryCandidate& a, const ExfatGeometryCandidate& b) {
                  if (a.linksExplained != b.linksExplained)
                      return a.linksExplained > b.linksExplained;
                  if (a.sectorsPerCluster != b.sectorsPerCluster)
                      return a.sectorsPerCluster < b.sectorsPerCluster;
                  return a.heapStart < b.heapStart;
              });
    if (candidates.size() > limit) candidates.resize(limit);
    return candidates;
}

}  // namespace datrevo
