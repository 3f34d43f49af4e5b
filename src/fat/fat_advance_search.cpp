#include "fat/fat_advance_search.h"

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "catalogue/row_views.h"
#include "base/boot_sector.h"
#include "base/decimal.h"
#include "catalogue/catalogue.h"
#include "fat/fat_copy_inference.h"
#include "fat/fat_entry.h"
#include "fat/fat_kind.h"
#include "fat/fat_volume_layout.h"
#include "fat/folder_rows.h"
#include "base/progress_meter.h"
#include "fat/sector_runs.h"

namespace datrevo {
namespace {

using namespace fat_boot;

std::string SectorsStatus(std::uint64_t at, std::uint64_t end) {
    return "Sectors  " + std::to_string(at) + " of " + std::to_string(end);
}

// A FAT32 boot sector carries "32" of its "FAT32   " text at 0x55, a FAT16
// one "16" of "FAT16   " at 0x39; both end with 0x55 0xAA.
enum class BootKind { None, Fat16, Fat32 };
BootKind BootRecordKind(ByteView sector) {
    const BootSectorClass boot = ClassifyBootSector(sector, FatTextRule::Digits);
    if (!boot.signature || !boot.isFat()) return BootKind::None;
    return boot.kind == BootSectorKind::Fat32 ? BootKind::Fat32 : BootKind::Fat16;
}

// The layout a boot sector at `s` describes, as the cells of a
// BootRecordTable row (32-bit sector arithmetic, like the layouts).
void AppendBootRecordRow(CatalogueTable& boots, ByteView sector, std::uint64_t sectorNumber,
                         BootKind kind) {
    const auto s = static_cast<std::uint32_t>(sectorNumber);
    const std::uint32_t reserved = sector.le16(kReservedSectors);
    const std::uint32_t spc = sector.u8(kSectorsPerCluster);
    const std::uint32_t total16 = sector.le16(kTotalSectors16);
    const std::uint32_t total = total16 != 0 ? total16 : sector.le32(kTotalSectors32);
    const bool fat32 = kind == BootKind::Fat32;
    const std::uint32_t spf = fat32 ? sector.le32(kSectorsPerFat32) : sector.le16(kSectorsPerFat16);
    const std::uint32_t rootSectors = fat32 ? 0 : sector.le16(kRootEntries) / 16u;

    const int row = boots.appendRow(UnsignedText(s));
    boots.setUnsigned(row, boot_col::Spf, spf);
    boots.setUnsigned(row, boot_col::Spc, spc);
    boots.setUnsigned(row, boot_col::RootSectors, rootSectors);
    boots.setUnsigned(row, boot_col::RootStart,
                      fat32 ? sector.le32(kRootCluster) : s + reserved + 2 * spf);
    boots.setUnsigned(row, boot_col::ReserveSectors, reserved);
    boots.setUnsigned(row, boot_col::Cluster0Start, s + reserved + rootSectors + 2 * spf - 2 * spc);
    boots.setUnsigned(row, boot_col::FirstFat, s + reserved);
    boots.setUnsigned(row, boot_col::SecondFat, s + reserved + spf);
    boots.setUnsigned(row, boot_col::TotalSectors, s + total);
    boots.setCell(row, boot_col::PartType,
                  std::string(VolumeKindText(fat32 ? VolumeKind::Fat32 : VolumeKind::Fat16)));
}

// A directory sector: "." entry's and ".." entry's clusters (high and low words).
void AppendLostDirRow(CatalogueTable& lostDirs, ByteView sector, std::uint64_t sectorNumber) {
    const ByteView dot = sector.sub(0, fat_dirent::kSize);
    const ByteView dotDot = sector.sub(fat_dirent::kSize, fat_dirent::kSize);
    LostFolderRow row;
    row.sector = sectorNumber;
    row.selfCluster = EntryFirstCluster(dot, FatKind::Fat32);
    row.parentCluster = EntryFirstCluster(dotDot, FatKind::Fat32);
    row.date = dot.le16(fat_dirent::kDate);
    row.time = dot.le16(fat_dirent::kTime);
    row.append(lostDirs);
}

// The LostDirTable as numbers, for the analysis; "File System" cells are
// written back as rows are assigned.
struct DirRow {
    std::uint64_t sector = 0;
    std::uint64_t self = 0;
    std::int64_t fileSystem = 0;
};

class Assignment {
public:
    Assignment(CatalogueTable& lostDirs, RecoveryObserver& observer)
        : table_(lostDirs), progress_(observer) {
        for (int row = 0; row < lostDirs.count(); ++row) {
            const LostFolderRow lost = LostFolderRow::Read(lostDirs, row);
            rows_.push_back({lost.sector, lost.selfCluster, lost.fileSystem});
        }
        sortedBySector_ =
            std::is_sorted(rows_.begin(), rows_.end(),
                           [](const DirRow& a, const DirRow& b) { return a.sector < b.sector; });
    }

