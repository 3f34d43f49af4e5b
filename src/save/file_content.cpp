#include "save/file_content.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "base/byte_view.h"
#include "base/limits.h"
#include "exfat/exfat_content.h"
#include "exfat/exfat_layout.h"
#include "exfat/exfat_listed_file.h"
#include "fat/cluster_chain.h"
#include "fat/fat_kind.h"
#include "fat/fat_table.h"
#include "ntfs/file_data.h"
#include "ntfs/lznt1.h"

namespace datrevo {
namespace {

constexpr std::size_t kChunkBytes = limits::kSaveChunkSectors * limits::kSectorSize;

// Hands sectors and zeros to the sink through one buffer, counting what is
// left of the file's size.
class ChunkWriter {
public:
    ChunkWriter(const DiskReader& disk, const ChunkSink& sink, std::uint64_t size,
                ContentReport& report)
        : disk_(disk), sink_(sink), remaining_(size), report_(report), buffer_(kChunkBytes) {
        report_.size = size;
    }

    // Reports where each piece taken straight from the disk lies; with
    // `mapOnly` those sectors are not read and nothing reaches the sink.
    void setExtents(const ExtentSink* extents, bool mapOnly) {
        extents_ = extents;
        mapOnly_ = mapOnly;
    }

    bool done() const { return remaining_ == 0 || report_.interrupted; }
    // The file's real size turned out other than listed (NTFS records say it).
    void setSize(std::uint64_t size) {
        report_.size = size;
        remaining_ = size > report_.bytes ? size - report_.bytes : 0;
    }

    // Bytes of the file from `valid` on are given as zeros (NTFS: past the
    // initialized size, the clusters hold whatever was there before).
    void setValidSize(std::uint64_t valid) { valid_ = valid; }

    // Sectors [first, first + count) of the disk, cut at the size.
    void sectors(std::uint64_t first, std::uint64_t count) {
        while (count > 0 && !done()) {
            const auto batch = static_cast<std::uint32_t>(
                std::min<std::uint64_t>(count, limits::kSaveChunkSectors));
            const std::size_t wanted = static_cast<std::size_t>(
                std::min<std::uint64_t>(remaining_, std::uint64_t{batch} * limits::kSectorSize));
            const auto needed = static_cast<std::uint32_t>((wanted + limits::kSectorSize - 1) /
                                                           limits::kSectorSize);
            const std::uint64_t fileOffset = report_.bytes;
            if (!mapOnly_) {
                std::fill(buffer_.begin(),
                          buffer_.begin() + std::ptrdiff_t(needed * limits::kSectorSize), 0);
                if (disk_.ReadSectors(first, needed, buffer_.data()) == 0)
                    report_.unreadable = true;
            }
            emit(std::span<const std::uint8_t>(buffer_.data(), wanted));
            // Bytes past the valid size are given as zeros, not from the disk.
            const std::uint64_t fromDisk =
                fileOffset >= valid_ ? 0 : std::min<std::uint64_t>(wanted, valid_ - fileOffset);
            if (extents_ != nullptr && *extents_ && fromDisk != 0 && !report_.interrupted)
                (*extents_)(fileOffset, first * limits::kSectorSize, fromDisk);
            first += batch;
            count -= batch;
        }
    }

