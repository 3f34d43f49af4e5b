#include "exfat/exfat_advance_search.h"

#include <algorithm>
#include <bit>

#include "base/decimal.h"
#include "base/limits.h"
#include "base/volume_kind.h"
#include "catalogue/catalogue.h"
#include "exfat/exfat_geometry_inference.h"
#include "exfat/exfat_volume.h"

namespace datrevo {
namespace {

constexpr std::uint32_t kMaxClusterCount = 0xFFFFFFF5;
constexpr std::uint32_t kFatEntryBytes = 4;
// Candidates of one round checked for a root and a bitmap that fit.
constexpr std::size_t kCandidatesTried = 8;
// How far before the heap the FAT may start beyond its own length: the
// alignment formatters leave between the FAT and the heap (up to 32 MiB).
constexpr std::uint64_t kFatGapSectors = std::uint64_t{1} << 16;

// 512-byte disk sectors per volume sector.
std::uint64_t DiskSectorsPer(const ExfatBootSector& boot) {
    return std::uint64_t{1} << (boot.bytesPerSectorShift - 9);
}

std::uint64_t DiskSectorsPerCluster(const ExfatBootSector& boot) {
    return boot.sectorsPerCluster() * DiskSectorsPer(boot);
}

// Where the root's first cluster lies for a volume starting at `start`.
std::uint64_t RootSectorOf(std::uint64_t start, const ExfatBootSector& boot) {
    return start + std::uint64_t{boot.clusterHeapOffset} * DiskSectorsPer(boot) +
           std::uint64_t{boot.rootCluster - 2} * DiskSectorsPerCluster(boot);
}

const ExfatFoundDirectory* DirectoryAt(const std::vector<ExfatFoundDirectory>& dirs,
                                       std::uint64_t sector) {
    const auto it = std::lower_bound(
        dirs.begin(), dirs.end(), sector,
        [](const ExfatFoundDirectory& d, std::uint64_t s) { return d.sector < s; });
    return it != dirs.end() && it->sector == sector ? &*it : nullptr;
}

bool SameVolume(const ExfatBootSector& a, const ExfatBootSector& b) {
    return a.volumeSerial == b.volumeSerial && a.volumeLength == b.volumeLength &&
           a.clusterHeapOffset == b.clusterHeapOffset && a.clusterCount == b.clusterCount &&
           a.bytesPerSectorShift == b.bytesPerSectorShift;
}

class Analysis {
public:
    Analysis(const DiskReader& disk, const ExfatScanFindings& findings, std::uint64_t end)
        : disk_(disk),
          findings_(findings),
          claimedDir_(findings.directories.size(), false),
          claimedLink_(findings.links.size(), false) {
        const std::uint64_t total = disk.totalSectors();
        diskEnd_ = total != 0 ? total : end;
    }

    std::vector<ExfatFoundVolume> run() {
        fromBootSectors();
        for (int round = 0; round < kMaxExfatInferredVolumes; ++round)
            if (!inferOne() && !inferFromRoot()) break;
        return std::move(volumes_);
    }

private:
    void fromBootSectors() {
        const std::vector<ExfatFoundBoot>& boots = findings_.boots;
        std::vector<bool> used(boots.size(), false);
        for (std::size_t i = 0; i < boots.size(); ++i) {
            if (used[i]) continue;
            const ExfatFoundBoot& found = boots[i];
            const std::uint64_t backupDistance =
                exfat_boot::kRegionSectors * DiskSectorsPer(found.boot);
            ExfatFoundVolume volume;
            volume.fromBootSector = true;
            volume.boot = found.boot;
            volume.bootSector = found.sector;
            volume.start = found.sector;
            volume.checksumValid = found.checksumValid;
            bool paired = false;
            for (std::size_t j = i + 1; j < boots.size(); ++j)
                if (boots[j].sector == found.sector + backupDistance &&
                    SameVolume(boots[j].boot, found.boot)) {
                    used[j] = true;
                    paired = true;
                    // A main region that fails its checksum yields to its backup.
                    if (!found.checksumValid && boots[j].checksumValid) {
                        volume.boot = boots[j].boot;
                        volume.bootSector = boots[j].sector;
                        volume.backupUsed = true;
                        volume.checksumValid = true;
                    }
                }
            if (!paired && !rootAt(found.sector, found.boot) && found.sector >= backupDistance) {
                const std::uint64_t mainStart = found.sector - backupDistance;
                if (rootAt(mainStart, found.boot) || (found.boot.partitionOffset == mainStart &&
                                                      found.boot.partitionOffset != found.sector)) {
                    volume.start = mainStart;
                    volume.backupUsed = true;
                }
            }
            if (std::any_of(volumes_.begin(), volumes_.end(),
                            [&](const ExfatFoundVolume& v) { return v.start == volume.start; }))
                continue;
            volume.rootFound = rootAt(volume.start, volume.boot);
            claim(volume);
            volumes_.push_back(volume);
        }
    }

