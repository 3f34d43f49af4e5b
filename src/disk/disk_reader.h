// The sector reader: every read of the medium goes through ReadSectors.
//
// A read of `count` sectors from `firstSector` is tried in one request. When
// that fails (an I/O error, or a run past the end of an image), the
// read-failure notice goes to the observer once, and the run is read again
// sector by sector: every readable sector lands in its place in the buffer,
// and an unreadable one leaves its 512 bytes of the buffer as they were
// (except for the bytes a short bulk read did return into it, which are the
// medium's own).
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "base/limits.h"
#include "base/observer.h"
#include "disk/sector_source.h"

namespace datrevo {

using SectorBuffer = std::array<std::uint8_t, limits::kSectorSize>;

class DiskReader {
public:
    DiskReader() = default;
    DiskReader(std::shared_ptr<const SectorSource> source, RecoveryObserver* observer)
        : source_(std::move(source)), observer_(observer) {}

    // 1 when the bulk read succeeded, 0 when it failed (the buffer then holds
    // what the retry could read) or the disk cannot be opened (the buffer is
    // untouched). `buffer` must hold count * 512 bytes.
    int ReadSectors(std::uint64_t firstSector, std::uint32_t count, std::uint8_t* buffer) const;
    // Tells the source that these sectors will be read next, so that a scan
    // keeps the medium busy while it works on the sectors it has.
    void willRead(std::uint64_t firstSector, std::uint64_t count) const;

    // Conveniences over ReadSectors with a zero-filled buffer of their own.
    int readSector(std::uint64_t sector, SectorBuffer& out) const;
    std::vector<std::uint8_t> readRun(std::uint64_t firstSector, std::uint32_t count,
                                      int* result = nullptr) const;

    bool isOpen() const { return source_ && source_->isOpen(); }
    std::uint64_t totalSectors() const {
        return source_ ? source_->sizeInBytes() / limits::kSectorSize : 0;
    }
    const SectorSource* source() const { return source_.get(); }

private:
    std::shared_ptr<const SectorSource> source_;
    RecoveryObserver* observer_ = nullptr;
};

}  // namespace datrevo
