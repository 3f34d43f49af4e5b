#include "fat/fat_content.h"

#include <algorithm>
#include <optional>

#include "base/limits.h"
#include "fat/cluster_chain.h"
#include "fat/fat_kind.h"
#include "fat/fat_table.h"

namespace datrevo {
namespace {

// The first FAT's free marks, over the clusters the volume holds.
class FreeClusters {
public:
    FreeClusters(const DiskReader& disk, const FatLayout& layout, std::uint64_t volumeEnd)
        : table_(disk, layout) {
        const std::uint64_t inFat = std::uint64_t{layout.sectorsPerFat} * table_.entriesPerSector();
        std::uint64_t inVolume = inFat;
        const std::uint64_t end = volumeEnd != 0 ? volumeEnd : disk.totalSectors();
        if (layout.sectorsPerCluster != 0 && end > layout.cluster0Start)
            inVolume = (end - layout.cluster0Start) / layout.sectorsPerCluster;
        limit_ = std::min<std::uint64_t>(
            {inFat, inVolume, std::uint64_t{limits::kMaxFatChainClusters} + 2});
    }

    // One past the last cluster of the volume.
    std::uint64_t limit() const { return limit_; }

    // Whether the FAT marks the cluster free; nothing when its FAT sector cannot be read.
    std::optional<bool> isFree(std::uint32_t cluster) {
        const std::optional<std::uint32_t> value = table_.entry(cluster);
        if (!value) return std::nullopt;
        return *value == 0;
    }

private:
    FatTable table_;
    std::uint64_t limit_ = 0;
};

// Gathers clusters into runs of adjacent ones and reads each run whole.
class ClusterRuns {
public:
    ClusterRuns(const FatLayout& layout, ContentWriter& writer)
        : layout_(layout), writer_(writer) {}
    void add(std::uint32_t cluster) {
        if (count_ != 0 && cluster == first_ + count_) {
            ++count_;
            return;
        }
        flush();
        first_ = cluster;
        count_ = 1;
    }
    void flush() {
        if (count_ == 0) return;
        writer_.sectors(ClusterSector(layout_, first_),
                        std::uint64_t{count_} * layout_.sectorsPerCluster);
        count_ = 0;
    }

private:
    const FatLayout& layout_;
    ContentWriter& writer_;
    std::uint32_t first_ = 0;
    std::uint32_t count_ = 0;
};

}  // namespace

void FatContentReader::describe(const ContentSource& source, ContentWriter& writer,
                                ContentReport& report) const {
    if (source.kind != ContentKind::FatFile) return;
    const FatLayout& layout = layout_;
    if (source.size == 0) return;
    if (!IsValidSectorsPerCluster(layout.sectorsPerCluster)) {
        report.incomplete = true;
        return;
    }
    const std::uint64_t clusterBytes =
        std::uint64_t{layout.sectorsPerCluster} * limits::kSectorSize;
    const std::uint64_t needed = (source.size + clusterBytes - 1) / clusterBytes;
    FreeClusters table(disk(), layout, volumeEnd_);
    const std::uint32_t first = source.firstCluster;
    if (first < 2 || first >= table.limit()) {
        report.incomplete = true;
        return;
    }
    ClusterRuns runs(layout, writer);
    const std::optional<bool> firstFree = table.isFree(first);

    if (firstFree == false && !source.deleted) {
        // A live file: its chain.
        const ClusterChain chain =
            ReadClusterChain(disk(), layout, first, static_cast<std::size_t>(needed));
        for (const std::uint32_t cluster : chain) {
            if (writer.done()) break;
            runs.add(cluster);
        }
        runs.flush();
        return;
    }
    if (firstFree != true) {
        // The first cluster belongs to another file now (or the FAT cannot
        // tell): what lies there and after it on the disk.
        report.overwritten = firstFree == false;
        report.unreadable = report.unreadable || !firstFree.has_value();
        for (std::uint64_t cluster = first; cluster < table.limit() && !writer.done(); ++cluster)
            runs.add(static_cast<std::uint32_t>(cluster));
        runs.flush();
        return;
    }
    // Deleted: the first cluster, then the free clusters after it.
    runs.add(first);
    report.freeClusterGuess = needed > 1;
    std::uint64_t taken = 1;
    for (std::uint64_t cluster = std::uint64_t{first} + 1;
         cluster < table.limit() && taken < needed && !writer.done(); ++cluster) {
        const std::optional<bool> free = table.isFree(static_cast<std::uint32_t>(cluster));
        if (free != true) continue;
        runs.add(static_cast<std::uint32_t>(cluster));
        ++taken;
    }
    runs.flush();
}

}  // namespace datrevo
