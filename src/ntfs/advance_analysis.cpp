// The Advance search's second stage, the analysis of what the scan found
// (AssignMftNumbers): numbers the found folders, assigns them to file
// systems and fills VolumeTable.
#include <algorithm>
#include <map>
#include <optional>
#include <string>
#include <tuple>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "base/decimal.h"
#include "catalogue/row_views.h"
#include "base/limits.h"
#include "base/text_codec.h"
#include "base/volume_kind.h"
#include "ntfs/advance_search.h"
#include "ntfs/boot_record.h"
#include "ntfs/file_record.h"
#include "base/progress_meter.h"
#include "ntfs/ntfs_offsets.h"

namespace datrevo {
namespace {

constexpr std::size_t kSector = limits::kSectorSize;
constexpr const char* kProceedText =
    "For recovering data proceed with next button or if you want to recover another drive, "
    "proceed with back button and select another partition.";
constexpr const char* kNoFileSystemText =
    "No File System could be identified. Click on 'Back' button to select another Partition.";

// A row of LostDirTable while the analysis works on it.
struct LostFolder {
    std::string sectorText;  // first phase: the folder's name; then its sector
    std::uint64_t sector = 0;
    std::uint32_t self = 0;
    std::uint32_t parent = 0;
    std::uint32_t fileSystem = 0;
    std::int64_t date = 0;
    std::string name;  // "Time" column
    std::uint64_t firstRun = 0;
};

// A row of MftRefTable: a found index block.
struct IndexRef {
    std::uint64_t sector = 0;
    std::uint32_t owner = 0;
    std::uint32_t vcn = 0;
    bool removed = false;
};

// One directory entry of an index block, as phase 1 reads it.
struct IndexEntry {
    std::uint32_t record = 0;
    std::uint32_t parent = 0;
    std::int64_t creationTime = 0;
    bool directory = false;
    std::string name;
};

// Index entry: 0 file reference, 8 entry length, 16 parent reference,
// 24 creation time, 74 upper half of the file-name flags (0x1000 directory),
// 80 name length, 82 the name. The walk ends at a zero name length, a zero
// entry length, or anything outside the block.
std::vector<IndexEntry> ReadIndexEntries(ByteView block) {
    std::vector<IndexEntry> entries;
    std::uint64_t position =
        std::uint64_t{block.le32(ntfs_index::kFirstEntry)} + ntfs_index::kHeader;
    while (position + ntfs_index::kNameLength < block.size()) {
        const auto at = static_cast<std::size_t>(position);
        const std::size_t units = block.u8(at + ntfs_index::kNameLength);
        if (units == 0 || !block.has(at + ntfs_index::kName, units * 2)) break;
        IndexEntry entry;
        entry.name = Utf16LeToUtf8(block.span().subspan(at + ntfs_index::kName, units * 2));
        entry.directory =
            (block.le16(at + ntfs_index::kFlagsHigh) & ntfs_index::kDirectoryFlag) != 0;
        entry.record = block.le32(at + ntfs_index::kFileReference);
        entry.parent = block.le32(at + ntfs_index::kParent);
        entry.creationTime = static_cast<std::int64_t>(block.le64(at + ntfs_index::kCreationTime));
        entries.push_back(std::move(entry));
        const std::uint16_t length = block.le16(at + ntfs_index::kEntryLength);
        if (length == 0) break;
        position += length;
    }
    return entries;
}

class Analysis {
public:
    Analysis(NtfsSearchScope& scope, const NtfsScanResult* scan)
        : scope_(scope), scan_(scan), catalogue_(scope.catalogue), observer_(scope.observer) {}

    NtfsAnalysis run() {
        NtfsAnalysis result;
        result.recordsFound = catalogue_.MftRecordTable.count() > 0;
        observer_.statusText("Please wait...");
        catalogue_.LostDirTable.deleteAll();
        loadIndexRefs();
        collectUnnumberedFolders();
        // The stop is looked at before and between the phases too: a phase's
        // own loops may not run at all.
        if (scope_.stop.stop_requested() || !phase1()) return stopped(result);
        phase2();
        if (scope_.stop.stop_requested()) return stopped(result);
        extractFolders();
        dropLaterIndexBlocks();
        analyze();
        if (scope_.stop.stop_requested()) return stopped(result);
        numberTheRest();
        if (fileSystems_ == 0 && result.recordsFound) takeWholeRange(result);
        storeTables();
        result.fileSystems = catalogue_.VolumeTable.count();
        observer_.guideText(result.fileSystems > 0 ? kProceedText : kNoFileSystemText);
        return result;
    }

private:
    NtfsAnalysis stopped(NtfsAnalysis result) {
        result.stopped = true;
        storeTables();
        return result;
    }