    std::vector<DirRow>& rows() { return rows_; }
    // First row index whose sector may be >= `sector` (0 when the rows are unordered).
    std::size_t firstAtOrAfter(std::uint64_t sector) const {
        if (!sortedBySector_) return 0;
        return static_cast<std::size_t>(
            std::lower_bound(rows_.begin(), rows_.end(), sector,
                             [](const DirRow& r, std::uint64_t s) { return r.sector < s; }) -
            rows_.begin());
    }
    bool sorted() const { return sortedBySector_; }

    // A row that an earlier phase could not place (-1) joins a volume found later.
    void reassign(std::size_t index, std::int64_t fileSystem) {
        rows_[index].fileSystem = fileSystem;
        table_.setSigned(static_cast<int>(index), lostdir_col::FileSystem, fileSystem);
    }

    void assign(std::size_t index, std::int64_t fileSystem) {
        rows_[index].fileSystem = fileSystem;
        table_.setSigned(static_cast<int>(index), lostdir_col::FileSystem, fileSystem);
        ++assigned_;
        progress_.set(PercentOf(assigned_, rows_.size()));
    }

private:
    CatalogueTable& table_;
    ProgressMeter progress_;
    std::vector<DirRow> rows_;
    bool sortedBySector_ = true;
    std::uint64_t assigned_ = 0;
};

bool IsClusterStep(std::uint64_t k) { return IsValidSectorsPerCluster(k); }

// Phase 2 pair test: clusters and sectors grow together, each cluster number
// lies below both sectors, and the step is a real cluster size.
bool PairFits(const DirRow& j, const DirRow& k, std::uint64_t& step) {
    if (!(j.self < k.self && j.sector < k.sector && k.self < k.sector && k.self < j.sector))
        return false;
    const std::uint64_t sectorDistance = k.sector - j.sector;
    const std::uint64_t clusterDistance = k.self - j.self;
    if (sectorDistance % clusterDistance != 0) return false;
    step = sectorDistance / clusterDistance;
    return IsClusterStep(step) && j.self * step < j.sector && k.self * step < k.sector;
}

void PhaseOne(FatSearchScope& scope, Assignment& assignment) {
    CatalogueTable& boots = scope.catalogue.BootRecordTable;
    CatalogueTable& volumes = scope.catalogue.VolumeTable;
    std::vector<DirRow>& rows = assignment.rows();
    for (int b = 0; b < boots.count(); ++b) {
        const std::uint64_t spc = boots.cellUnsigned(b, boot_col::Spc);
        const std::uint64_t cluster0 = boots.cellUnsigned(b, boot_col::Cluster0Start);
        const std::uint64_t end = boots.cellUnsigned(b, boot_col::TotalSectors);
        bool hit = false;
        for (std::size_t i = assignment.firstAtOrAfter(cluster0); i < rows.size(); ++i) {
            const DirRow& row = rows[i];
            if (assignment.sorted() && row.sector > end) break;
            if (row.fileSystem != 0 || row.sector < cluster0 || row.sector > end) continue;
            if (row.sector != row.self * spc + cluster0) continue;
            if (!hit) {
                hit = true;
                ++scope.state.volumesFound;
                const int v = volumes.appendRow(boots.cell(b, 0));
                for (int c = 1; c < boots.columnCount(); ++c)
                    volumes.setCell(v, c, boots.cell(b, c));
            }
            assignment.assign(i, scope.state.volumesFound);
        }
    }
}

void PhaseTwo(FatSearchScope& scope, Assignment& assignment) {
    CatalogueTable& volumes = scope.catalogue.VolumeTable;
    std::vector<DirRow>& rows = assignment.rows();
    const bool partitionIsFat32 = scope.kind == VolumeKind::Fat32;
    for (std::size_t j = 0; j < rows.size(); ++j) {
        if (rows[j].fileSystem != 0) continue;
        std::uint64_t step = 0;
        std::size_t partner = rows.size();
        for (std::size_t k = j + 1; k < rows.size(); ++k) {
            if (rows[k].fileSystem == 0 && PairFits(rows[j], rows[k], step)) {
                partner = k;
                break;
            }
        }
        if (partner == rows.size()) {
            assignment.assign(j, -1);
            continue;
        }
        const int number = ++scope.state.volumesFound;
        const std::uint64_t cluster0 = rows[j].sector - rows[j].self * step;
        const int v = volumes.appendRow("0");
        volumes.setUnsigned(v, boot_col::Spc, static_cast<std::uint32_t>(step));
        volumes.setCell(v, boot_col::Cluster0Start, Unsigned64Text(cluster0));
        volumes.setCell(v, boot_col::PartType, std::string(VolumeKindText(scope.kind)));
        std::uint64_t largest = rows[partner].self;
        auto join = [&](std::size_t index) {
            assignment.assign(index, number);
            largest = std::max(largest, rows[index].self);
            if (!partitionIsFat32 && largest > 65536)
                volumes.setCell(v, boot_col::PartType,
                                std::string(VolumeKindText(VolumeKind::Fat32)));
        };
        join(j);
        join(partner);
        for (std::size_t i = 0; i < rows.size(); ++i)
            if (rows[i].fileSystem == 0 && rows[i].sector == rows[i].self * step + cluster0)
                join(i);
    }
}

// A FAT16 volume with a single folder leaves Phase 2 without a pair and no
// volume at all. Its FAT copies and root directory at the start of the range
// may still give its layout: the volume is then offered with it.
void VolumeFromFatCopies(FatSearchScope& scope, Assignment& assignment) {
    if (scope.state.volumesFound != 0 || scope.kind != VolumeKind::Fat16) return;
    std::vector<DirRow>& rows = assignment.rows();
    std::optional<DirectorySectorClue> folder;
    for (const DirRow& row : rows) {
        const auto cluster = static_cast<std::uint32_t>(row.self & 0xFFFF);
        if (cluster >= 2) {
            folder = DirectorySectorClue{row.sector, cluster};
            break;
        }
    }
    const std::optional<FatLayout> layout =
        InferFat16FromFatCopies(scope.disk, scope.start, scope.end, folder);
    if (!layout) return;
    const int number = ++scope.state.volumesFound;
    CatalogueTable& volumes = scope.catalogue.VolumeTable;
    const int v = volumes.appendRow("0");
    volumes.setUnsigned(v, boot_col::Spf, layout->sectorsPerFat);
    volumes.setUnsigned(v, boot_col::Spc, layout->sectorsPerCluster);
    volumes.setUnsigned(v, boot_col::RootSectors, layout->rootSectors);
    volumes.setUnsigned(v, boot_col::RootStart, layout->rootStart);
    volumes.setUnsigned(v, boot_col::ReserveSectors, layout->reservedSectors);
    volumes.setUnsigned(v, boot_col::Cluster0Start, layout->cluster0Start);
    volumes.setUnsigned(v, boot_col::FirstFat, layout->firstFat);
    volumes.setUnsigned(v, boot_col::SecondFat, layout->secondFat);
    volumes.setCell(v, boot_col::TotalSectors, Unsigned64Text(scope.end));
    volumes.setCell(v, boot_col::PartType, std::string(VolumeKindText(layout->kind)));
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const std::uint64_t cluster = rows[i].self & 0xFFFF;
        if (rows[i].fileSystem == -1 &&
            rows[i].sector == cluster * layout->sectorsPerCluster + layout->cluster0Start)
            assignment.reassign(i, number);
    }
}

}  // namespace

