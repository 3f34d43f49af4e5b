#include "fat/sector_runs.h"

#include <algorithm>
#include <vector>

#include "base/limits.h"

namespace datrevo {
namespace {

// Reads one run into `buffer`, once: the reader alone decides how to retry a
// failed run. The buffer is cleared first, so an unreadable sector reads as
// zeros and not as the bytes an earlier run left there.
void ReadRun(const DiskReader& disk, std::uint64_t first, std::uint32_t count,
             std::vector<std::uint8_t>& buffer) {
    std::fill(buffer.begin(),
              buffer.begin() + static_cast<std::ptrdiff_t>(count) *
                                   static_cast<std::ptrdiff_t>(limits::kSectorSize),
              0);
    disk.ReadSectors(first, count, buffer.data());
}

}  // namespace

std::uint64_t ClampScanEnd(const DiskReader& disk, std::uint64_t end) {
    const std::uint64_t total = disk.totalSectors();
    return total == 0 ? end : std::min(end, total);
}

bool ForEachSectorRun(const DiskReader& disk, std::uint64_t start, std::uint64_t end,
                      std::uint32_t runSectors, const std::stop_token& stop,
                      const std::function<bool(std::uint64_t first, ByteView run)>& visit) {
    if (runSectors == 0) return !stop.stop_requested();
    std::vector<std::uint8_t> buffer(static_cast<std::size_t>(runSectors) * limits::kSectorSize);
    for (std::uint64_t first = start; first < end; first += runSectors) {
        if (stop.stop_requested()) return false;
        const auto count =
            static_cast<std::uint32_t>(std::min<std::uint64_t>(runSectors, end - first));
        ReadRun(disk, first, count, buffer);
        if (end - first > count)
            disk.willRead(first + count, std::min<std::uint64_t>(runSectors, end - first - count));
        if (!visit(first,
                   ByteView(buffer.data(), static_cast<std::size_t>(count) * limits::kSectorSize)))
            return true;
    }
    return !stop.stop_requested();
}

}  // namespace datrevo
