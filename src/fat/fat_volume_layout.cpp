#include "fat/fat_volume_layout.h"

#include <array>
#include <optional>
#include <string>

#include "base/boot_sector.h"
#include "base/byte_view.h"
#include "fat/fat_copy_inference.h"
#include "fat/fat_entry.h"
#include "fat/fat_kind.h"
#include "base/progress_meter.h"
#include "fat/sector_runs.h"

namespace datrevo {
namespace {

using namespace fat_boot;

ByteView View(const SectorBuffer& sector) { return ByteView(sector.data(), sector.size()); }

bool HasBootSignature(const SectorBuffer& sector) {
    return datrevo::HasBootSignature(View(sector));
}

bool SecondFatBeginsWithMedia(const DiskReader& disk, std::uint64_t sector) {
    SectorBuffer fat{};
    disk.readSector(sector, fat);
    return fat[0] == kFixedDiskMedia;
}

struct BootFields {
    std::uint32_t sectorsPerFat = 0;
    std::uint32_t reserved = 0;
    std::uint32_t sectorsPerCluster = 0;
    std::uint32_t rootEntriesOrCluster = 0;
};

BootFields ReadFields(const SectorBuffer& sector, FatKind kind) {
    const ByteView view = View(sector);
    BootFields fields;
    fields.reserved = view.le16(kReservedSectors);
    fields.sectorsPerCluster = view.u8(kSectorsPerCluster);
    if (kind == FatKind::Fat16) {
        fields.sectorsPerFat = view.le16(kSectorsPerFat16);
        fields.rootEntriesOrCluster = view.le16(kRootEntries);
    } else {
        fields.sectorsPerFat = view.le32(kSectorsPerFat32);
        fields.rootEntriesOrCluster = view.le32(kRootCluster);
    }
    return fields;
}

// The layout that sound boot fields give, computed in 64 bits: nothing when
// a field is out of range (no reserved sector for the boot sector itself, no
// FAT, a cluster size that is no power of two up to 128), when cluster 0
// would lie before the disk's first sector, or when a sector the layout
// holds does not fit its 32 bits.
std::optional<FatLayout> LayoutFromFields(std::uint64_t start, const BootFields& f, FatKind kind) {
    if (f.reserved == 0 || f.sectorsPerFat == 0 || !IsValidSectorsPerCluster(f.sectorsPerCluster))
        return std::nullopt;
    const std::uint64_t firstFat = start + f.reserved;
    const std::uint64_t secondFat = firstFat + f.sectorsPerFat;
    const std::uint64_t afterFats = secondFat + f.sectorsPerFat;
    const std::uint64_t rootSectors = kind == FatKind::Fat16 ? f.rootEntriesOrCluster / 16 : 0;
    const std::uint64_t dataStart = afterFats + rootSectors;
    const std::uint64_t twoClusters = 2ull * f.sectorsPerCluster;
    if (dataStart < twoClusters || dataStart > UINT32_MAX) return std::nullopt;
    FatLayout layout;
    layout.sectorsPerFat = f.sectorsPerFat;
    layout.sectorsPerCluster = f.sectorsPerCluster;
    layout.reservedSectors = f.reserved;
    layout.rootSectors = static_cast<std::uint32_t>(rootSectors);
    layout.rootStart =
        kind == FatKind::Fat16 ? static_cast<std::uint32_t>(afterFats) : f.rootEntriesOrCluster;
    layout.cluster0Start = static_cast<std::uint32_t>(dataStart - twoClusters);
    layout.firstFat = static_cast<std::uint32_t>(firstFat);
    layout.secondFat = static_cast<std::uint32_t>(secondFat);
    layout.kind = kind == FatKind::Fat16 ? VolumeKind::Fat16 : VolumeKind::Fat32;
    return layout;
}

bool ReadFat16(const DiskReader& disk, std::uint64_t start, FatLayout& layout) {
    SectorBuffer boot{};
    disk.readSector(start, boot);
    if (!HasBootSignature(boot)) return false;
    const BootFields f = ReadFields(boot, FatKind::Fat16);
    const std::optional<FatLayout> read = LayoutFromFields(start, f, FatKind::Fat16);
    if (!read || !SecondFatBeginsWithMedia(disk, read->secondFat)) return false;
    layout = *read;
    return true;
}

bool ReadFat32(const DiskReader& disk, std::uint64_t start, FatLayout& layout) {
    SectorBuffer boot{};
    disk.readSector(start, boot);
    if (!HasBootSignature(boot)) {
        disk.readSector(start + kBackupBootSector, boot);
        if (!HasBootSignature(boot)) return false;
    }
    // The boot sector's values, or the backup's when they do not lead to a
    // second FAT.
    std::optional<FatLayout> read =
        LayoutFromFields(start, ReadFields(boot, FatKind::Fat32), FatKind::Fat32);
    if (!read || !SecondFatBeginsWithMedia(disk, read->secondFat)) {
        disk.readSector(start + kBackupBootSector, boot);
        read = LayoutFromFields(start, ReadFields(boot, FatKind::Fat32), FatKind::Fat32);
        if (!read || !SecondFatBeginsWithMedia(disk, read->secondFat)) return false;
    }
    layout = *read;
    return true;
}

// The "." cluster of a directory sector: high word at 20, low word at 26.
std::uint32_t DotCluster(ByteView sector, FatKind kind) { return EntryFirstCluster(sector, kind); }

// Reserved sectors: the last of the candidate offsets whose sector starts
// with 0xF8 0xFF (the first FAT's first entry).
std::uint32_t FindReservedSectors(const DiskReader& disk, std::uint64_t start, FatKind kind) {
    const std::uint32_t from = kind == FatKind::Fat16 ? 0 : 30;
    const std::uint32_t to = kind == FatKind::Fat16 ? 9 : 59;
    std::uint32_t reserved = kind == FatKind::Fat16 ? 1 : 32;
    const std::vector<std::uint8_t> run = disk.readRun(start + from, to - from + 1);
    for (std::uint32_t k = from; k <= to; ++k) {
        const std::size_t at = static_cast<std::size_t>(k - from) * limits::kSectorSize;
        if (run[at] == kFixedDiskMedia && run[at + 1] == 0xFF) reserved = k;
    }
    return reserved;
}

bool IsClusterStep(std::uint64_t k) { return IsValidSectorsPerCluster(k); }

std::string SectorCountCaption(std::uint64_t sector, std::uint64_t end) {
    return std::string(94, ' ') + std::to_string(sector) + " / " + std::to_string(end) +
           std::string(90, ' ');
}

}  // namespace

bool ReadFatBootLayout(const DiskReader& disk, std::uint64_t partitionStart, VolumeKind kind,
                       FatLayout& layout) {
    switch (kind) {
        case VolumeKind::Fat16: return ReadFat16(disk, partitionStart, layout);
        case VolumeKind::Fat32: return ReadFat32(disk, partitionStart, layout);
        case VolumeKind::None:
        case VolumeKind::Fat12:
        case VolumeKind::Ntfs:
        case VolumeKind::Exfat:
        case VolumeKind::Unknown: break;
    }
    return false;
}

bool InferFatLayout(const DiskReader& disk, std::uint64_t start, std::uint64_t end, VolumeKind kind,
                    FatLayout& layout, RecoveryObserver& observer, const std::stop_token& stop) {
    if (!IsFatKind(kind)) return false;
    const FatKind fatKind = KindOf(kind);
    observer.statusText(kInferringStatus);
    ProgressMeter progress(observer);
    progress.reset();

    const std::uint32_t reserved = FindReservedSectors(disk, start, fatKind);

    bool anchored = false;
    std::uint64_t anchorSector = 0;
    std::uint64_t anchorCluster = 0;
    bool found = false;
    std::uint64_t step = 0;
    std::optional<DirectorySectorClue> folder;  // the first folder met, for the FAT-copy inference
    const std::uint64_t scanEnd = ClampScanEnd(disk, end);
    ForEachSectorRun(
        disk, start, scanEnd, kScanRunSectors, stop, [&](std::uint64_t first, ByteView run) {
            const std::size_t count = run.size() / limits::kSectorSize;
            for (std::size_t i = 0; i < count && !found; ++i) {
                const ByteView sector = run.sub(i * limits::kSectorSize, limits::kSectorSize);
                if (!IsDirectorySector(sector)) continue;
                const std::uint64_t s = first + i;
                if (!folder && DotCluster(sector, fatKind) >= 2)
                    folder = DirectorySectorClue{s, DotCluster(sector, fatKind)};
                if (!anchored) {
                    anchorSector = s;
                    anchorCluster = DotCluster(sector, FatKind::Fat32);
                    anchored = anchorCluster >= 2 && anchorCluster <= 0xFFFFFFFEu;
                    continue;
                }
                const std::uint64_t cluster = DotCluster(sector, fatKind);
                // Cluster numbers grow with sector numbers and stay below both.
                if (cluster <= anchorCluster || cluster >= s || cluster >= anchorSector) continue;
                const std::uint64_t sectorDistance = s - anchorSector;
                const std::uint64_t clusterDistance = cluster - anchorCluster;
                if (sectorDistance % clusterDistance != 0) continue;
                const std::uint64_t k = sectorDistance / clusterDistance;
                if (!IsClusterStep(k) || anchorCluster * k > anchorSector) continue;
                found = true;
                step = k;
            }
            const std::uint64_t reached = first + count;
            if (fatKind == FatKind::Fat16)
                progress.set(PercentOf(reached, end));
            else
                progress.set(PercentOf(reached, end), SectorCountCaption(reached, end));
            return !found;
        });
    if (!found) {
        // One folder, or none, gives no pair: on FAT16 the FAT copies and the
        // root directory may still tell the layout.
        if (stop.stop_requested() || fatKind != FatKind::Fat16) return false;
        const std::optional<FatLayout> fromCopies =
            InferFat16FromFatCopies(disk, start, end, folder);
        if (!fromCopies) return false;
        layout = *fromCopies;
        return true;
    }

    const auto start32 = static_cast<std::uint32_t>(start);
    const std::uint64_t cluster0 = anchorSector - anchorCluster * step;
    // What lies between the reserved sectors and cluster 2: the two FAT copies
    // (and on FAT16 a root directory of 32 sectors).
    std::int64_t fatArea = static_cast<std::int64_t>(anchorSector) -
                           static_cast<std::int64_t>(start) - reserved -
                           static_cast<std::int64_t>((anchorCluster - 2) * step);
    if (fatKind == FatKind::Fat16) fatArea -= 32;
    const std::uint32_t sectorsPerFat = fatArea > 0 ? static_cast<std::uint32_t>(fatArea / 2) : 0;

    layout.reservedSectors = reserved;
    if (fatKind == FatKind::Fat16) {
        layout.rootSectors = 32;
    } else {
        layout.rootStart = 2;
        layout.rootSectors = 0;
    }
    layout.sectorsPerCluster = static_cast<std::uint32_t>(step);
    layout.cluster0Start = static_cast<std::uint32_t>(cluster0);
    layout.sectorsPerFat = sectorsPerFat;
    layout.firstFat = start32 + reserved;
    layout.secondFat = layout.firstFat + sectorsPerFat;
    if (fatKind == FatKind::Fat16) layout.rootStart = layout.secondFat + sectorsPerFat;
    layout.kind = kind;
    return true;
}

}  // namespace datrevo