    void startPhase(const std::string& title) {
        observer_.statusText(title);
        observer_.progress(0, kPhaseStartCaption);
    }

    void loadIndexRefs() {
        const CatalogueTable& table = catalogue_.MftRefTable;
        refs_.clear();
        for (int row = 0; row < table.count(); ++row)
            refs_.push_back(
                {static_cast<std::uint64_t>(table.cellSigned64(row, mftref_col::Sector)),
                 table.cellUnsigned(row, mftref_col::MftReference),
                 table.cellUnsigned(row, mftref_col::Vcn), false});
    }

    void collectUnnumberedFolders() {
        const MftRecordList& records = catalogue_.MftRecordTable;
        folders_.clear();
        for (int row = 0; row < records.count(); ++row) {
            const MftRecordRow& record = records.row(row);
            if (!record.folder || record.selfMft != 0) continue;
            LostFolder folder;
            folder.sectorText = record.name;
            folder.date = record.date;
            folder.parent = record.parentMft;
            folder.self = static_cast<std::uint32_t>(row);
            folders_.push_back(std::move(folder));
        }
    }

    // Folders without their own number take it from a directory entry of an
    // index block with the same name, parent and creation time.
    bool phase1() {
        const std::string title = " Assigning MFT Numbers Phase 1 \\ 2   ...";
        startPhase(title);
        // The first unmatched folder per (date, name, parent), in table order.
        std::map<std::tuple<std::int64_t, std::string, std::uint32_t>, std::vector<std::size_t>>
            waiting;
        for (std::size_t i = 0; i < folders_.size(); ++i)
            waiting[{folders_[i].date, folders_[i].sectorText, folders_[i].parent}].push_back(i);
        std::vector<bool> matched(folders_.size(), false);
        const auto total = refs_.size();
        ProgressMeter reporter(observer_, total);
        for (std::size_t j = 0; j < total && !waiting.empty(); ++j) {
            if (scope_.stop.stop_requested()) return false;
            if (reporter.moved(j)) {
                observer_.statusText(" Assigning MFT Numbers Phase 1 \\ 2 ( " + std::to_string(j) +
                                     "/" + std::to_string(total) + " )" + " .....");
                reporter.show();
            }
            for (const IndexEntry& entry : readBlockEntries(refs_[j].sector)) {
                if (!entry.directory) continue;
                const auto found = waiting.find({entry.creationTime, entry.name, entry.parent});
                if (found == waiting.end()) continue;
                const std::size_t index = found->second.front();
                found->second.erase(found->second.begin());
                if (found->second.empty()) waiting.erase(found);
                matched[index] = true;
                catalogue_.MftRecordTable.row(static_cast<int>(folders_[index].self)).selfMft =
                    entry.record;
            }
        }
        std::vector<LostFolder> left;
        for (std::size_t i = 0; i < folders_.size(); ++i)
            if (!matched[i]) left.push_back(std::move(folders_[i]));
        folders_ = std::move(left);
        return true;
    }

    std::vector<IndexEntry> readBlockEntries(std::uint64_t sector) {
        SectorBuffer first{};
        scope_.reader.readSector(sector, first);
        const std::uint64_t size =
            std::uint64_t{ByteView(first.data(), first.size()).le32(ntfs_index::kAllocatedSize)} +
            ntfs_index::kHeader;
        if (size > limits::kMaxNtfsIndexBlockBytes) return {};
        const std::size_t bytes = static_cast<std::size_t>(size / kSector * kSector);
        if (bytes == 0) return {};
        std::vector<std::uint8_t> block(bytes, 0);
        scope_.reader.ReadSectors(sector, static_cast<std::uint32_t>(bytes / kSector),
                                  block.data());
        ApplyUpdateSequence(block);
        return ReadIndexEntries(ByteView(block));
    }

