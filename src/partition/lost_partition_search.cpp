#include "partition/lost_partition_search.h"

#include <algorithm>
#include <unordered_set>

#include "base/boot_sector.h"
#include "base/decimal.h"
#include "base/progress_meter.h"
#include "base/limits.h"
#include "partition/partition_table.h"

namespace datrevo {
namespace {

constexpr std::uint32_t kNormalHeads = 255;
constexpr std::uint32_t kNormalSectorsPerTrack = 63;
constexpr std::uint64_t kAlignment = 2048;  // 1 MiB in sectors

// exFAT boot sector fields.
namespace exfat_boot {
constexpr std::size_t kVolumeLength = 72;         // 8: sectors of the volume
constexpr std::size_t kBytesPerSectorShift = 108;  // 1: log2 of its sector size, 9 to 12
}  // namespace exfat_boot

// The volume's length in 512-byte sectors; nothing when its sector size is
// not possible or the length does not fit the 32 bits a partition keeps.
std::optional<FoundBootSector> RecogniseExfat(ByteView sector) {
    const unsigned shift = sector.u8(exfat_boot::kBytesPerSectorShift);
    if (shift < 9 || shift > 12) return std::nullopt;
    const std::uint64_t length = sector.le64(exfat_boot::kVolumeLength);
    if (length > (std::uint64_t{UINT32_MAX} >> (shift - 9))) return std::nullopt;
    return FoundBootSector{kKindExfat, static_cast<std::uint32_t>(length << (shift - 9))};
}

}  // namespace

DiskGeometry NormaliseGeometry(DiskGeometry geometry) {
    if (geometry.sectorsPerTrack == kNormalSectorsPerTrack) return geometry;
    const std::uint32_t cylinders =
        geometry.cylinders * geometry.heads * geometry.sectorsPerTrack / 16065u;
    return {cylinders, kNormalHeads, kNormalSectorsPerTrack};
}

DiskGeometry GeometryOf(const CurrentDisk& disk) {
    return {ParseUnsigned32(disk.cylindersText), ParseUnsigned32(disk.headsText),
            ParseUnsigned32(disk.sectorsPerTrackText)};
}

std::optional<FoundBootSector> RecogniseBootSector(ByteView sector) {
    const BootSectorClass boot = ClassifyBootSector(sector, FatTextRule::Digits);
    if (!boot.signature) return std::nullopt;
    switch (boot.kind) {
        case BootSectorKind::Exfat:
            return RecogniseExfat(sector);
        case BootSectorKind::Fat32:
            return FoundBootSector{kKindFat32, sector.le32(32)};
        case BootSectorKind::Fat16: {
            // Volumes under 32 MiB keep their sector count in the 16-bit field at 19.
            const std::uint32_t count = sector.le32(32) != 0 ? sector.le32(32) : sector.le16(19);
            return FoundBootSector{kKindFat16, count};
        }
        case BootSectorKind::Ntfs:
            return FoundBootSector{kKindNtfs, sector.le32(40)};
        case BootSectorKind::None:
            break;
    }
    return std::nullopt;
}

std::vector<Probe> LostPartitionProbes(const DiskGeometry& geometry, std::uint64_t diskSectors) {
    std::vector<Probe> probes;
    const std::uint64_t perCylinder =
        static_cast<std::uint64_t>(geometry.heads) * geometry.sectorsPerTrack;
    std::vector<std::uint64_t> probed;
    for (std::uint64_t i = 0; i < geometry.cylinders; ++i) {
        const std::uint64_t start = i * perCylinder;
        const std::uint64_t afterFirstTrack = start + geometry.sectorsPerTrack;
        if (start >= diskSectors) break;
        Probe probe{afterFirstTrack, start};
        if (afterFirstTrack >= diskSectors) probe = {start, std::nullopt};
        probes.push_back(probe);
        probed.push_back(probe.first);
    }
    std::sort(probed.begin(), probed.end());
    for (std::uint64_t sector = 0; sector < diskSectors; sector += kAlignment)
        if (!std::binary_search(probed.begin(), probed.end(), sector))
            probes.push_back({sector, std::nullopt});
    // Ascending by the first sector each probe covers.
    std::stable_sort(probes.begin(), probes.end(), [](const Probe& a, const Probe& b) {
        return std::min(a.first, a.fallback.value_or(a.first)) <
               std::min(b.first, b.fallback.value_or(b.first));
    });
    return probes;
}

LostPartitionSearchResult SearchLostPartitions(const DiskReader& disk, const CurrentDisk& current,
                                               DiskPartitionList& list,
                                               RecoveryObserver& observer,
                                               std::stop_token stop) {
    LostPartitionSearchResult result;
    const std::uint64_t diskSectors =
        current.totalSectors64 != 0 ? current.totalSectors64 : disk.totalSectors();
    const std::vector<Probe> probes =
        LostPartitionProbes(NormaliseGeometry(GeometryOf(current)), diskSectors);
    std::unordered_set<std::uint64_t> tested;
    ProgressMeter progress(observer, probes.size());
    for (std::size_t i = 0; i < probes.size(); ++i) {
        if (stop.stop_requested()) {
            result.stopped = true;
            break;
        }
        progress.update(i);
        const Probe& probe = probes[i];
        // A 1 MiB boundary can be a cylinder's fallback sector, read already.
        if (!probe.fallback && !tested.insert(probe.first).second) continue;
        SectorBuffer sector{};
        std::uint64_t at = probe.first;
        disk.readSector(at, sector);
        if (!HasBootSignature(ByteView(sector.data(), sector.size())) && probe.fallback) {
            at = *probe.fallback;
            tested.insert(at);
            disk.readSector(at, sector);
        }
        const ByteView view(sector.data(), sector.size());
        if (!HasBootSignature(view)) continue;
        if (list.full()) {
            result.listFull = true;
            break;
        }
        const auto found = RecogniseBootSector(view);
        if (!found) continue;
        const std::uint64_t end = at + found->sectorCount;
        if (list.contains(found->kind, at, end)) continue;
        list.add(found->kind, at, end);
        ++result.added;
    }
    progress.set(100);
    return result;
}

}  // namespace datrevo
