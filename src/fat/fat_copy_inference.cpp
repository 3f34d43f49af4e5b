#include "fat/fat_copy_inference.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "base/byte_view.h"
#include "base/limits.h"
#include "fat/fat_entry.h"
#include "fat/fat_kind.h"

namespace datrevo {
namespace {

constexpr std::size_t kSector = limits::kSectorSize;
// 65 536 entries of two bytes.
constexpr std::uint64_t kMaxFat16Sectors = 256;
// A fixed root of 512 entries, what mkfs.fat gives every disk that is no floppy.
constexpr std::uint64_t kDefaultRootSectors = 32;
// The root entry count is a 16-bit field: at most 65 535 entries.
constexpr std::uint64_t kMaxRootSectors = 4096;
// Sectors of a FAT copy that begin like one: a damaged area cannot make the
// pairing of candidates quadratic beyond this.
constexpr std::size_t kMaxCopyCandidates = 64;
// Sectors of the root directory read for file evidence.
constexpr std::uint32_t kRootEvidenceSectors = 32;
constexpr std::array<std::uint32_t, 8> kClusterSizes = {1, 2, 4, 8, 16, 32, 64, 128};

// The first sector of a FAT16 copy: entry 0 is the media byte F8 with FF,
// entry 1 the end-of-chain mark whose two high bits may be cleared (the
// volume's dirty and error flags).
bool BeginsLikeFat16Copy(ByteView sector) {
    return sector.u8(0) == 0xF8 && sector.u8(1) == 0xFF && sector.u8(2) == 0xFF &&
           (sector.u8(3) | 0xC0) == 0xFF;
}

struct Copies {
    std::uint64_t first = 0;    // sectors from the partition start to the first copy
    std::uint64_t sectors = 0;  // sectors per FAT
};

std::optional<Copies> FindCopies(const std::vector<std::uint8_t>& area) {
    const std::size_t sectors = area.size() / kSector;
    const ByteView view(area.data(), area.size());
    std::vector<std::size_t> candidates;
    for (std::size_t s = 0; s < sectors && candidates.size() < kMaxCopyCandidates; ++s)
        if (BeginsLikeFat16Copy(view.sub(s * kSector, kSector))) candidates.push_back(s);
    for (std::size_t i = 0; i < candidates.size(); ++i) {
        for (std::size_t j = i + 1; j < candidates.size(); ++j) {
            const std::size_t a = candidates[i];
            const std::size_t b = candidates[j];
            const std::size_t length = b - a;
            if (length > kMaxFat16Sectors || b + length > sectors) break;
            if (std::memcmp(area.data() + a * kSector, area.data() + b * kSector,
                            length * kSector) == 0)
                return Copies{a, length};
        }
    }
    return std::nullopt;
}

// Clusters in the chain that starts at `cluster` in the FAT copy `fat`, or
// nothing when the chain is not a whole one (a free or bad entry, a number
// past the FAT, a loop).
std::optional<std::uint64_t> ChainLength(ByteView fat, std::uint32_t cluster) {
    const std::uint64_t entries = fat.size() / 2;
    std::uint64_t count = 1;
    std::uint64_t n = cluster;
    while (count <= entries) {
        if (n >= entries) return std::nullopt;
        const std::uint16_t next = fat.le16(static_cast<std::size_t>(n) * 2);
        if (next >= 0xFFF8) return count;
        if (next < 2 || next > 0xFFF6) return std::nullopt;
        n = next;
        ++count;
    }
    return std::nullopt;
}

// The cluster sizes (as a bit per entry of kClusterSizes) that the files of
// one directory sector allow: a live file's chain holds just the clusters its
// size needs. Returns false at the directory's end mark.
bool NarrowByFiles(ByteView sector, ByteView fat, unsigned& allowed) {
    for (std::size_t at = 0; at + fat_dirent::kSize <= sector.size(); at += fat_dirent::kSize) {
        const ByteView entry = sector.sub(at, fat_dirent::kSize);
        if (IsEndOfDirectory(entry)) return false;
        const std::uint8_t attributes = entry.u8(fat_dirent::kAttributes);
        if (entry.u8(0) == fat_dirent::kDeletedMark || IsDotEntry(entry) ||
            IsLongNameEntry(entry) ||
            (attributes & (fat_dirent::kAttrDirectory | fat_dirent::kAttrVolumeLabel)) != 0)
            continue;
        if (entry.u8(0) < 0x20 || !IsAcceptableName(ReadShortName(entry).text)) continue;
        const std::uint64_t size = entry.le32(fat_dirent::kFileSize);
        const std::uint32_t first = EntryFirstCluster(entry, FatKind::Fat16);
        if (size == 0 || first < 2) continue;
        const std::optional<std::uint64_t> clusters = ChainLength(fat, first);
        if (!clusters) continue;
        unsigned fits = 0;
        for (std::size_t i = 0; i < kClusterSizes.size(); ++i) {
            const std::uint64_t bytes = std::uint64_t{kClusterSizes[i]} * kSector;
            if ((size + bytes - 1) / bytes == *clusters) fits |= 1u << i;
        }
        // A file that fits no cluster size is no evidence (a damaged entry).
        if ((allowed & fits) != 0) allowed &= fits;
    }
    return true;
}

}  // namespace

std::optional<FatLayout> InferFat16FromFatCopies(const DiskReader& disk, std::uint64_t start,
                                                 std::uint64_t end,
                                                 std::optional<DirectorySectorClue> folder) {
    if (end <= start || start > UINT32_MAX) return std::nullopt;
    const std::uint64_t areaSectors = std::min(end - start, kFatCopySearchSectors);
    const std::vector<std::uint8_t> area =
        disk.readRun(start, static_cast<std::uint32_t>(areaSectors));
    const std::optional<Copies> copies = FindCopies(area);
    if (!copies) return std::nullopt;

    const std::uint64_t firstFat = start + copies->first;
    const std::uint64_t spf = copies->sectors;
    const std::uint64_t rootStart = firstFat + 2 * spf;
    if (rootStart >= end) return std::nullopt;
    const ByteView fat(area.data() + copies->first * kSector, spf * kSector);

    // The files of the root directory and of the folder found.
    unsigned allowed = (1u << kClusterSizes.size()) - 1;
    const auto rootSectors =
        static_cast<std::uint32_t>(std::min<std::uint64_t>(kRootEvidenceSectors, end - rootStart));
    const std::vector<std::uint8_t> root = disk.readRun(rootStart, rootSectors);
    for (std::uint32_t s = 0; s < rootSectors; ++s)
        if (!NarrowByFiles(ByteView(root.data() + s * kSector, kSector), fat, allowed)) break;
    if (folder) {
        SectorBuffer sector{};
        disk.readSector(folder->sector, sector);
        NarrowByFiles(ByteView(sector.data(), sector.size()), fat, allowed);
    }

    struct Fit {
        std::uint64_t spc = 0;
        std::uint64_t rootSectors = 0;
        bool fatFitsClusters = false;
    };
    std::optional<Fit> best;
    const auto better = [](const Fit& a, const Fit& b) {
        if (a.fatFitsClusters != b.fatFitsClusters) return a.fatFitsClusters;
        const bool aDefault = a.rootSectors == kDefaultRootSectors;
        const bool bDefault = b.rootSectors == kDefaultRootSectors;
        if (aDefault != bDefault) return aDefault;
        return a.spc < b.spc;
    };
    for (std::size_t i = 0; i < kClusterSizes.size(); ++i) {
        if ((allowed & (1u << i)) == 0) continue;
        const std::uint64_t spc = kClusterSizes[i];
        Fit fit{spc, kDefaultRootSectors, false};
        if (folder && folder->cluster >= 2) {
            // The folder's first sector lies (cluster - 2) clusters into the data area.
            const std::uint64_t into = (std::uint64_t{folder->cluster} - 2) * spc;
            if (folder->sector <= rootStart + into) continue;
            fit.rootSectors = folder->sector - rootStart - into;
            if (fit.rootSectors > kMaxRootSectors) continue;
        }
        const std::uint64_t dataStart = rootStart + fit.rootSectors;
        if (dataStart >= end || dataStart < 2 * spc) continue;
        fit.fatFitsClusters = (end - dataStart) / spc + 2 <= spf * (kSector / 2);
        if (!best || better(fit, *best)) best = fit;
    }
    if (!best) return std::nullopt;

    const std::uint64_t dataStart = rootStart + best->rootSectors;
    if (dataStart > UINT32_MAX) return std::nullopt;
    FatLayout layout;
    layout.sectorsPerFat = static_cast<std::uint32_t>(spf);
    layout.sectorsPerCluster = static_cast<std::uint32_t>(best->spc);
    layout.rootSectors = static_cast<std::uint32_t>(best->rootSectors);
    layout.rootStart = static_cast<std::uint32_t>(rootStart);
    layout.reservedSectors = static_cast<std::uint32_t>(copies->first);
    layout.cluster0Start = static_cast<std::uint32_t>(dataStart - 2 * best->spc);
    layout.firstFat = static_cast<std::uint32_t>(firstFat);
    layout.secondFat = static_cast<std::uint32_t>(firstFat + spf);
    layout.kind = VolumeKind::Fat16;
    return layout;
}

}  // namespace datrevo
