#include "fat/cluster_chain.h"

#include <algorithm>
#include <optional>
#include <unordered_set>

#include "base/limits.h"
#include "fat/fat_table.h"

namespace datrevo {
namespace {

// Chains up to this length are checked for a repeat by a plain search; longer
// ones keep a set of the clusters seen.
constexpr std::size_t kLinearRepeatCheck = 64;

class RepeatGuard {
public:
    bool seen(const ClusterChain& chain, std::uint32_t cluster) {
        if (chain.size() <= kLinearRepeatCheck)
            return std::find(chain.begin(), chain.end(), cluster) != chain.end();
        if (set_.empty()) set_.insert(chain.begin(), chain.end());
        return !set_.insert(cluster).second;
    }

private:
    std::unordered_set<std::uint32_t> set_;
};

}  // namespace

ClusterChain ReadClusterChain(const DiskReader& disk, const FatLayout& layout,
                              std::uint32_t firstCluster, std::size_t maxClusters) {
    ClusterChain chain{firstCluster};
    if (layout.firstFat == 0 || maxClusters <= 1) return chain;

    FatTable table(disk, layout);
    RepeatGuard repeats;
    std::uint32_t n = firstCluster;
    while (chain.size() < maxClusters) {
        if (table.sectorIndex(n) > layout.sectorsPerFat) break;
        const std::optional<std::uint32_t> next = table.entry(n);
        if (!next) break;
        const std::uint32_t value = *next;
        if (value < 2 || value > table.lastNext()) break;
        if (repeats.seen(chain, value)) break;
        chain.push_back(value);
        n = value;
    }
    return chain;
}

ClusterChain ReadClusterChain(const DiskReader& disk, const FatLayout& layout,
                              std::uint32_t firstCluster) {
    return ReadClusterChain(disk, layout, firstCluster, limits::kMaxFatChainClusters);
}

}  // namespace datrevo
