#include "browse/content_writer.h"

#include <algorithm>

#include "base/limits.h"

namespace datrevo {
namespace {

constexpr std::size_t kChunkBytes = limits::kSaveChunkSectors * limits::kSectorSize;

}  // namespace

ContentWriter::ContentWriter(const DiskReader& disk, const ChunkSink& sink, std::uint64_t size,
                             ContentReport& report, std::stop_token stop)
    : disk_(disk),
      sink_(sink),
      remaining_(size),
      report_(report),
      stop_(std::move(stop)),
      buffer_(kChunkBytes) {
    report_.size = size;
}

bool ContentWriter::done() {
    if (!report_.interrupted && stop_.stop_requested()) report_.interrupted = true;
    return remaining_ == 0 || report_.interrupted;
}

void ContentWriter::setSize(std::uint64_t size) {
    report_.size = size;
    remaining_ = size > report_.bytes ? size - report_.bytes : 0;
}

void ContentWriter::sectors(std::uint64_t first, std::uint64_t count) {
    while (count > 0 && !done()) {
        const auto batch =
            static_cast<std::uint32_t>(std::min<std::uint64_t>(count, limits::kSaveChunkSectors));
        const std::size_t wanted = static_cast<std::size_t>(
            std::min<std::uint64_t>(remaining_, std::uint64_t{batch} * limits::kSectorSize));
        const auto needed =
            static_cast<std::uint32_t>((wanted + limits::kSectorSize - 1) / limits::kSectorSize);
        const std::uint64_t fileOffset = report_.bytes;
        if (!mapOnly_) {
            std::fill(buffer_.begin(),
                      buffer_.begin() + std::ptrdiff_t(needed * limits::kSectorSize), 0);
            if (disk_.ReadSectors(first, needed, buffer_.data()) == 0) report_.unreadable = true;
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

void ContentWriter::zeros(std::uint64_t count) {
    std::fill(buffer_.begin(), buffer_.end(), 0);
    while (count > 0 && !done()) {
        const std::size_t wanted =
            static_cast<std::size_t>(std::min<std::uint64_t>({count, remaining_, kChunkBytes}));
        emit(std::span<const std::uint8_t>(buffer_.data(), wanted));
        count -= wanted;
    }
}

void ContentWriter::bytes(std::span<const std::uint8_t> data) {
    while (!data.empty() && !done()) {
        const std::size_t wanted = static_cast<std::size_t>(
            std::min<std::uint64_t>({data.size(), remaining_, kChunkBytes}));
        emit(data.first(wanted));
        data = data.subspan(wanted);
    }
}

void ContentWriter::emit(std::span<const std::uint8_t> piece) {
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

ContentReport WriterContentReader::readContent(const ContentSource& source, const ChunkSink& sink,
                                               std::stop_token stop) const {
    return walk(source, sink, nullptr, false, std::move(stop));
}

ContentReport WriterContentReader::mapContent(const ContentSource& source,
                                              const ExtentSink& extents) const {
    const ChunkSink none = [](std::span<const std::uint8_t>) { return true; };
    return walk(source, none, &extents, true, {});
}

ContentReport WriterContentReader::walk(const ContentSource& source, const ChunkSink& sink,
                                        const ExtentSink* extents, bool mapOnly,
                                        std::stop_token stop) const {
    ContentReport report;
    ContentWriter writer(disk_, sink, source.size, report, std::move(stop));
    writer.setExtents(extents, mapOnly);
    describe(source, writer, report);
    if (!report.interrupted && report.bytes < report.size) report.incomplete = true;
    return report;
}

}  // namespace datrevo
