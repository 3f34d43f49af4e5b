#include "ntfs/standard_search.h"

#include <algorithm>
#include <string>
#include <unordered_set>
#include <vector>

#include "base/decimal.h"
#include "base/limits.h"
#include "browse/build_folder_tree.h"
#include "browse/catch_all_folder.h"
#include "catalogue/catalogue.h"
#include "ntfs/attribute_list.h"
#include "ntfs/catalogue_rows.h"
#include "ntfs/data_runs.h"
#include "ntfs/file_data.h"
#include "ntfs/file_record.h"
#include "ntfs/mft_records.h"
#include "base/progress_meter.h"
#include "ntfs/ntfs_offsets.h"

namespace datrevo {
namespace {

constexpr std::uint32_t kRootRecordSectorOffset = 2 * kNtfsRootRecord;

std::optional<AttributeView> FirstUnnamed(ByteView record, std::uint32_t type) {
    for (const AttributeView& attribute : ListAttributes(record))
        if (attribute.type == type && attribute.nameLength() == 0) return attribute;
    return std::nullopt;
}

// The records that hold pieces of the MFT's data, from record 0's attribute
// list (resident, or in runs of its own).
std::vector<std::uint32_t> MftExtensionRecords(const DiskReader& reader, ByteView record0,
                                               std::uint64_t partitionStart,
                                               std::uint32_t sectorsPerCluster) {
    std::vector<std::uint32_t> records;
    const auto list = FirstUnnamed(record0, kAttrAttributeList);
    if (!list) return records;
    if (list->resident()) {
        const std::size_t offset = list->bytes.le16(ntfs_attr::kContentOffset);
        if (offset >= list->bytes.size()) return records;
        const std::size_t length = std::min<std::size_t>(
            list->bytes.le32(ntfs_attr::kContentLength), list->bytes.size() - offset);
        CollectEntries(list->bytes.sub(offset, length), records, kAttrData);
        return records;
    }
    const auto bytes = ReadListContent(reader, *list, partitionStart, sectorsPerCluster);
    CollectEntries(ByteView(bytes), records, kAttrData);
    return records;
}

// Appends the runs of the unnamed data attribute of `record`.
void AppendDataRuns(ByteView record, std::uint64_t partitionStart, std::uint32_t spc,
                    MftRunList& runs, bool continuing) {
    const auto data = FirstUnnamed(record, kAttrData);
    if (!data || data->resident()) return;
    DecodeDataRuns(data->bytes, data->bytes.le16(ntfs_attr::kRunListOffset), spc, partitionStart,
                   runs, continuing);
}

// The MFT walk: the MFT's sectors arrive in order, run by run, read in large
// requests or skipped (sparse runs, runs past the disk); every two make a
// record.
class MftWalker {
public:
    explicit MftWalker(NtfsSearchScope& scope)
        : scope_(scope), reporter_(scope.observer, TotalSectors(scope.mftRuns)) {}

    void run() {
        const std::uint64_t diskSectors = scope_.reader.totalSectors();
        std::vector<std::uint8_t> batch;
        for (const MftRun& run : scope_.mftRuns) {
            std::uint64_t offset = 0;
            const std::uint64_t readable =
                run.startSector == 0 || run.startSector >= diskSectors
                    ? 0
                    : std::min(run.sectorCount, diskSectors - run.startSector);
            while (offset < readable) {
                if (scope_.stop.stop_requested()) return;
                const auto count = static_cast<std::uint32_t>(
                    std::min<std::uint64_t>(readable - offset, limits::kMftWalkBatchSectors));
                batch.assign(std::size_t{count} * limits::kSectorSize, 0);
                scope_.reader.ReadSectors(run.startSector + offset, count, batch.data());
                for (std::uint32_t i = 0; i < count; ++i)
                    consume(batch.data() + std::size_t{i} * limits::kSectorSize);
                offset += count;
            }
            skip(run.sectorCount - readable);
        }
        report(true);
    }

private:
    void consume(const std::uint8_t* sector) {
        std::copy_n(sector, limits::kSectorSize,
                    buffer_.data() + (halfFilled_ ? limits::kSectorSize : 0));
        ++done_;
        if (!halfFilled_) {
            halfFilled_ = true;
            return;
        }
        halfFilled_ = false;
        if (!broken_) handleRecord();
        broken_ = false;
        ++record_;
        report(false);
    }

    // Sectors that cannot be read: the records they hold get no row.
    void skip(std::uint64_t sectors) {
        if (sectors == 0) return;
        if (halfFilled_) {
            halfFilled_ = false;
            broken_ = false;
            ++record_;
            --sectors;
            ++done_;
        }
        record_ += static_cast<std::uint32_t>(sectors / 2);
        done_ += sectors - sectors % 2;
        if (sectors % 2 != 0) {
            halfFilled_ = true;
            broken_ = true;
            ++done_;
        }
        report(false);
    }

