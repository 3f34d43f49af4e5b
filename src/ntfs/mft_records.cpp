#include "ntfs/mft_records.h"

#include <algorithm>

#include "base/limits.h"

namespace datrevo {
namespace {

// Sector of MFT-relative sector `position`, or 0 past the runs or sparse.
std::uint64_t MftSector(const MftRunList& mftRuns, std::uint64_t position) {
    for (const MftRun& run : mftRuns) {
        if (position < run.sectorCount)
            return run.startSector == 0 ? 0 : run.startSector + position;
        position -= run.sectorCount;
    }
    return 0;
}

}  // namespace

bool ReadMftRecord(const DiskReader& reader, const MftRunList& mftRuns, std::uint32_t record,
                   RecordBuffer& out) {
    out.fill(0);
    const std::uint64_t position = std::uint64_t{record} * kNtfsRecordSectors;
    const std::uint64_t first = MftSector(mftRuns, position);
    const std::uint64_t second = MftSector(mftRuns, position + 1);
    if (first == 0 || second == 0) return false;
    if (second == first + 1) {
        reader.ReadSectors(first, 2, out.data());
    } else {
        reader.ReadSectors(first, 1, out.data());
        reader.ReadSectors(second, 1, out.data() + limits::kSectorSize);
    }
    if (!IsFileRecord(ByteView(out.data(), out.size()))) return false;
    ApplyUpdateSequence(out);
    return true;
}

bool ReadRecordAt(const DiskReader& reader, std::uint64_t sector, RecordBuffer& out) {
    out.fill(0);
    reader.ReadSectors(sector, 2, out.data());
    if (!IsFileRecord(ByteView(out.data(), out.size()))) return false;
    ApplyUpdateSequence(out);
    return true;
}

}  // namespace datrevo