bool ScanFatSignatures(FatSearchScope& scope) {
    CatalogueTable& boots = scope.catalogue.BootRecordTable;
    CatalogueTable& lostDirs = scope.catalogue.LostDirTable;
    boots.deleteAll();
    lostDirs.deleteAll();
    scope.catalogue.VolumeTable.deleteAll();
    RecoveryObserver& observer = scope.observer;
    observer.counterValue(Counter::Folders, 0);
    observer.counterValue(Counter::BootSectors, 0);
    observer.statusText(SectorsStatus(0, scope.end));

    ProgressMeter progress(observer);
    const std::uint64_t end = ClampScanEnd(scope.disk, scope.end);
    return ForEachSectorRun(
        scope.disk, scope.start, end, kScanRunSectors, scope.stop,
        [&](std::uint64_t chunk, ByteView run) {
            const std::size_t count = run.size() / limits::kSectorSize;
            for (std::size_t i = 0; i < count; ++i) {
                const ByteView sector = run.sub(i * limits::kSectorSize, limits::kSectorSize);
                if (const BootKind kind = BootRecordKind(sector); kind != BootKind::None) {
                    AppendBootRecordRow(boots, sector, chunk + i, kind);
                    observer.counterValue(Counter::BootSectors,
                                          static_cast<std::uint64_t>(boots.count()));
                }
                if (IsDirectorySector(sector)) {
                    AppendLostDirRow(lostDirs, sector, chunk + i);
                    observer.counterValue(Counter::Folders,
                                          static_cast<std::uint64_t>(lostDirs.count()));
                }
            }
            // The status follows the bar: one text per percent, not per run.
            const int percent = PercentOf(chunk, scope.end);
            if (percent != progress.shown()) observer.statusText(SectorsStatus(chunk, scope.end));
            progress.set(percent);
            return true;
        });
}