    void report(bool final) {
        if (reporter_.moved(done_) || final) {
            scope_.observer.statusText("Sectors  " + std::to_string(done_) + " of " +
                                       std::to_string(TotalSectors(scope_.mftRuns)));
            scope_.observer.counterValue(Counter::Folders, std::uint64_t{record_} + 1);
            reporter_.show();
        }
    }

    void handleRecord() {
        const ByteView base(buffer_.data(), buffer_.size());
        if (!IsFileRecord(base)) return;
        ApplyUpdateSequence(buffer_);
        // An extension record (offset 32: the reference of its base record)
        // belongs to the base record's file and gets no row of its own.
        if ((base.le64(ntfs_record::kBaseReference) & ntfs_record::kReferenceNumberMask) != 0)
            return;
        std::vector<std::uint32_t> numbers{record_};
        // A list too long to stay in the record lies in runs of its own.
        ListAllAttributeRecords(scope_.reader, base, scope_.geometry.cluster0Start,
                                scope_.geometry.sectorsPerCluster, numbers);

        std::optional<FileNameInfo> name;
        for (std::uint32_t number : numbers) {
            const ByteView record = view(number);
            if (record.size() == 0) continue;
            if ((name = FindPreferredFileName(record))) break;
        }
        if (!name) return;

        NtfsRow row;
        row.name = std::move(name->name);
        row.sector = RecordToSector(scope_.mftRuns, record_);
        row.self = record_;
        row.parent = name->parent;
        row.date = name->creationTime;
        const std::uint8_t flags = RecordFlags(base);
        if (flags == 2 || flags == 3) {
            row.deleted = flags == 2;
            AppendNtfsFolderRow(scope_.catalogue.FolderTable, row);
            return;
        }
        row.deleted = flags == 0;
        for (std::uint32_t number : numbers) {
            const ByteView record = view(number);
            if (record.size() == 0) continue;
            if (auto size = GetUnnamedDataSize(record)) {
                row.size = *size;
                break;
            }
        }
        // Alternate data streams: "name:stream" rows right after their file.
        std::vector<NamedStream> streams;
        for (std::uint32_t number : numbers) {
            for (NamedStream& stream : ListNamedStreams(view(number))) {
                const bool known = std::any_of(
                    streams.begin(), streams.end(),
                    [&stream](const NamedStream& seen) { return seen.name == stream.name; });
                if (!known) streams.push_back(std::move(stream));
            }
        }
        // A file linked into several folders, or under several names, has one
        // $FILE_NAME attribute per link: it is listed under each of them.
        std::vector<FileNameInfo> links;
        for (std::uint32_t number : numbers) {
            for (FileNameInfo& link : ListLinkNames(view(number))) {
                const bool known =
                    std::any_of(links.begin(), links.end(), [&link](const FileNameInfo& seen) {
                        return seen.parent == link.parent && seen.name == link.name;
                    });
                if (!known) links.push_back(std::move(link));
            }
        }
        if (links.empty()) links.push_back(FileNameInfo{row.name, row.parent, row.date, 0});
        for (const FileNameInfo& link : links) {
            NtfsRow linkRow = row;
            linkRow.name = link.name;
            linkRow.parent = link.parent;
            AppendNtfsFileRow(scope_.catalogue.EntryTable, linkRow);
            for (const NamedStream& stream : streams) {
                NtfsRow streamRow = linkRow;
                streamRow.name = link.name + ":" + stream.name;
                streamRow.size = stream.size;
                AppendNtfsFileRow(scope_.catalogue.EntryTable, streamRow);
            }
        }
    }

    // The bytes of record `number`: the record in hand, or an extension
    // record read through the MFT's runs. Empty when it cannot be read.
    ByteView view(std::uint32_t number) {
        if (number == record_) return ByteView(buffer_.data(), buffer_.size());
        if (number != extensionNumber_ || !extensionValid_) {
            extensionNumber_ = number;
            extensionValid_ = ReadMftRecord(scope_.reader, scope_.mftRuns, number, extension_);
        }
        return extensionValid_ ? ByteView(extension_.data(), extension_.size()) : ByteView();
    }