    // The rest are guessed from disk order: one more than the row before.
    // A further name of the same record (a hard link, the row after it with
    // the same sector) is the same record and keeps its number.
    void phase2() {
        startPhase(" Assigning MFT Numbers Phase 2 \\ 2   ...");
        MftRecordList& records = catalogue_.MftRecordTable;
        std::uint32_t previous = 1;
        ProgressMeter reporter(observer_, static_cast<std::uint64_t>(records.count()));
        for (int row = 0; row < records.count(); ++row) {
            MftRecordRow& record = records.row(row);
            const bool sameRecord = row > 0 && record.sector == records.row(row - 1).sector;
            if (record.selfMft == 0) record.selfMft = sameRecord ? previous : previous + 1;
            previous = record.selfMft;
            reporter.update(static_cast<std::uint64_t>(row + 1));
        }
    }

    void extractFolders() {
        const std::string title = " Extracting Directory Entries .........";
        startPhase(title);
        const MftRecordList& records = catalogue_.MftRecordTable;
        folders_.clear();
        ProgressMeter reporter(observer_, static_cast<std::uint64_t>(records.count()));
        for (int row = 0; row < records.count(); ++row) {
            if (reporter.moved(static_cast<std::uint64_t>(row))) {
                observer_.statusText(title + std::to_string(row) + " / " +
                                     std::to_string(records.count()));
                reporter.show();
            }
            const MftRecordRow& record = records.row(row);
            if (!record.folder) continue;
            LostFolder folder;
            folder.sectorText = Unsigned64Text(record.sector);
            folder.sector = record.sector;
            folder.self = record.selfMft;
            folder.parent = record.parentMft;
            folder.date = record.date;
            folder.name = record.name;
            folder.firstRun = record.firstRun;
            folders_.push_back(std::move(folder));
        }
    }

    // Only the first index block of each directory stays.
    void dropLaterIndexBlocks() {
        std::erase_if(refs_, [](const IndexRef& ref) { return ref.vcn != 0; });
        refsByOwner_.clear();
        refsBySector_.clear();
        for (std::size_t i = 0; i < refs_.size(); ++i) {
            refsByOwner_[refs_[i].owner].push_back(i);
            refsBySector_[refs_[i].sector].push_back(i);
        }
        // The order of the folders by sector, for the range of each claim.
        bySector_.resize(folders_.size());
        for (std::size_t i = 0; i < folders_.size(); ++i) bySector_[i] = i;
        std::stable_sort(bySector_.begin(), bySector_.end(), [this](std::size_t a, std::size_t b) {
            return folders_[a].sector < folders_[b].sector;
        });
    }

    // The first remaining index block of a list, in MftRefTable order.
    static std::optional<std::size_t> FirstRemaining(std::vector<std::size_t>& list,
                                                     const std::vector<IndexRef>& refs) {
        auto it = std::find_if(list.begin(), list.end(),
                               [&refs](std::size_t i) { return !refs[i].removed; });
        list.erase(list.begin(), it);  // removed ones never come back
        if (list.empty()) return std::nullopt;
        return list.front();
    }

    // Sector of the first remaining index block of directory `self`.
    std::optional<std::uint64_t> firstBlockOf(std::uint32_t self) {
        auto found = refsByOwner_.find(self);
        if (found == refsByOwner_.end()) return std::nullopt;
        const auto index = FirstRemaining(found->second, refs_);
        if (!index) return std::nullopt;
        return refs_[*index].sector;
    }

    bool beginsWithIndex(std::uint64_t sector) {
        if (scan_ && scan_->indexSignaturesKept && sector >= scan_->readStart &&
            sector < scan_->readEnd)
            return std::binary_search(scan_->indexSignatures.begin(), scan_->indexSignatures.end(),
                                      sector);
        const auto known = indexSectors_.find(sector);
        if (known != indexSectors_.end()) return known->second;
        SectorBuffer buffer{};
        scope_.reader.readSector(sector, buffer);
        const bool index =
            ByteView(buffer.data(), buffer.size()).matches(ntfs_index::kSignature, "INDX");
        indexSectors_.emplace(sector, index);
        return index;
    }