    // `count` zero bytes (a sparse run), cut at the size.
    void zeros(std::uint64_t count) {
        std::fill(buffer_.begin(), buffer_.end(), 0);
        while (count > 0 && !done()) {
            const std::size_t wanted =
                static_cast<std::size_t>(std::min<std::uint64_t>({count, remaining_, kChunkBytes}));
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
        if (report_.bytes + piece.size() > valid_) {
            const std::uint64_t keep = report_.bytes < valid_ ? valid_ - report_.bytes : 0;
            scratch_.assign(piece.begin(), piece.end());
            std::fill(scratch_.begin() + static_cast<std::ptrdiff_t>(keep), scratch_.end(),
                      std::uint8_t{0});
            piece = scratch_;
        }
        if (!mapOnly_ && !sink_(piece)) {
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
    std::uint64_t valid_ = ~std::uint64_t{0};
    std::vector<std::uint8_t> scratch_;
    const ExtentSink* extents_ = nullptr;
    bool mapOnly_ = false;
};

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
        writer_.sectors(ClusterSector(layout_, first_),
                        std::uint64_t{count_} * layout_.sectorsPerCluster);
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
    const std::uint64_t clusterBytes =
        std::uint64_t{layout.sectorsPerCluster} * limits::kSectorSize;
    const std::uint64_t needed = (source.size + clusterBytes - 1) / clusterBytes;
    FreeClusters table(volume.disk, layout, volume.volumeEnd);
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
            ReadClusterChain(volume.disk, layout, first, static_cast<std::size_t>(needed));
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
         cluster < table.limit() && taken < needed; ++cluster) {
        const std::optional<bool> free = table.isFree(static_cast<std::uint32_t>(cluster));
        if (free != true) continue;
        runs.add(static_cast<std::uint32_t>(cluster));
        ++taken;
        if (writer.done()) break;
    }
    runs.flush();
}

void ReadExfatContent(const ContentSource& source, const SourceVolume& volume, ChunkWriter& writer,
                      ContentReport& report) {
    std::shared_ptr<const ExfatVolume> exfat = volume.exfat;
    if (!exfat) exfat = OpenExfatVolume(volume.disk, volume.layout);
    if (!exfat) {
        report.incomplete = source.size != 0;
        return;
    }
    const ExfatEntrySet set = ExfatSetOfListedFile(*exfat, source.recordSector, source.firstCluster,
                                                   source.size, source.deleted);
    writer.setSize(set.dataLength);
    if (set.dataLength == 0) return;
    if (set.validDataLength < set.dataLength) writer.setValidSize(set.validDataLength);
    const ExfatContentClusters found = ExfatFileClusters(*exfat, set);
    report.freeClusterGuess = found.freeClusterGuess;
    report.overwritten = found.overwritten;
    if (found.tooLarge) {
        report.incomplete = true;
        return;
    }
    const std::uint64_t clusterSectors = exfat->clusterBytes() / limits::kSectorSize;
    for (const ExfatClusterRun& run : found.clusters.runs) {
        if (writer.done()) break;
        writer.sectors(exfat->clusterDiskByte(run.first) / limits::kSectorSize,
                       std::uint64_t{run.count} * clusterSectors);
    }
    // Past ValidDataLength the file reads as zeros, on no cluster at all;
    // a chain cut short before it leaves the copy short.
    if (report.bytes >= set.validDataLength)
        writer.zeros(set.dataLength - std::min(set.dataLength, report.bytes));
}

void Fail(ContentReport& report, ContentFailure failure) {
    if (report.failure == ContentFailure::None) report.failure = failure;
}

// The runs of a non-resident NTFS attribute, read within the volume: sectors
// past its end are given as zeros and noted.
class NtfsRunReader {
public:
    NtfsRunReader(const SourceVolume& volume, ChunkWriter& writer, ContentReport& report)
        : disk_(volume.disk),
          end_(volume.volumeEnd != 0 ? volume.volumeEnd : volume.disk.totalSectors()),
          writer_(writer),
          report_(report) {}

    // A run as it is stored (a sparse one as zeros).
    void plain(const MftRun& run) {
        if (run.startSector == 0) {
            writer_.zeros(run.sectorCount * limits::kSectorSize);
            return;
        }
        const std::uint64_t inside = insideCount(run);
        writer_.sectors(run.startSector, inside);
        if (inside < run.sectorCount)
            writer_.zeros((run.sectorCount - inside) * limits::kSectorSize);
    }

    // Reads the sectors of a run into `out` (count x 512 bytes), zeros past
    // the volume's end or where unreadable.
    void load(const MftRun& run, std::uint8_t* out) {
        const std::uint64_t inside = insideCount(run);
        std::fill_n(out, run.sectorCount * limits::kSectorSize, std::uint8_t{0});
        for (std::uint64_t done = 0; done < inside;) {
            const auto batch = static_cast<std::uint32_t>(
                std::min<std::uint64_t>(inside - done, limits::kSaveChunkSectors));
            if (disk_.ReadSectors(run.startSector + done, batch,
                                  out + done * limits::kSectorSize) == 0)
                report_.unreadable = true;
            done += batch;
        }
    }

private:
    std::uint64_t insideCount(const MftRun& run) {
        if (run.startSector >= end_) {
            Fail(report_, ContentFailure::OutsideVolume);
            return 0;
        }
        if (run.sectorCount > end_ - run.startSector) {
            Fail(report_, ContentFailure::OutsideVolume);
            return end_ - run.startSector;
        }
        return run.sectorCount;
    }

    const DiskReader& disk_;
    std::uint64_t end_;
    ChunkWriter& writer_;
    ContentReport& report_;
};

// LZNT1 data: the runs cut into compression units of 16 clusters. A unit
// whose clusters are all stored holds its data as it is; one that ends in
// sparse clusters holds LZNT1 chunks in its stored clusters; one wholly
// sparse is zeros. The last unit may be shorter than 16 clusters.
class CompressedReader {
public:
    CompressedReader(NtfsRunReader& runs, ChunkWriter& writer, ContentReport& report,
                     std::uint64_t unitSectors)
        : runs_(runs),
          writer_(writer),
          report_(report),
          unitSectors_(unitSectors),
          stored_(unitSectors * limits::kSectorSize),
          unit_(unitSectors * limits::kSectorSize) {}