    NtfsSearchScope& scope_;
    ProgressMeter reporter_;
    RecordBuffer buffer_{};
    RecordBuffer extension_{};
    std::uint32_t extensionNumber_ = 0;
    bool extensionValid_ = false;
    bool halfFilled_ = false;
    bool broken_ = false;
    std::uint32_t record_ = 0;
    std::uint64_t done_ = 0;
};

}  // namespace

void BuildMftRunList(const DiskReader& reader, std::uint64_t partitionStart, std::uint64_t mftStart,
                     std::uint32_t sectorsPerCluster, MftRunList& mftRuns) {
    mftRuns.clear();
    if (mftStart == 0 || sectorsPerCluster == 0) return;
    RecordBuffer record0{};
    RecordBuffer root{};
    if (!ReadRecordAt(reader, mftStart + kRootRecordSectorOffset, root)) return;
    if (!ReadRecordAt(reader, mftStart, record0)) return;
    const ByteView view(record0.data(), record0.size());
    AppendDataRuns(view, partitionStart, sectorsPerCluster, mftRuns, false);

    const std::vector<std::uint32_t> listed =
        MftExtensionRecords(reader, view, partitionStart, sectorsPerCluster);
    if (listed.empty()) return;
    RecordBuffer extension{};
    for (std::size_t i = 0; i < listed.size(); ++i) {
        if (i == 0) {
            if (!ReadRecordAt(reader, mftStart + std::uint64_t{listed[0]} * kNtfsRecordSectors,
                              extension))
                return;
            mftRuns.clear();
            AppendDataRuns(ByteView(extension.data(), extension.size()), partitionStart,
                           sectorsPerCluster, mftRuns, false);
            continue;
        }
        if (!ReadMftRecord(reader, mftRuns, listed[i], extension)) return;
        AppendDataRuns(ByteView(extension.data(), extension.size()), partitionStart,
                       sectorsPerCluster, mftRuns, true);
    }
}

void WalkMft(NtfsSearchScope& scope) {
    scope.observer.counterValue(Counter::Folders, 0);
    scope.observer.counterValue(Counter::BootSectors, 0);
    AppendNtfsCatchAllRow(scope.catalogue.FolderTable);
    MftWalker walker(scope);
    walker.run();
}

void LinkNtfsParents(CatalogueTable& folderTable, RecoveryObserver& observer) {
    const int rows = folderTable.count();
    ProgressMeter reporter(observer, static_cast<std::uint64_t>(rows));
    for (int row = 0; row < rows; ++row) {
        const std::uint32_t parent = folderTable.cellUnsigned(row, folder_col::Parent);
        if (parent == kNtfsRootRecord) continue;
        // Bisection over all rows by "self". Row 0 is examined too: it holds
        // the root's own row only when the root's record was found; with the
        // first records of the MFT gone it is the folder of the lowest number.
        int low = 0;
        int high = rows - 1;
        bool found = false;
        while (low <= high) {
            const int middle = low + (high - low) / 2;
            const std::uint32_t self = folderTable.cellUnsigned(middle, folder_col::Self);
            if (parent > self) {
                low = middle + 1;
            } else if (parent < self) {
                high = middle - 1;
            } else {
                found = true;
                break;
            }
        }
        if (!found) folderTable.setUnsigned(row, folder_col::Parent, kCatchAllNumber);
        if (row != 0 && reporter.moved(static_cast<std::uint64_t>(row))) {
            observer.statusText("Searching Lost Directories " + std::to_string(row) + "/" +
                                std::to_string(rows));
            reporter.show();
        }
    }
}

std::size_t AdoptOrphanFiles(CatalogueTable& entryTable, const FolderNodeList& nodes,
                             const std::function<bool(int row)>& eligible) {
    std::unordered_set<std::uint32_t> folders{kNtfsRootRecord};
    for (const FolderNode& node : nodes) folders.insert(node.selfNumber);
    std::size_t adopted = 0;
    for (int row = 0; row < entryTable.count(); ++row) {
        if (eligible && !eligible(row)) continue;
        const std::uint32_t parent = entryTable.cellUnsigned(row, folder_col::Parent);
        if (folders.count(parent) != 0) continue;
        entryTable.setUnsigned(row, folder_col::Parent, kCatchAllNumber);
        ++adopted;
    }
    return adopted;
}

NtfsStandardResult RunNtfsStandardSearch(NtfsSearchScope& scope) {
    NtfsStandardResult result;
    Catalogue& catalogue = scope.catalogue;
    catalogue.FolderTable.deleteAll();
    catalogue.EntryTable.deleteAll();
    BuildMftRunList(scope.reader, scope.geometry.cluster0Start, scope.ntfs.mftStart,
                    scope.geometry.sectorsPerCluster, scope.mftRuns);
    result.mftFound = !scope.mftRuns.empty();
    scope.observer.counterLabel(Counter::Folders, kMftFoundLabel);
    WalkMft(scope);
    result.stopped = scope.stop.stop_requested();

    scope.observer.statusText(kLinkingStatus);
    scope.observer.guideText("Please wait...");
    catalogue.FolderTable.sortByColumn(folder_col::Self);
    LinkNtfsParents(catalogue.FolderTable, scope.observer);
    catalogue.FolderTable.sortByColumn(folder_col::Parent);
    scope.observer.statusText(kStoringStatus);
    BuildFolderTree(catalogue.FolderTable, scope.folders, scope.observer);
    AdoptOrphanFiles(catalogue.EntryTable, scope.folders.nodes());
    ListCatchAllFolderForFiles(scope.folders, catalogue.EntryTable, CatchAllFileTimeNow());
    result.fileRecords = catalogue.EntryTable.count();
    return result;
}

}  // namespace datrevo
