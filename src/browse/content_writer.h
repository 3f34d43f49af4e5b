// The one buffer a file's contents pass through on their way to the sink,
// and the reading walk every engine's content reader shares.
//
// An engine says which sectors, zeros and decoded bytes make up a file, in
// file order; the writer reads the sectors at most limits::kSaveChunkSectors
// at a time, cuts everything at the file's size, hands it to the sink and
// keeps the report's counts. When only mapping, the data sectors are not
// read and each piece taken straight from the disk is reported instead.
#pragma once

#include <cstdint>
#include <span>
#include <stop_token>
#include <vector>

#include "browse/file_content.h"
#include "disk/disk_reader.h"

namespace datrevo {

class ContentWriter {
public:
    ContentWriter(const DiskReader& disk, const ChunkSink& sink, std::uint64_t size,
                  ContentReport& report, std::stop_token stop = {});

    // Reports where each piece taken straight from the disk lies; with
    // `mapOnly` those sectors are not read and nothing reaches the sink.
    void setExtents(const ExtentSink* extents, bool mapOnly) {
        extents_ = extents;
        mapOnly_ = mapOnly;
    }

    // The whole size was written, or the sink or the stop token ended the reading.
    bool done();
    // The file's real size turned out other than listed (NTFS records say it).
    void setSize(std::uint64_t size);
    // Bytes of the file from `valid` on are given as zeros (NTFS: past the
    // initialized size, the clusters hold whatever was there before).
    void setValidSize(std::uint64_t valid) { valid_ = valid; }

    // Sectors [first, first + count) of the disk, cut at the size.
    void sectors(std::uint64_t first, std::uint64_t count);
    // `count` zero bytes (a sparse run), cut at the size.
    void zeros(std::uint64_t count);
    // Bytes decoded from the medium (resident or decompressed data), cut at the size.
    void bytes(std::span<const std::uint8_t> data);

private:
    void emit(std::span<const std::uint8_t> piece);

    const DiskReader& disk_;
    const ChunkSink& sink_;
    std::uint64_t remaining_;
    ContentReport& report_;
    std::stop_token stop_;
    std::vector<std::uint8_t> buffer_;
    std::uint64_t valid_ = ~std::uint64_t{0};
    std::vector<std::uint8_t> scratch_;
    const ExtentSink* extents_ = nullptr;
    bool mapOnly_ = false;
};

// A content reader whose engine describes a file to a ContentWriter: reading
// and mapping share that description, and the report of either ends
// incomplete when fewer bytes than the size were found.
class WriterContentReader : public ContentReader {
public:
    ContentReport readContent(const ContentSource& source, const ChunkSink& sink,
                              std::stop_token stop) const final;
    ContentReport mapContent(const ContentSource& source, const ExtentSink& extents) const final;

protected:
    explicit WriterContentReader(DiskReader disk) : disk_(std::move(disk)) {}
    const DiskReader& disk() const { return disk_; }

    // Hands the contents of `source` to the writer in file order and notes in
    // the report what stands in the way; a source of another kind is left alone.
    virtual void describe(const ContentSource& source, ContentWriter& writer,
                          ContentReport& report) const = 0;

private:
    ContentReport walk(const ContentSource& source, const ChunkSink& sink,
                       const ExtentSink* extents, bool mapOnly, std::stop_token stop) const;

    DiskReader disk_;
};

}  // namespace datrevo
