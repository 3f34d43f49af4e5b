#include "disk/disk_reader.h"

#include <algorithm>
#include <cstring>

namespace datrevo {

int DiskReader::ReadSectors(std::uint64_t firstSector, std::uint32_t count,
                            std::uint8_t* buffer) const {
    if (!source_ || !source_->isOpen() || buffer == nullptr) return 0;
    if (count == 0) return 1;
    constexpr std::uint64_t kSector = limits::kSectorSize;
    // Every byte offset of the run, its retry's included, must fit 64 bits:
    // a sector number near 2^55 (only a crafted run list gives one) would
    // otherwise wrap to the start of the disk.
    if (firstSector > UINT64_MAX / kSector || count > UINT64_MAX / kSector - firstSector) return 0;
    const std::size_t bytes = static_cast<std::size_t>(count) * kSector;

    // The bulk read goes straight into the caller's buffer: a source places
    // bytes only at the start of it, so when the read comes back short the
    // sectors past the failure are still as they were.
    const SourceRead bulk = source_->readAt(firstSector * kSector, {buffer, bytes});
    if (bulk.bytesRead == bytes) return 1;

    if (observer_ != nullptr)
        observer_->readFailureNotice({ReadFailureCause::BulkRead, firstSector, count});
    SectorBuffer one{};
    for (std::uint64_t i = 0; i < count; ++i) {
        const SourceRead single = source_->readAt((firstSector + i) * kSector, one);
        if (single.bytesRead == kSector) std::memcpy(buffer + i * kSector, one.data(), kSector);
    }
    return 0;
}

void DiskReader::willRead(std::uint64_t firstSector, std::uint64_t count) const {
    const std::uint64_t total = totalSectors();
    if (!source_ || firstSector >= total) return;
    count = std::min(count, total - firstSector);
    source_->willRead(firstSector * limits::kSectorSize, count * limits::kSectorSize);
}

int DiskReader::readSector(std::uint64_t sector, SectorBuffer& out) const {
    out.fill(0);
    return ReadSectors(sector, 1, out.data());
}

std::vector<std::uint8_t> DiskReader::readRun(std::uint64_t firstSector, std::uint32_t count,
                                              int* result) const {
    std::vector<std::uint8_t> out(static_cast<std::size_t>(count) * limits::kSectorSize, 0);
    const int ok = ReadSectors(firstSector, count, out.data());
    if (result != nullptr) *result = ok;
    return out;
}

}  // namespace datrevo