    // A candidate file system (first sector F, k sectors per cluster, end E)
    // holds the unassigned folders whose index allocation, seen from F with
    // clusters of k sectors, lands on an index block.
    bool claimFolders(std::uint64_t first, std::uint32_t spc, std::uint64_t end) {
        bool claimed = false;
        const auto begin = std::upper_bound(
            bySector_.begin(), bySector_.end(), first,
            [this](std::uint64_t value, std::size_t i) { return value < folders_[i].sector; });
        for (auto it = begin; it != bySector_.end() && folders_[*it].sector <= end; ++it) {
            LostFolder& folder = folders_[*it];
            if (folder.fileSystem != 0 || folder.firstRun == 0) continue;
            std::uint64_t target = 0;
            if (__builtin_mul_overflow(folder.firstRun, spc, &target) ||
                __builtin_add_overflow(target, first, &target))
                continue;
            if (!beginsWithIndex(target)) continue;
            ++assigned_;
            observer_.statusText("Assigned " + std::to_string(assigned_) + " / " +
                                 std::to_string(folders_.size()));
            observer_.progress(PercentOf(assigned_, folders_.size()), kCompletedCaption);
            folder.fileSystem = static_cast<std::uint32_t>(fileSystems_ + 1);
            // The rows are in disk order: a block past the end is never reached.
            if (target <= end) {
                auto blocks = refsBySector_.find(target);
                if (blocks != refsBySector_.end())
                    if (const auto index = FirstRemaining(blocks->second, refs_))
                        refs_[*index].removed = true;
            }
            claimed = true;
        }
        observer_.guideText(kProceedText);
        return claimed;
    }

    // A boot record whose MFT (cluster `mftCluster` of clusters of `spc`
    // sectors from `first`) holds a found record at the place its own number
    // gives, two sectors a record.
    bool mftHoldsFoundRecords(std::uint64_t first, std::uint32_t spc, std::uint64_t mftCluster) {
        std::uint64_t mftStart = 0;
        if (__builtin_mul_overflow(mftCluster, spc, &mftStart) ||
            __builtin_add_overflow(mftStart, first, &mftStart))
            return false;
        if (!mftStarts_) {
            // Where each found record says its MFT begins.
            mftStarts_.emplace();
            for (const MftRecordRow& record : catalogue_.MftRecordTable.rows()) {
                const std::uint64_t own = record.recordMft;
                if (own == 0 && record.name != "$MFT") continue;
                const std::uint64_t sector = record.sector;
                if (sector >= own * kNtfsRecordSectors)
                    mftStarts_->insert(sector - own * kNtfsRecordSectors);
            }
        }
        return mftStarts_->count(mftStart) != 0;
    }

    void addVolume(std::uint64_t first, std::uint64_t end, std::uint32_t spc) {
        NtfsVolumeRow{first, end, spc, std::string(VolumeKindText(VolumeKind::Ntfs))}.append(
            catalogue_.VolumeTable);
    }

    void analyze() {
        startPhase("Analyzing File Systems List");
        catalogue_.VolumeTable.deleteAll();
        fileSystems_ = 0;
        // File systems whose boot record was found.
        const CatalogueTable& boots = catalogue_.BootRecordTable;
        for (int row = 0; row < boots.count(); ++row) {
            const NtfsBootRow boot = NtfsBootRow::Read(boots, row);
            const std::uint64_t first = boot.sector;
            const std::uint32_t spc = boot.sectorsPerCluster;
            const std::uint64_t end = first + boot.totalSectors;
            if (!IsValidSectorsPerCluster(spc)) continue;
            const std::uint64_t mftCluster = boot.mftCluster;
            // Folders small enough to keep their index in the record claim
            // nothing; the volume is still there when its MFT is.
            if (claimFolders(first, spc, end) || mftHoldsFoundRecords(first, spc, mftCluster)) {
                ++fileSystems_;
                addVolume(first, end, spc);
            }
        }
        // File systems found from two folders whose first index blocks are
        // known: X = F + k x cluster for both.
        const std::uint64_t rangeEnd = scope_.rangeEnd & 0xFFFFFFFFu;
        for (std::size_t r = 0; r < folders_.size(); ++r) {
            if (scope_.stop.stop_requested()) return;
            LostFolder& folder = folders_[r];
            if (folder.fileSystem != 0) continue;
            const std::uint64_t p = folder.firstRun;
            const std::optional<std::uint64_t> x1 =
                p == 0 ? std::nullopt : firstBlockOf(folder.self);
            if (!x1) {
                folder.fileSystem = kNoFileSystem;
                continue;
            }
            for (std::size_t l = r + 1; l < folders_.size(); ++l) {
                const LostFolder& partner = folders_[l];
                if (partner.fileSystem != 0 || partner.firstRun == 0) continue;
                const std::uint64_t q = partner.firstRun;
                const std::optional<std::uint64_t> x2 = firstBlockOf(partner.self);
                if (!x2 || *x2 == *x1 || p == q) continue;
                const std::uint64_t k = q < p ? (*x1 >= *x2 ? (*x1 - *x2) / (p - q) : 0)
                                              : (*x2 >= *x1 ? (*x2 - *x1) / (q - p) : 0);
                if (k == 0 || k > 128 || !IsValidSectorsPerCluster(static_cast<std::uint32_t>(k)))
                    continue;
                std::uint64_t offset = 0;
                if (__builtin_mul_overflow(p, k, &offset) || offset > *x1) continue;
                const std::uint64_t first = *x1 - offset;
                if (claimFolders(first, static_cast<std::uint32_t>(k), rangeEnd)) {
                    ++fileSystems_;
                    addVolume(first, rangeEnd, static_cast<std::uint32_t>(k));
                    break;
                }
            }
        }
    }