void AnalyzeFileSystems(FatSearchScope& scope) {
    scope.observer.statusText(kAnalysisPhase1Status);
    scope.observer.progress(0, kPhaseStartCaption);
    scope.state.volumesFound = 0;
    scope.catalogue.VolumeTable.deleteAll();
    Assignment assignment(scope.catalogue.LostDirTable, scope.observer);
    PhaseOne(scope, assignment);
    scope.observer.statusText(kAnalysisPhase2Status);
    PhaseTwo(scope, assignment);
    VolumeFromFatCopies(scope, assignment);
}

int NextUnassignedDirectory(const CatalogueTable& lostDirs, int row) {
    for (int r = std::max(row, 0); r < lostDirs.count(); ++r)
        if (lostDirs.cellSigned64(r, lostdir_col::FileSystem) == 0) return r;
    return -1;
}

void LocateFatCopies(FatSearchScope& scope, int volume) {
    CatalogueTable& volumes = scope.catalogue.VolumeTable;
    const int row = volume - 1;
    FatLayout& active = scope.activeLayout;
    const std::uint32_t cluster0 = active.cluster0Start;
    const bool fat32 = KindOf(active) == FatKind::Fat32;
    const std::uint32_t window = fat32 ? 30000 : 550;
    std::uint32_t from = cluster0 <= window ? 63 : cluster0 - window;
    if (from == 0) from = 63;

    // The two FAT copies are the last two sectors before the data area that
    // begin with the media byte and the two 0xFF of entry 1: FATs of another
    // volume further back in the window are not this volume's.
    std::vector<std::uint64_t> candidates;
    ProgressMeter progress(scope.observer);
    // Part of recovering a chosen volume: only leaving the program ends it.
    ForEachSectorRun(scope.disk, from, ClampScanEnd(scope.disk, cluster0), kScanRunSectors,
                     scope.abandon, [&](std::uint64_t first, ByteView run) {
                         const std::size_t count = run.size() / limits::kSectorSize;
                         for (std::size_t i = 0; i < count; ++i) {
                             const std::size_t at = i * limits::kSectorSize;
                             if (run.u8(at) == kFixedDiskMedia && run.u8(at + 1) == 0xFF &&
                                 run.u8(at + 2) == 0xFF)
                                 candidates.push_back(first + i);
                         }
                         progress.set(PercentOf(first + count, cluster0));
                         return true;
                     });
    if (candidates.empty()) return;
    if (candidates.size() == 1) {
        volumes.setCell(row, boot_col::FirstFat, Unsigned64Text(candidates.back()));
        active.firstFat = static_cast<std::uint32_t>(candidates.back());
        return;
    }
    const std::uint64_t firstFat = candidates[candidates.size() - 2];
    const std::uint64_t secondFat = candidates.back();
    const std::uint64_t spf = secondFat - firstFat;
    volumes.setCell(row, boot_col::FirstFat, Unsigned64Text(firstFat));
    active.firstFat = static_cast<std::uint32_t>(firstFat);
    volumes.setCell(row, boot_col::SecondFat, Unsigned64Text(secondFat));
    volumes.setCell(row, boot_col::Spf, Unsigned64Text(spf));
    volumes.setCell(row, boot_col::RootStart,
                    fat32 ? std::string("2") : Unsigned64Text(secondFat + spf));
}

