#include "partition/lost_partition_search.h"

#include <algorithm>

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
constexpr std::size_t kVolumeLength = 72;          // 8: sectors of the volume
constexpr std::size_t kBytesPerSectorShift = 108;  // 1: log2 of its sector size, 9 to 12
}  // namespace exfat_boot

// The volume's length in 512-byte sectors; nothing when its sector size is
// not possible or the length does not fit the 32 bits a partition keeps.
std::optional<FoundBootSector> RecogniseExfat(ByteView sector) {
    const unsigned shift = sector.u8(exfat_boot::kBytesPerSectorShift);
    if (shift < 9 || shift > 12) return std::nullopt;
    const std::uint64_t length = sector.le64(exfat_boot::kVolumeLength);
    if (length > (std::uint64_t{UINT32_MAX} >> (shift - 9))) return std::nullopt;
    return FoundBootSector{VolumeKind::Exfat, static_cast<std::uint32_t>(length << (shift - 9))};
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
        case BootSectorKind::Exfat: return RecogniseExfat(sector);
        case BootSectorKind::Fat32: return FoundBootSector{VolumeKind::Fat32, sector.le32(32)};
        case BootSectorKind::Fat16: {
            // Volumes under 32 MiB keep their sector count in the 16-bit field at 19.
            const std::uint32_t count = sector.le32(32) != 0 ? sector.le32(32) : sector.le16(19);
            return FoundBootSector{VolumeKind::Fat16, count};
        }
        case BootSectorKind::Ntfs: return FoundBootSector{VolumeKind::Ntfs, sector.le32(40)};
        case BootSectorKind::None: break;
    }
    return std::nullopt;
}

ProbeSequence::ProbeSequence(const DiskGeometry& geometry, std::uint64_t diskSectors)
    : diskSectors_(diskSectors),
      perCylinder_(static_cast<std::uint64_t>(geometry.heads) * geometry.sectorsPerTrack),
      sectorsPerTrack_(geometry.sectorsPerTrack) {
    // Cylinders whose first sector lies before the disk's end.
    if (diskSectors_ == 0 || geometry.cylinders == 0) {
        cylinders_ = 0;
    } else if (perCylinder_ == 0) {
        cylinders_ = 1;  // every cylinder would start at sector 0
    } else {
        const std::uint64_t starting =
            diskSectors_ / perCylinder_ + (diskSectors_ % perCylinder_ != 0 ? 1 : 0);
        cylinders_ = std::min<std::uint64_t>(geometry.cylinders, starting);
    }
}

Probe ProbeSequence::cylinderProbe(std::uint64_t cylinder) const {
    // cylinder < cylinders_, so its start lies before the disk's end and the
    // sums below stay far from 2^64.
    const std::uint64_t start = cylinder * perCylinder_;
    const std::uint64_t afterFirstTrack = start + sectorsPerTrack_;
    if (afterFirstTrack >= diskSectors_) return {start, std::nullopt};
    return {afterFirstTrack, start};
}

// Whether `sector` is the first sector of a cylinder probe: it is read there.
bool ProbeSequence::isCylinderFirst(std::uint64_t sector) const {
    if (cylinders_ == 0) return false;
    if (perCylinder_ == 0) return cylinderProbe(0).first == sector;
    // Past the first track of its cylinder ...
    if (sector >= sectorsPerTrack_ && (sector - sectorsPerTrack_) % perCylinder_ == 0) {
        const std::uint64_t cylinder = (sector - sectorsPerTrack_) / perCylinder_;
        if (cylinder < cylinders_ && cylinderProbe(cylinder).first == sector) return true;
    }
    // ... or the start of the last one, whose first track reaches the end.
    if (sector % perCylinder_ == 0) {
        const std::uint64_t cylinder = sector / perCylinder_;
        if (cylinder < cylinders_ && cylinderProbe(cylinder).first == sector) return true;
    }
    return false;
}

std::optional<Probe> ProbeSequence::next() {
    while (nextBoundary_ < diskSectors_ && isCylinderFirst(nextBoundary_))
        nextBoundary_ += kAlignment;
    const bool boundaryLeft = nextBoundary_ < diskSectors_;
    if (nextCylinder_ < cylinders_) {
        // A cylinder's probe comes before a boundary at its start sector.
        const std::uint64_t start = nextCylinder_ * perCylinder_;
        if (!boundaryLeft || start <= nextBoundary_) return cylinderProbe(nextCylinder_++);
    }
    if (!boundaryLeft) return std::nullopt;
    const Probe probe{nextBoundary_, std::nullopt};
    nextBoundary_ += kAlignment;
    return probe;
}

std::uint64_t ProbeSequence::count() const {
    ProbeSequence rest = *this;
    std::uint64_t probes = 0;
    while (rest.next()) ++probes;
    return probes;
}

std::vector<Probe> LostPartitionProbes(const DiskGeometry& geometry, std::uint64_t diskSectors) {
    std::vector<Probe> probes;
    ProbeSequence sequence(geometry, diskSectors);
    while (const auto probe = sequence.next()) probes.push_back(*probe);
    return probes;
}

LostPartitionSearchResult SearchLostPartitions(const DiskReader& disk, const CurrentDisk& current,
                                               DiskPartitionList& list, RecoveryObserver& observer,
                                               std::stop_token stop) {
    LostPartitionSearchResult result;
    const std::uint64_t diskSectors =
        current.totalSectors64 != 0 ? current.totalSectors64 : disk.totalSectors();
    ProbeSequence probes(NormaliseGeometry(GeometryOf(current)), diskSectors);
    ProgressMeter progress(observer, probes.count());
    // A 1 MiB boundary can be the fallback sector of the cylinder probe just
    // before it; the boundary's probe then reads nothing.
    std::optional<std::uint64_t> fallbackRead;
    for (std::uint64_t i = 0; const auto probe = probes.next(); ++i) {
        if (stop.stop_requested()) {
            result.stopped = true;
            break;
        }
        progress.update(i);
        if (!probe->fallback && fallbackRead == probe->first) continue;
        SectorBuffer sector{};
        std::uint64_t at = probe->first;
        disk.readSector(at, sector);
        if (!HasBootSignature(ByteView(sector.data(), sector.size())) && probe->fallback) {
            at = *probe->fallback;
            fallbackRead = at;
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
