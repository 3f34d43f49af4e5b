#include "fat/cluster_chain.h"

#include <algorithm>
#include <unordered_set>

#include "base/byte_view.h"
#include "base/limits.h"
#include "fat/fat_kind.h"

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

    const bool fat32 = KindOf(layout) == FatKind::Fat32;
    const std::uint32_t entriesPerSector = fat32 ? 128 : 256;
    const std::uint32_t lastNext = fat32 ? 0x0FFFFFF6u : 0xFFF6u;

    SectorBuffer fatSector{};
    std::uint64_t loadedIndex = UINT64_MAX;
    RepeatGuard repeats;
    std::uint32_t n = firstCluster;
    while (chain.size() < maxClusters) {
        const std::uint32_t index = n / entriesPerSector;
        if (index > layout.sectorsPerFat) break;
        if (index != loadedIndex) {
            if (disk.readSector(static_cast<std::uint64_t>(layout.firstFat) + index, fatSector) == 0)
                break;
            loadedIndex = index;
        }
        const ByteView view(fatSector.data(), fatSector.size());
        const std::uint32_t at = n % entriesPerSector;
        const std::uint32_t value = fat32 ? (view.le32(at * 4) & 0x0FFFFFFFu) : view.le16(at * 2);
        if (value < 2 || value > lastNext) break;
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