    bool rootAt(std::uint64_t start, const ExfatBootSector& boot) const {
        const ExfatFoundDirectory* dir =
            DirectoryAt(findings_.directories, RootSectorOf(start, boot));
        return dir != nullptr && dir->root;
    }

    // The directory sectors and links inside the volume's heap become its own.
    void claim(ExfatFoundVolume& volume) {
        const std::uint64_t first = volume.heapStart();
        const std::uint64_t last = volume.heapEnd();
        for (std::size_t i = 0; i < findings_.directories.size(); ++i) {
            const std::uint64_t sector = findings_.directories[i].sector;
            if (!claimedDir_[i] && sector >= first && sector < last) {
                claimedDir_[i] = true;
                ++volume.directories;
            }
        }
        for (std::size_t i = 0; i < findings_.links.size(); ++i) {
            const std::uint64_t sector = findings_.links[i].sector;
            if (!claimedLink_[i] && sector >= first && sector < last) claimedLink_[i] = true;
        }
    }

    // One volume from the directory sectors and links no volume claimed yet.
    bool inferOne() {
        std::vector<std::uint64_t> targets(findings_.upcaseStarts);
        std::vector<std::uint32_t> links;
        std::vector<const ExfatFoundDirectory*> roots;
        for (std::size_t i = 0; i < findings_.directories.size(); ++i) {
            if (claimedDir_[i]) continue;
            const ExfatFoundDirectory& dir = findings_.directories[i];
            targets.push_back(dir.sector);
            if (dir.root) {
                roots.push_back(&dir);
                links.push_back(dir.upcase.firstCluster);
            }
        }
        for (std::size_t i = 0; i < findings_.links.size(); ++i)
            if (!claimedLink_[i]) links.push_back(findings_.links[i].cluster);
        std::sort(targets.begin(), targets.end());
        targets.erase(std::unique(targets.begin(), targets.end()), targets.end());

        for (const ExfatGeometryCandidate& candidate :
             InferExfatClusterGeometry(targets, links, kCandidatesTried)) {
            ExfatFoundVolume volume;
            if (!build(candidate, roots, volume)) continue;
            const std::size_t before = volume.directories;
            claim(volume);
            if (volume.directories == before) return false;  // nothing new: no progress
            volumes_.push_back(volume);
            return true;
        }
        return false;
    }

    // A volume whose root names no folder: one link (to its up-case table)
    // cannot choose among the cluster sizes. Each size that puts the up-case
    // table on a found one and the root on a cluster is weighed by the FAT's
    // chain of the up-case table (as long as the table needs clusters) and by
    // the formatters' layout (the root right after the up-case table); the
    // only best one is taken.
    bool inferFromRoot() {
        for (std::size_t i = 0; i < findings_.directories.size(); ++i) {
            const ExfatFoundDirectory& root = findings_.directories[i];
            if (claimedDir_[i] || !root.root) continue;
            ExfatFoundVolume best;
            int bestScore = 0;
            bool tie = false;
            for (std::uint64_t upcase : findings_.upcaseStarts) {
                if (upcase >= root.sector) break;
                for (std::uint32_t shift = 0; shift <= kMaxExfatClusterShift512; ++shift) {
                    ExfatFoundVolume volume;
                    const int score = weighRootGeometry(root, upcase, shift, volume);
                    if (score > bestScore) {
                        best = volume;
                        bestScore = score;
                        tie = false;
                    } else if (score == bestScore && score > 0) {
                        tie = true;
                    }
                }
            }
            if (bestScore == 0 || tie) continue;
            claim(best);
            if (best.directories == 0) continue;
            volumes_.push_back(best);
            return true;
        }
        return false;
    }

    // 0 when the geometry does not fit; else 1 for the layout, 2 for the FAT chain.
    int weighRootGeometry(const ExfatFoundDirectory& root, std::uint64_t upcaseSector,
                          std::uint32_t shift, ExfatFoundVolume& volume) const {
        const std::uint32_t spc = std::uint32_t{1} << shift;
        const std::uint64_t offset = std::uint64_t{root.upcase.firstCluster - 2} * spc;
        if (upcaseSector < offset) return 0;
        const ExfatGeometryCandidate candidate{upcaseSector - offset, spc, 1};
        if (!build(candidate, {&root}, volume) || !volume.rootFound) return 0;
        const std::uint64_t clusterBytes = std::uint64_t{spc} * limits::kSectorSize;
        const std::uint64_t upcaseClusters =
            (root.upcase.dataLength + clusterBytes - 1) / clusterBytes;
        int score = 0;
        if (volume.boot.fatLength != 0) {
            const ExfatVolume exfat(disk_, volume.start, volume.boot);
            const ExfatClusterList chain =
                ExfatFatChain(exfat, root.upcase.firstCluster, upcaseClusters + 1);
            if (!chain.complete || chain.clusters != upcaseClusters) return 0;
            score += 2;
        }
        if (volume.boot.rootCluster == root.upcase.firstCluster + upcaseClusters) score += 1;
        return score;
    }

