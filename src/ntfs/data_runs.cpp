#include "ntfs/data_runs.h"

#include <limits>

#include "ntfs/file_record.h"

namespace datrevo {
namespace {

// Widest field accepted: the arithmetic is 64-bit.
constexpr std::size_t kMaxRunFieldBytes = 8;

std::int64_t SignExtend(std::uint64_t value, std::size_t width) {
    if (width == 0 || width >= 8) return static_cast<std::int64_t>(value);
    const std::uint64_t signBit = std::uint64_t{1} << (width * 8 - 1);
    if ((value & signBit) == 0) return static_cast<std::int64_t>(value);
    return static_cast<std::int64_t>(value | ~((signBit << 1) - 1));
}

bool MultiplyFits(std::uint64_t a, std::uint64_t b, std::uint64_t& out) {
    return !__builtin_mul_overflow(a, b, &out);
}

}  // namespace

RunDecode DecodeDataRuns(ByteView bytes, std::size_t position, std::uint32_t sectorsPerCluster,
                         std::uint64_t partitionStart, RunList& runs, bool continuing) {
    // The cluster number of the last real run; none before the first.
    bool haveBase = false;
    std::int64_t baseCluster = 0;
    if (!continuing) {
        for (auto run = runs.rbegin(); run != runs.rend(); ++run) {
            if (run->startSector == 0 || sectorsPerCluster == 0 ||
                run->startSector < partitionStart)
                continue;
            baseCluster =
                static_cast<std::int64_t>((run->startSector - partitionStart) / sectorsPerCluster);
            haveBase = true;
            break;
        }
    }
    // Every run takes at least one byte, so the loop ends within `bytes`.
    while (bytes.has(position, 1)) {
        const std::uint8_t header = bytes.u8(position);
        if (header == 0) return RunDecode::Complete;
        const std::size_t lengthWidth = header & 0x0F;
        const std::size_t offsetWidth = header >> 4;
        if (lengthWidth == 0 || lengthWidth > kMaxRunFieldBytes ||
            offsetWidth > kMaxRunFieldBytes || !bytes.has(position + 1, lengthWidth + offsetWidth))
            return RunDecode::Damaged;
        const std::uint64_t clusters = bytes.readLittleEndian(position + 1, lengthWidth);
        MftRun run;
        if (!MultiplyFits(clusters, sectorsPerCluster, run.sectorCount)) return RunDecode::Damaged;
        if (offsetWidth != 0) {
            const std::int64_t offset = SignExtend(
                bytes.readLittleEndian(position + 1 + lengthWidth, offsetWidth), offsetWidth);
            std::int64_t cluster = offset;
            if (haveBase && __builtin_add_overflow(baseCluster, offset, &cluster))
                return RunDecode::Damaged;
            // A negative offset on the first run has nothing to count back from.
            if (cluster < 0) return RunDecode::Damaged;
            std::uint64_t sectors = 0;
            if (!MultiplyFits(static_cast<std::uint64_t>(cluster), sectorsPerCluster, sectors) ||
                __builtin_add_overflow(partitionStart, sectors, &run.startSector))
                return RunDecode::Damaged;
            baseCluster = cluster;
            haveBase = true;
        }
        runs.push_back(run);
        position += 1 + lengthWidth + offsetWidth;
    }
    return RunDecode::Damaged;
}

std::uint64_t RecordToSector(const MftRunList& mftRuns, std::uint32_t record) {
    std::uint64_t position = std::uint64_t{record} * kNtfsRecordSectors;
    for (const MftRun& run : mftRuns) {
        if (position < run.sectorCount)
            return run.startSector == 0 ? 0 : run.startSector + position;
        position -= run.sectorCount;
    }
    return 0;
}

std::uint64_t TotalSectors(const RunList& runs) {
    std::uint64_t total = 0;
    for (const MftRun& run : runs) total += run.sectorCount;
    return total;
}

}  // namespace datrevo
