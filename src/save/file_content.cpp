#include "save/file_content.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "base/byte_view.h"
#include "base/limits.h"
#include "fat/cluster_chain.h"
#include "fat/fat_kind.h"
#include "ntfs/file_data.h"

namespace datrevo {
namespace {

constexpr std::size_t kChunkBytes = limits::kSaveChunkSectors * limits::kSectorSize;

// Hands sectors and zeros to the sink through one buffer, counting what is
// left of the file's size.
class ChunkWriter {
public:
    ChunkWriter(const DiskReader& disk, const ChunkSink& sink, std::uint64_t size, ContentReport& report)
        : disk_(disk), sink_(sink), remaining_(size), report_(report), buffer_(kChunkBytes) {
        report_.size = size;
    }

    bool done() const { return remaining_ == 0 || report_.interrupted; }
    // The file's real size turned out other than listed (NTFS records say it).
    void setSize(std::uint64_t size) {
        report_.size = size;
        remaining_ = size > report_.bytes ? size - report_.bytes : 0;
    }

    // Sectors [first, first + count) of the disk, cut at the size.
    void sectors(std::uint64_t first, std::uint64_t count) {
        while (count > 0 && !done()) {
            const auto batch = static_cast<std::uint32_t>(std::min<std::uint64_t>(count, limits::kSaveChunkSectors));
            const std::size_t wanted = static_cast<std::size_t>(
                std::min<std::uint64_t>(remaining_, std::uint64_t{batch} * limits::kSectorSize));
            const auto needed = static_cast<std::uint32_t>((wanted + limits::kSectorSize - 1) / limits::kSectorSize);
            std::fill(buffer_.begin(), buffer_.begin() + std::ptrdiff_t(needed * limits::kSectorSize), 0);
            if (disk_.ReadSectors(first, needed, buffer_.data()) == 0) report_.unreadable = true;
            emit(std::span<const std::uint8_t>(buffer_.data(), wanted));
            first += batch;
            count -= batch;
        }
    }

    // `count` zero bytes (a sparse run), cut at the size.
    void zeros(std::uint64_t count) {
        std::fill(buffer_.begin(), buffer_.end(), 0);
        while (count > 0 && !done()) {
            const std::size_t wanted = static_cast<std::size_t>(
                std::min<std::uint64_t>({count, remaining_, kChunkBytes}));
            emit(std::span<const std::uint8_t>(buffer_.data(), wanted));
            count -= wanted;
        }
    }

    void bytes(std::span<const std::uint8_t> data) {
        while (!data.empty() && !done()) {
            const std::size_t wanted = static_cast<std::size_t>(
                std::min<std::uint64_t>({data.size(), remaining_, kChunkBytes}));
            emit(data.first(wanted));
            data = data.subspan(wanted);
        }
    }

private:
    void emit(std::span<const std::uint8_t> piece) {
        if (!sink_(piece)) {
            report_.interrupted = true;
            return;
        }
        remaining_ -= piece.size();
        report_.bytes += piece.size();
    }

    const DiskReader& disk_;
    const ChunkSink& sink_;
    std::uint64_t remaining_;
    ContentReport& report_;
    std::vector<std::uint8_t> buffer_;
};

// The entries of the first FAT, one cached sector at a time.
//
// FAT16: the 16-bit word at byte (n mod 256) x 2 of sector firstFAT + n / 256.
// FAT32: the 32-bit word at byte (n mod 128) x 4 of sector firstFAT + n / 128,
// of which the low 28 bits count. 0 marks a free cluster.
class FatTable {
public:
    FatTable(const DiskReader& disk, const FatLayout& layout, std::uint64_t volumeEnd)
        : disk_(disk), layout_(layout), fat32_(KindOf(layout) == FatKind::Fat32) {
        const std::uint64_t perSector = fat32_ ? 128 : 256;
        const std::uint64_t inFat = std::uint64_t{layout.sectorsPerFat} * perSector;
        std::uint64_t inVolume = inFat;
        const std::uint64_t end = volumeEnd != 0 ? volumeEnd : disk.totalSectors();
        if (layout.sectorsPerCluster != 0 && end > layout.cluster0Start)
            inVolume = (end - layout.cluster0Start) / layout.sectorsPerCluster;
        limit_ = std::min<std::uint64_t>({inFat, inVolume, std::uint64_t{limits::kMaxFatChainClusters} + 2});
    }

    // One past the last cluster of the volume.
    std::uint64_t limit() const { return limit_; }

