#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "base/boot_sector.h"
#include "catalogue/row_views.h"
#include "base/decimal.h"
#include "base/limits.h"
#include "ntfs/advance_search.h"
#include "ntfs/boot_record.h"
#include "ntfs/file_record.h"
#include "base/progress_meter.h"
#include "ntfs/ntfs_offsets.h"

namespace datrevo {
namespace {

constexpr std::size_t kSector = limits::kSectorSize;

struct SystemFile {
    std::string_view name;
    std::uint32_t number;
};
constexpr std::array<SystemFile, 10> kSystemFiles{{{"$MFT", 1},
                                                   {"$MFTMirror", 1},
                                                   {"$LogFile", 2},
                                                   {"$Volume", 3},
                                                   {"$AttrDef", 4},
                                                   {"$Bitmap", 6},
                                                   {"$Boot", 7},
                                                   {"$BadClus", 8},
                                                   {"$Secure", 9},
                                                   {"$UpCase", 10}}};

// BootRecordTable row of an NTFS boot record.
void AddBootRecord(CatalogueTable& table, std::uint64_t sector, ByteView bytes) {
    const NtfsBootRecord boot = DecodeNtfsBootRecord(bytes);
    NtfsBootRow row;
    row.sector = sector;
    row.sectorsPerCluster = boot.sectorsPerCluster;
    row.indexBlockSectors = boot.indexBlockSectors();
    row.totalSectors = boot.totalSectors;
    row.mftCluster = boot.mftCluster;
    row.mftMirrorCluster = boot.mftMirrorCluster;
    row.append(table);
}

// Memory stays bounded whatever the disk holds: past the limit the list is
// given up and the analysis reads the sectors it asks about.
void KeepIndexSignature(NtfsScanResult& result, std::uint64_t sector) {
    if (!result.indexSignaturesKept) return;
    if (result.indexSignatures.size() < limits::kMaxKeptIndexSignatures) {
        result.indexSignatures.push_back(sector);
        return;
    }
    result.indexSignaturesKept = false;
    result.indexSignatures = {};
}

}  // namespace

std::optional<std::uint32_t> SystemFileNumber(std::string_view name) {
    for (const SystemFile& file : kSystemFiles)
        if (file.name == name) return file.number;
    return std::nullopt;
}

int AddFoundRecord(MftRecordList& table, int row, std::uint64_t sector, ByteView bytes) {
    std::array<std::uint8_t, kNtfsRecordSize> record{};
    std::copy_n(bytes.span().begin(), std::min(bytes.size(), record.size()), record.begin());
    ApplyUpdateSequence(record);
    const ByteView view(record.data(), record.size());
    const std::uint8_t flags = RecordFlags(view);
    const bool folder = flags == 3 || flags == 2;
    const std::uint32_t base = RecordBaseReference(view);
    std::vector<FileNameInfo> links = ListLinkNames(view);
    const bool named = !links.empty();
    // A folder is listed under its preferred name; a file under each of its
    // links (hard links), one row per name, the rows of one record together.
    if (links.empty()) links.emplace_back();
    if (folder) links.resize(1);
    // A file record without its data attribute (moved to an extension
    // record) takes the size its name records; an extension record gives
    // the size only when it holds the first piece of the data.
    const std::optional<std::uint64_t> dataSize =
        base != 0 ? FirstPieceDataSize(view) : GetUnnamedDataSize(view);
    const std::uint64_t size = dataSize                        ? *dataSize
                               : named && !folder && base == 0 ? links.front().dataSize
                                                               : 0;
    const std::uint32_t own = RecordOwnNumber(view);
    const std::uint64_t firstRun = folder ? GetIndexFirstRun(view) : 0;
    int added = 0;
    for (FileNameInfo& name : links) {
        MftRecordRow found;
        found.sector = sector;
        found.parentMft = name.parent;
        found.date = name.creationTime;
        found.size = size;
        found.recordMft = own;
        found.baseMft = base;
        found.folder = folder;
        found.firstRun = firstRun;
        found.selfMft = folder ? own : SystemFileNumber(name.name).value_or(0);
        found.deleted = folder ? flags == 2 : flags == 0;
        found.name = std::move(name.name);
        table.insertRow(row + added, std::move(found));
        ++added;
    }
    return added;
}

bool AddFoundIndexBlock(const DiskReader& reader, CatalogueTable& table, std::uint64_t sector,
                        ByteView firstBytes) {
    // Index block header: 16 VCN, 24 offset of the first entry (from 24),
    // 32 allocated size of the entries (from 24).
    const std::uint64_t size =
        std::uint64_t{firstBytes.le32(ntfs_index::kAllocatedSize)} + ntfs_index::kHeader;
    if (size > limits::kMaxNtfsIndexBlockBytes) return false;
    const auto sectors = static_cast<std::uint32_t>((size + kSector - 1) / kSector);
    std::vector<std::uint8_t> block(std::size_t{sectors} * kSector, 0);
    if (firstBytes.size() >= block.size())
        std::copy_n(firstBytes.span().begin(), block.size(), block.begin());
    else
        reader.ReadSectors(sector, sectors, block.data());
    block.resize(static_cast<std::size_t>(size));
    ApplyUpdateSequence(block);
    const ByteView view(block);
    const std::uint64_t firstEntry =
        std::uint64_t{view.le32(ntfs_index::kFirstEntry)} + ntfs_index::kHeader;
    if (!view.has(static_cast<std::size_t>(std::min<std::uint64_t>(firstEntry, SIZE_MAX - 32)), 20))
        return false;
    const std::uint32_t owner =
        view.le32(static_cast<std::size_t>(firstEntry) + ntfs_index::kParent);
    if (owner <= 4 || owner == 0xFFFFFFFF) return false;
    const int row = table.appendRow(Unsigned64Text(sector));
    table.setUnsigned(row, mftref_col::MftReference, owner);
    table.setUnsigned(row, mftref_col::Vcn, view.le32(ntfs_index::kVcn));
    table.setUnsigned(row, mftref_col::FsNumber, kNoFileSystem);
    return true;
}

NtfsScanResult ScanForNtfsStructures(NtfsSearchScope& scope) {
    Catalogue& catalogue = scope.catalogue;
    catalogue.MftRecordTable.deleteAll();
    catalogue.MftRefTable.deleteAll();
    catalogue.BootRecordTable.deleteAll();
    RecoveryObserver& observer = scope.observer;
    observer.counterLabel(Counter::Folders, kMftFoundLabel);
    observer.counterValue(Counter::Folders, 0);
    observer.counterValue(Counter::BootSectors, 0);
    const std::string endText = Unsigned64Text(scope.rangeEnd);
    observer.statusText("Sectors  0 of " + endText);

    NtfsScanResult result;
    const std::uint64_t diskSectors = scope.reader.totalSectors();
    ProgressMeter reporter(observer, scope.rangeEnd);
    std::vector<std::uint8_t> batch;
    for (std::uint64_t base = scope.rangeStart; base < scope.rangeEnd;
         base += limits::kNtfsScanBatchSectors) {
        if (scope.stop.stop_requested()) {
            result.stopped = true;
            break;
        }
        // The last batch is read whole, so structures that begin inside the
        // range and end past it are found too; nothing is read past the disk.
        const std::uint64_t count =
            base >= diskSectors
                ? 0
                : std::min<std::uint64_t>(limits::kNtfsScanBatchSectors, diskSectors - base);
        if (count == 0) break;
        batch.assign(static_cast<std::size_t>(count) * kSector, 0);
        scope.reader.ReadSectors(base, static_cast<std::uint32_t>(count), batch.data());
        if (result.readEnd == 0) result.readStart = base;
        result.readEnd = base + count;
        if (base + count < scope.rangeEnd)
            scope.reader.willRead(base + count, limits::kNtfsScanBatchSectors);
        for (std::size_t i = 0; i < count; ++i) {
            const ByteView rest(batch.data() + i * kSector, batch.size() - i * kSector);
            const ByteView sector = rest.sub(0, kSector);
            const std::uint64_t at = base + i;
            const bool indexSignature = sector.matches(ntfs_index::kSignature, "INDX");
            if (indexSignature) KeepIndexSignature(result, at);
            const BootSectorClass boot = ClassifyBootSector(sector, FatTextRule::WholeName);
            if (boot.signature) {
                if (boot.kind == BootSectorKind::Ntfs) {
                    AddBootRecord(catalogue.BootRecordTable, at, sector);
                    observer.counterValue(Counter::BootSectors,
                                          static_cast<std::uint64_t>(++result.bootRecords));
                }
            } else if (sector.matches(ntfs_record::kSignature, "FILE") &&
                       sector.le32(ntfs_record::kAllocatedSize) == kNtfsRecordSize) {
                // AddFoundRecord works on a copy of its own: the batch is
                // passed as it is unless the record runs past it.
                std::array<std::uint8_t, kNtfsRecordSize> record;
                ByteView bytes = rest.sub(0, kNtfsRecordSize);
                if (rest.size() < kNtfsRecordSize) {
                    record.fill(0);
                    scope.reader.ReadSectors(at, kNtfsRecordSectors, record.data());
                    bytes = ByteView(record.data(), record.size());
                }
                AddFoundRecord(catalogue.MftRecordTable, catalogue.MftRecordTable.count(), at,
                               bytes);
                observer.counterValue(Counter::Folders,
                                      static_cast<std::uint64_t>(++result.records));
            } else if (indexSignature) {
                if (AddFoundIndexBlock(scope.reader, catalogue.MftRefTable, at, rest))
                    ++result.indexBlocks;
            }
        }
        const std::uint64_t reached = base + limits::kNtfsScanBatchSectors;
        if (reporter.moved(std::min(reached, scope.rangeEnd))) {
            observer.statusText("Sectors  " + Unsigned64Text(base) + " of " + endText);
            reporter.show();
        }
    }
    JoinExtensionRecords(catalogue.MftRecordTable);
    return result;
}

}  // namespace datrevo