void PrepareSelectedVolume(FatSearchScope& scope, int volume) {
    CatalogueTable& lostDirs = scope.catalogue.LostDirTable;
    CatalogueTable& folders = scope.catalogue.FolderTable;
    CatalogueTable& volumes = scope.catalogue.VolumeTable;
    int n = 0;
    for (int r = 0; r < lostDirs.count(); ++r) {
        if (lostDirs.cellSigned64(r, lostdir_col::FileSystem) != volume) continue;
        const int row = folders.insertRow(n, "DIR" + std::to_string(n));
        ++n;
        folders.setCell(row, folder_col::Sector, lostDirs.cell(r, lostdir_col::Sector));
        folders.setCell(row, folder_col::Self, lostDirs.cell(r, lostdir_col::SelfCluster));
        folders.setCell(row, folder_col::Parent, lostDirs.cell(r, lostdir_col::ParentCluster));
        folders.setCell(row, folder_col::Date, lostDirs.cell(r, lostdir_col::Date));
        folders.setCell(row, folder_col::Time, lostDirs.cell(r, lostdir_col::Time));
        folders.setCell(row, folder_col::Size, "0");
        folders.setCell(row, folder_col::Attr, "16");
        folders.setCell(row, folder_col::Type, kTypeFolder);
    }

    const int v = volume - 1;
    FatLayout& active = scope.activeLayout;
    active.cluster0Start = volumes.cellUnsigned(v, boot_col::Cluster0Start);
    active.kind = VolumeKindFromText(volumes.cell(v, boot_col::PartType));
    if (volumes.cellUnsigned(v, boot_col::FirstFat) == 0) LocateFatCopies(scope, volume);

    active.firstFat = volumes.cellUnsigned(v, boot_col::FirstFat);
    active.reservedSectors = volumes.cellUnsigned(v, boot_col::ReserveSectors);
    active.rootSectors = volumes.cellUnsigned(v, boot_col::RootSectors);
    if (active.rootSectors == 0 && active.kind == VolumeKind::Fat16) active.rootSectors = 32;
    active.rootStart = volumes.cellUnsigned(v, boot_col::RootStart);
    if (active.rootStart == 0) active.rootStart = 2;
    active.secondFat = volumes.cellUnsigned(v, boot_col::SecondFat);
    active.sectorsPerCluster = volumes.cellUnsigned(v, boot_col::Spc);
    active.sectorsPerFat = volumes.cellUnsigned(v, boot_col::Spf);
}

void StoreVolumeDirectoryInformation(FatSearchScope& scope) {
    StoreOptions options;
    options.advanceProgress = false;
    options.emptyTable = false;
    options.expandAndCollapse = false;
    StoreFolderRows(scope, scope.activeLayout, options);
}

void RunFatAdvanceScan(FatSearchScope& scope) {
    scope.catalogue.FolderTable.deleteAll();
    scope.catalogue.EntryTable.deleteAll();
    scope.state.foundAnything = true;
    scope.observer.counterLabel(Counter::Folders, kDirectoriesFoundLabel);
    ScanFatSignatures(scope);
    AnalyzeFileSystems(scope);
}

bool RecoverFatVolume(FatSearchScope& scope, int volume) {
    if (volume < 1 || volume > scope.catalogue.VolumeTable.count()) return false;
    CatalogueTable& folders = scope.catalogue.FolderTable;
    folders.deleteAll();
    InsertCatchAllRow(folders, 0);
    PrepareSelectedVolume(scope, volume);
    scope.observer.statusText(kLinkingStatus);
    folders.sortByColumn(folder_col::Self);
    LinkParentFolders(folders, scope.observer, scope.abandon);
    scope.observer.statusText(kStoringStatus);
    folders.sortByColumn(folder_col::Parent);
    StoreVolumeDirectoryInformation(scope);
    return true;
}

}  // namespace datrevo
