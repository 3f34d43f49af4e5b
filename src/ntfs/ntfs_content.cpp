#include "ntfs/ntfs_content.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "base/limits.h"
#include "ntfs/file_data.h"
#include "ntfs/lznt1.h"

namespace datrevo {
namespace {

void Fail(ContentReport& report, ContentFailure failure) {
    if (report.failure == ContentFailure::None) report.failure = failure;
}

// The runs of a non-resident NTFS attribute, read within the volume: sectors
// past its end are given as zeros and noted.
class NtfsRunReader {
public:
    NtfsRunReader(const DiskReader& disk, std::uint64_t volumeEnd, ContentWriter& writer,
                  ContentReport& report)
        : disk_(disk),
          end_(volumeEnd != 0 ? volumeEnd : disk.totalSectors()),
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
    ContentWriter& writer_;
    ContentReport& report_;
};

// LZNT1 data: the runs cut into compression units of 16 clusters. A unit
// whose clusters are all stored holds its data as it is; one that ends in
// sparse clusters holds LZNT1 chunks in its stored clusters; one wholly
// sparse is zeros. The last unit may be shorter than 16 clusters.
class CompressedReader {
public:
    CompressedReader(NtfsRunReader& runs, ContentWriter& writer, ContentReport& report,
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
    ContentWriter& writer_;
    ContentReport& report_;
    std::uint64_t unitSectors_;
    std::vector<MftRun> pieces_;
    std::uint64_t filled_ = 0;
    std::vector<std::uint8_t> stored_;
    std::vector<std::uint8_t> unit_;
};

}  // namespace

void NtfsContentReader::describe(const ContentSource& source, ContentWriter& writer,
                                 ContentReport& report) const {
    if (source.kind != ContentKind::NtfsRecord) return;
    if (source.recordSector == 0) {
        report.incomplete = source.size != 0;
        return;
    }
    const std::optional<NtfsFileData> data =
        LocateNtfsFileData(disk(), source.recordSector, geometry_.cluster0Start,
                           geometry_.sectorsPerCluster, mftRuns_, source.stream);
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
    NtfsRunReader runs(disk(), volumeEnd_, writer, report);
    if (IsCompressed(*data)) {
        const std::uint64_t unitSectors =
            (std::uint64_t{1} << std::min<std::uint8_t>(data->compressionUnit, 31)) *
            geometry_.sectorsPerCluster;
        const bool lznt1 = (data->flags & data_flags::kCompressionMask) == data_flags::kLznt1 &&
                           data->compressionUnit == kLznt1UnitShift &&
                           geometry_.sectorsPerCluster != 0 &&
                           geometry_.sectorsPerCluster * limits::kSectorSize <= kLznt1ChunkSize;
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

}  // namespace datrevo