    // The volume a geometry gives, with its root, cluster count and FAT; false
    // when the found root's bitmap does not fit on the disk.
    bool build(const ExfatGeometryCandidate& candidate,
               const std::vector<const ExfatFoundDirectory*>& roots,
               ExfatFoundVolume& volume) const {
        const std::uint64_t heap = candidate.heapStart;
        const std::uint64_t spc = candidate.sectorsPerCluster;
        if (heap >= diskEnd_) return false;
        const std::uint64_t fitting =
            std::min<std::uint64_t>((diskEnd_ - heap) / spc, kMaxClusterCount);

        // The root: on a cluster of this geometry, its up-case table where it
        // says, its bitmap on the disk. The first such one in disk order.
        const ExfatFoundDirectory* root = nullptr;
        for (const ExfatFoundDirectory* dir : roots) {
            if (dir->sector < heap || (dir->sector - heap) % spc != 0) continue;
            // A bitmap of n bytes maps at least 8(n - 1) + 1 clusters.
            if (fitting == 0 || dir->bitmap.dataLength - 1 > (fitting - 1) / 8) continue;
            root = dir;
            if (ExfatLinksExplained(findings_.upcaseStarts,
                                    std::vector<std::uint32_t>{dir->upcase.firstCluster}, heap,
                                    candidate.sectorsPerCluster) == 1)
                break;
        }
        std::uint64_t count = fitting;
        if (root != nullptr) count = std::min<std::uint64_t>(count, root->bitmap.dataLength * 8);
        if (count == 0) return false;
        const std::uint64_t rootCluster = root ? (root->sector - heap) / spc + 2 : 0;
        if (root && rootCluster - 2 >= count) return false;

        // The FAT: the nearest FAT start before the heap, close enough to it.
        const std::uint64_t fatSectors =
            ((count + 2) * kFatEntryBytes + limits::kSectorSize - 1) / limits::kSectorSize;
        std::uint64_t fat = 0;
        bool fatFound = false;
        for (std::uint64_t sector : findings_.fatStarts)
            if (sector < heap && heap - sector <= fatSectors + kFatGapSectors) {
                fat = sector;
                fatFound = true;
            }
        volume.start = fatFound ? fat : heap;
        ExfatBootSector& boot = volume.boot;
        boot.bytesPerSectorShift = 9;
        boot.sectorsPerClusterShift = static_cast<std::uint8_t>(std::countr_zero(spc));
        boot.numberOfFats = 1;
        boot.fatOffset = 0;
        boot.fatLength =
            fatFound ? static_cast<std::uint32_t>(std::min(heap - fat, fatSectors)) : 0;
        boot.clusterHeapOffset = static_cast<std::uint32_t>(heap - volume.start);
        boot.clusterCount = static_cast<std::uint32_t>(count);
        boot.rootCluster = static_cast<std::uint32_t>(rootCluster);
        boot.volumeLength = heap - volume.start + count * spc;
        volume.rootFound = root != nullptr;
        volume.linksExplained = candidate.linksExplained;
        return true;
    }