    void read(const RunList& list) {
        for (const MftRun& run : list) {
            std::uint64_t start = run.startSector;
            std::uint64_t left = run.sectorCount;
            while (left > 0 && !writer_.done()) {
                const std::uint64_t take = std::min(left, unitSectors_ - filled_);
                pieces_.push_back({start, take});
                filled_ += take;
                if (start != 0) start += take;
                left -= take;
                if (filled_ == unitSectors_) flush();
            }
            if (writer_.done()) return;
        }
        flush();
    }

private:
    void flush() {
        if (filled_ == 0) return;
        std::uint64_t storedSectors = 0;
        for (const MftRun& piece : pieces_)
            if (piece.startSector != 0) storedSectors += piece.sectorCount;
        if (storedSectors == filled_) {
            for (const MftRun& piece : pieces_) runs_.plain(piece);
        } else if (storedSectors == 0) {
            writer_.zeros(filled_ * limits::kSectorSize);
        } else {
            std::size_t at = 0;
            for (const MftRun& piece : pieces_) {
                if (piece.startSector == 0) continue;
                runs_.load(piece, stored_.data() + at);
                at += piece.sectorCount * limits::kSectorSize;
            }
            std::fill(unit_.begin(), unit_.end(), std::uint8_t{0});
            const Lznt1Result result = DecompressLznt1(std::span(stored_.data(), at), unit_);
            if (result.status != Lznt1Status::Decoded)
                Fail(report_, ContentFailure::DamagedCompression);
            writer_.bytes(unit_);
        }
        pieces_.clear();
        filled_ = 0;
    }

    NtfsRunReader& runs_;
    ChunkWriter& writer_;
    ContentReport& report_;
    std::uint64_t unitSectors_;
    std::vector<MftRun> pieces_;
    std::uint64_t filled_ = 0;
    std::vector<std::uint8_t> stored_;
    std::vector<std::uint8_t> unit_;
};

void ReadNtfsContent(const ContentSource& source, const SourceVolume& volume, ChunkWriter& writer,
                     ContentReport& report) {
    if (source.recordSector == 0) {
        report.incomplete = source.size != 0;
        return;
    }
    const std::optional<NtfsFileData> data =
        LocateNtfsFileData(volume.disk, source.recordSector, volume.layout.cluster0Start,
                           volume.layout.sectorsPerCluster, volume.mftRuns, source.stream);
    if (!data) {
        report.incomplete = source.size != 0;
        return;
    }
    if (!data->complete) report.incomplete = true;
    writer.setSize(data->size);
    if (data->validSize < data->size) writer.setValidSize(data->validSize);
    if ((data->flags & data_flags::kEncrypted) != 0) Fail(report, ContentFailure::Encrypted);
    if (data->resident) {
        writer.bytes(data->content);
        return;
    }
    NtfsRunReader runs(volume, writer, report);
    if (IsCompressed(*data)) {
        const std::uint64_t unitSectors =
            (std::uint64_t{1} << std::min<std::uint8_t>(data->compressionUnit, 31)) *
            volume.layout.sectorsPerCluster;
        const bool lznt1 = (data->flags & data_flags::kCompressionMask) == data_flags::kLznt1 &&
                           data->compressionUnit == kLznt1UnitShift &&
                           volume.layout.sectorsPerCluster != 0 &&
                           volume.layout.sectorsPerCluster * limits::kSectorSize <= kLznt1ChunkSize;
        if (lznt1) {
            CompressedReader(runs, writer, report, unitSectors).read(data->runs);
            return;
        }
        Fail(report, ContentFailure::Undecodable);
    }
    for (const MftRun& run : data->runs) {
        if (writer.done()) break;
        runs.plain(run);
    }
}

ContentReport WalkFileContent(const ContentSource& source, const SourceVolume& volume,
                              const ChunkSink& sink, const ExtentSink* extents, bool mapOnly) {
    ContentReport report;
    ChunkWriter writer(volume.disk, sink, source.size, report);
    writer.setExtents(extents, mapOnly);
    switch (source.kind) {
        case ContentKind::FatFile: ReadFatContent(source, volume, writer, report); break;
        case ContentKind::NtfsRecord: ReadNtfsContent(source, volume, writer, report); break;
        case ContentKind::ExfatFile: ReadExfatContent(source, volume, writer, report); break;
        case ContentKind::None: break;
    }
    if (!report.interrupted && report.bytes < report.size) report.incomplete = true;
    return report;
}

}  // namespace

ContentReport ReadFileContent(const ContentSource& source, const SourceVolume& volume,
                              const ChunkSink& sink, const ExtentSink& extents) {
    return WalkFileContent(source, volume, sink, &extents, false);
}

ContentReport MapFileContent(const ContentSource& source, const SourceVolume& volume,
                             const ExtentSink& extents) {
    const ChunkSink none = [](std::span<const std::uint8_t>) { return true; };
    return WalkFileContent(source, volume, none, &extents, true);
}

}  // namespace datrevo