    // Folders without a file system take the one of the row before them.
    void numberTheRest() {
        std::uint32_t last = 1;
        for (LostFolder& folder : folders_) {
            if (folder.fileSystem == kNoFileSystem) {
                folder.fileSystem = last;
                ++assigned_;
            } else {
                last = folder.fileSystem;
            }
        }
        observer_.statusText("Assigned " + std::to_string(assigned_) + " / " +
                             std::to_string(folders_.size()));
    }

    // Nothing identified: the whole range is one file system of 8 sectors
    // per cluster, and every folder found belongs to it.
    void takeWholeRange(NtfsAnalysis& result) {
        result.wholeRange = true;
        addVolume(scope_.rangeStart & 0xFFFFFFFFu, scope_.rangeEnd & 0xFFFFFFFFu, 8);
        for (LostFolder& folder : folders_) folder.fileSystem = 1;
    }

    void storeTables() {
        CatalogueTable& lost = catalogue_.LostDirTable;
        lost.deleteAll();
        for (const LostFolder& folder : folders_) {
            const int row = lost.appendRow(folder.sectorText);
            lost.setUnsigned(row, lostdir_col::SelfCluster, folder.self);
            lost.setUnsigned(row, lostdir_col::ParentCluster, folder.parent);
            lost.setUnsigned(row, lostdir_col::FileSystem, folder.fileSystem);
            lost.setSigned(row, lostdir_col::Date, folder.date);
            lost.setCell(row, lostdir_col::Time, folder.name);
            lost.setCell(row, lostdir_col::FirstRun, Unsigned64Text(folder.firstRun));
        }
        CatalogueTable& refs = catalogue_.MftRefTable;
        refs.deleteAll();
        for (const IndexRef& ref : refs_) {
            if (ref.removed) continue;
            const int row = refs.appendRow(Unsigned64Text(ref.sector));
            refs.setUnsigned(row, mftref_col::MftReference, ref.owner);
            refs.setUnsigned(row, mftref_col::Vcn, ref.vcn);
            refs.setUnsigned(row, mftref_col::FsNumber, kNoFileSystem);
        }
    }

    NtfsSearchScope& scope_;
    const NtfsScanResult* scan_;
    Catalogue& catalogue_;
    RecoveryObserver& observer_;
    std::vector<LostFolder> folders_;
    std::vector<IndexRef> refs_;
    std::unordered_map<std::uint32_t, std::vector<std::size_t>> refsByOwner_;
    std::unordered_map<std::uint64_t, std::vector<std::size_t>> refsBySector_;
    std::vector<std::size_t> bySector_;
    std::unordered_map<std::uint64_t, bool> indexSectors_;
    std::optional<std::unordered_set<std::uint64_t>> mftStarts_;
    int fileSystems_ = 0;
    std::size_t assigned_ = 0;
};

}  // namespace

NtfsAnalysis AssignMftNumbers(NtfsSearchScope& scope, const NtfsScanResult* scan) {
    Analysis analysis(scope, scan);
    return analysis.run();
}

}  // namespace datrevo