    const DiskReader& disk_;
    const ExfatScanFindings& findings_;
    std::uint64_t diskEnd_ = 0;
    std::vector<bool> claimedDir_;
    std::vector<bool> claimedLink_;
    std::vector<ExfatFoundVolume> volumes_;
};

}  // namespace

std::uint64_t ExfatFoundVolume::heapStart() const {
    return start + std::uint64_t{boot.clusterHeapOffset} * DiskSectorsPer(boot);
}

std::uint64_t ExfatFoundVolume::heapEnd() const {
    return heapStart() + std::uint64_t{boot.clusterCount} * DiskSectorsPerCluster(boot);
}

std::vector<ExfatFoundVolume> AnalyzeExfatFindings(const DiskReader& disk,
                                                   const ExfatScanFindings& findings,
                                                   std::uint64_t end) {
    return Analysis(disk, findings, end).run();
}

int AppendExfatVolumeRow(CatalogueTable& table, const ExfatFoundVolume& volume) {
    const ExfatBootSector& boot = volume.boot;
    const std::uint64_t k = DiskSectorsPer(boot);
    const std::uint64_t spc = DiskSectorsPerCluster(boot);
    const std::uint64_t fatLength = std::uint64_t{boot.fatLength} * k;
    const std::uint64_t fatOffset = std::uint64_t{boot.fatOffset} * k;
    const std::uint64_t firstFat = fatLength != 0 ? volume.start + fatOffset : 0;
    const std::uint64_t heap = volume.heapStart();
    // Cluster 0 lies two clusters before the heap; a heap closer than that to
    // sector 0 wraps modulo 2^32, as 32-bit sector numbers do.
    const std::uint64_t cluster0 =
        heap >= 2 * spc ? heap - 2 * spc : (heap - 2 * spc) & 0xFFFFFFFFu;
    const int row = table.appendRow(Unsigned64Text(volume.fromBootSector ? volume.bootSector : 0));
    table.setCell(row, boot_col::Spf, Unsigned64Text(fatLength));
    table.setCell(row, boot_col::Spc, Unsigned64Text(spc));
    table.setCell(row, boot_col::RootSectors, Unsigned64Text(boot.clusterCount));
    table.setCell(row, boot_col::RootStart, Unsigned64Text(boot.rootCluster));
    table.setCell(row, boot_col::ReserveSectors, Unsigned64Text(fatLength != 0 ? fatOffset : 0));
    table.setCell(row, boot_col::Cluster0Start, Unsigned64Text(cluster0));
    table.setCell(row, boot_col::FirstFat, Unsigned64Text(firstFat));
    table.setCell(
        row, boot_col::SecondFat,
        Unsigned64Text(firstFat != 0 && boot.numberOfFats == 2 ? firstFat + fatLength : 0));
    table.setCell(row, boot_col::TotalSectors,
                  Unsigned64Text(volume.start + boot.volumeLength * k));
    table.setCell(row, boot_col::PartType, std::string(VolumeKindText(VolumeKind::Exfat)));
    return row;
}

}  // namespace datrevo

namespace datrevo {

std::optional<ExfatRebuiltVolume> ReadExfatVolumeRow(const CatalogueTable& table, int row) {
    if (row < 0 || row >= table.count()) return std::nullopt;
    const auto cell = [&](int column) {
        return static_cast<std::uint64_t>(table.cellSigned64(row, column));
    };
    const std::uint64_t spc = cell(boot_col::Spc);
    const std::uint64_t count = cell(boot_col::RootSectors);
    const std::uint64_t root = cell(boot_col::RootStart);
    const std::uint64_t fatOffset = cell(boot_col::ReserveSectors);
    const std::uint64_t cluster0 = cell(boot_col::Cluster0Start);
    const std::uint64_t firstFat = cell(boot_col::FirstFat);
    const std::uint64_t secondFat = cell(boot_col::SecondFat);
    const std::uint64_t fatLength = firstFat != 0 ? cell(boot_col::Spf) : 0;
    const std::uint64_t end = cell(boot_col::TotalSectors);
    if (spc == 0 || !std::has_single_bit(spc) ||
        std::countr_zero(spc) > int{kMaxExfatClusterShift512})
        return std::nullopt;
    if (count == 0 || count > kMaxClusterCount || root > count + 1 || root == 1 ||
        fatLength > 0xFFFFFFFFu || cluster0 > (std::uint64_t{1} << 62))
        return std::nullopt;
    std::uint64_t heap = cluster0 + 2 * spc;
    if (cluster0 <= 0xFFFFFFFFu && heap > 0xFFFFFFFFu &&
        cluster0 + 2 * spc - 0x100000000u < 2 * spc)
        heap -= 0x100000000u;  // a cluster 0 that wrapped below sector 0
    // The volume starts FatOffset before its FAT; without a FAT, at its heap.
    if (firstFat != 0 && (fatOffset > firstFat || firstFat - fatOffset > heap)) return std::nullopt;
    const std::uint64_t start = firstFat != 0 ? firstFat - fatOffset : heap;
    if (heap - start > 0xFFFFFFFFu || (firstFat != 0 && firstFat - start > 0xFFFFFFFFu) ||
        end < heap || count * spc > end - heap)
        return std::nullopt;

    ExfatRebuiltVolume out;
    out.start = start;
    ExfatBootSector& boot = out.boot;
    boot.bytesPerSectorShift = 9;
    boot.sectorsPerClusterShift = static_cast<std::uint8_t>(std::countr_zero(spc));
    boot.numberOfFats = secondFat != 0 ? 2 : 1;
    boot.fatOffset = static_cast<std::uint32_t>(firstFat != 0 ? firstFat - start : 0);
    boot.fatLength = static_cast<std::uint32_t>(fatLength);
    boot.clusterHeapOffset = static_cast<std::uint32_t>(heap - start);
    boot.clusterCount = static_cast<std::uint32_t>(count);
    boot.rootCluster = static_cast<std::uint32_t>(root);
    boot.volumeLength = end - start;
    return out;
}

}  // namespace datrevo