    // Whether the FAT marks the cluster free; nothing when its FAT sector cannot be read.
    std::optional<bool> isFree(std::uint32_t cluster) {
        const std::uint32_t perSector = fat32_ ? 128 : 256;
        const std::uint64_t sector = std::uint64_t{layout_.firstFat} + cluster / perSector;
        if (sector != cachedSector_) {
            if (disk_.readSector(sector, cache_) == 0) {
                cachedSector_ = kNone;
                return std::nullopt;
            }
            cachedSector_ = sector;
        }
        const ByteView view(cache_.data(), cache_.size());
        if (fat32_) return (view.le32((cluster % perSector) * 4) & 0x0FFFFFFF) == 0;
        return view.le16((cluster % perSector) * 2) == 0;
    }

private:
    static constexpr std::uint64_t kNone = ~std::uint64_t{0};
    const DiskReader& disk_;
    const FatLayout& layout_;
    bool fat32_;
    std::uint64_t limit_ = 0;
    std::uint64_t cachedSector_ = kNone;
    SectorBuffer cache_{};
};

// Gathers clusters into runs of adjacent ones and reads each run whole.
class ClusterRuns {
public:
    ClusterRuns(const FatLayout& layout, ChunkWriter& writer) : layout_(layout), writer_(writer) {}
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
        writer_.sectors(ClusterSector(layout_, first_), std::uint64_t{count_} * layout_.sectorsPerCluster);
        count_ = 0;
    }

private:
    const FatLayout& layout_;
    ChunkWriter& writer_;
    std::uint32_t first_ = 0;
    std::uint32_t count_ = 0;
};

void ReadFatContent(const ContentSource& source, const SourceVolume& volume, ChunkWriter& writer,
                    ContentReport& report) {
    const FatLayout& layout = volume.layout;
    if (source.size == 0) return;
    if (!IsValidSectorsPerCluster(layout.sectorsPerCluster)) {
        report.incomplete = true;
        return;
    }
    const std::uint64_t clusterBytes = std::uint64_t{layout.sectorsPerCluster} * limits::kSectorSize;
    const std::uint64_t needed = (source.size + clusterBytes - 1) / clusterBytes;
    FatTable table(volume.disk, layout, volume.volumeEnd);
    const std::uint32_t first = source.firstCluster;
    if (first < 2 || first >= table.limit()) {
        report.incomplete = true;
        return;
    }
    ClusterRuns runs(layout, writer);
    const std::optional<bool> firstFree = table.isFree(first);

    if (firstFree == false && !source.deleted) {
        // A live file: its chain.
        const ClusterChain chain = ReadClusterChain(volume.disk, layout, first,
                                                    static_cast<std::size_t>(needed));
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
    for (std::uint64_t cluster = std::uint64_t{first} + 1; cluster < table.limit() && taken < needed;
         ++cluster) {
        const std::optional<bool> free = table.isFree(static_cast<std::uint32_t>(cluster));
        if (free != true) continue;
        runs.add(static_cast<std::uint32_t>(cluster));
        ++taken;
        if (writer.done()) break;
    }
    runs.flush();
}

void ReadNtfsContent(const ContentSource& source, const SourceVolume& volume, ChunkWriter& writer,
                     ContentReport& report) {
    if (source.recordSector == 0) {
        report.incomplete = source.size != 0;
        return;
    }
    const std::optional<NtfsFileData> data =
        LocateNtfsFileData(volume.disk, source.recordSector, volume.layout.cluster0Start,
                           volume.layout.sectorsPerCluster, volume.mftRuns);
    if (!data) {
        report.incomplete = source.size != 0;
        return;
    }
    if (!data->complete) report.incomplete = true;
    writer.setSize(data->size);
    if (data->resident) {
        writer.bytes(data->content);
        return;
    }
    for (const MftRun& run : data->runs) {
        if (writer.done()) break;
        if (run.startSector == 0)
            writer.zeros(run.sectorCount * limits::kSectorSize);
        else
            writer.sectors(run.startSector, run.sectorCount);
    }
}

}  // namespace

ContentReport ReadFileContent(const ContentSource& source, const SourceVolume& volume,
                              const ChunkSink& sink) {
    ContentReport report;
    ChunkWriter writer(volume.disk, sink, source.size, report);
    switch (source.kind) {
        case ContentKind::FatFile: ReadFatContent(source, volume, writer, report); break;
        case ContentKind::NtfsRecord: ReadNtfsContent(source, volume, writer, report); break;
        case ContentKind::None: break;
    }
    if (!report.interrupted && report.bytes < report.size) report.incomplete = true;
    return report;
}

}  // namespace datrevo
