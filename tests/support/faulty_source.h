// A medium that fails on purpose: unreadable sectors, short reads at a chosen
// offset, and bytes that change from one read to the next (a dying card).
#pragma once

#include <atomic>
#include <cerrno>
#include <set>

#include "disk/memory_source.h"

namespace datrevo::test {

class FaultySource final : public SectorSource {
public:
    explicit FaultySource(std::vector<std::uint8_t> bytes) : inner_(std::move(bytes), "faulty") {}

    // Any read touching one of these sectors fails at that sector.
    std::set<std::uint64_t> badSectors;
    // Every read returns at most this many bytes (0: no limit).
    std::size_t shortReadLimit = 0;
    // Each read of a sector in this set flips its first byte.
    std::set<std::uint64_t> flickeringSectors;
    mutable std::atomic<std::uint64_t> reads{0};
    mutable std::atomic<std::uint64_t> lastOffset{0};

    bool isOpen() const override { return true; }
    int openError() const override { return 0; }
    std::uint64_t sizeInBytes() const override { return inner_.sizeInBytes(); }
    const std::string& name() const override { return inner_.name(); }

    SourceRead readAt(std::uint64_t offset, std::span<std::uint8_t> out) const override {
        ++reads;
        lastOffset = offset;
        std::size_t wanted = out.size();
        if (shortReadLimit != 0 && wanted > shortReadLimit) wanted = shortReadLimit;
        for (std::uint64_t byte = offset; byte < offset + wanted; byte += 512 - byte % 512) {
            if (badSectors.count(byte / 512) != 0) {
                const std::size_t good = static_cast<std::size_t>(byte - offset);
                SourceRead partial = inner_.readAt(offset, out.first(good));
                partial.error = EIO;
                return partial;
            }
        }
        SourceRead result = inner_.readAt(offset, out.first(wanted));
        for (std::uint64_t sector : flickeringSectors) {
            const std::uint64_t at = sector * 512;
            if (at >= offset && at < offset + result.bytesRead)
                out[static_cast<std::size_t>(at - offset)] ^= static_cast<std::uint8_t>(reads);
        }
        return result;
    }

private:
    MemorySource inner_;
};

}  // namespace datrevo::test
