#include "cli/result_walk.h"

#include <unordered_set>
#include <utility>

#include "base/decimal.h"
#include "fat/fat_folder_reader.h"
#include "recovery/result_volume_choice.h"
#include "browse/file_rows.h"
#include "catalogue/catalogue.h"
#include "cli/machine_text.h"
#include "recovery/result_volume_choice.h"
#include "search/past_disk_end.h"
#include "search/result_folder_lister.h"

namespace datrevo::cli {
namespace {

// The directory reader of the file list, keeping what it read last: the
// entries behind the file rows (with their raw times and attributes) and
// the folder entries that name the subfolders.
class RecordingFatReader final : public FatFolderReader {
public:
    RecordingFatReader(DiskReader disk, FatLayout layout)
        : reader_(std::move(disk), std::move(layout)) {}

    std::vector<FatFileEntry> readFolder(std::uint32_t firstCluster,
                                         std::stop_token stop) override {
        last_ = reader_.readFolder(firstCluster, std::move(stop));
        read_ = true;
        return last_;
    }
    // Forgets the last read, before the next folder is listed.
    void reset() {
        last_.clear();
        read_ = false;
    }
    bool read() const { return read_; }
    const std::vector<FatFileEntry>& entries() const { return last_; }

private:
    DiskFatFolderReader reader_;
    std::vector<FatFileEntry> last_;
    bool read_ = false;
};

// A result volume that keeps the files it gave last, so that the rows of
// the file list can be matched to them (exFAT: the entry's sector and first
// cluster, the raw date and time words).
class RecordingVolume final : public ResultVolume {
public:
    explicit RecordingVolume(std::unique_ptr<ResultVolume> inner) : inner_(std::move(inner)) {}
    VolumeKind kind() const override { return inner_->kind(); }
    void prepare(ItemId folderItem) override { inner_->prepare(folderItem); }
    std::vector<ResultFile> files(std::uint32_t folderNumber, std::stop_token stop) override {
        last_ = inner_->files(folderNumber, std::move(stop));
        return last_;
    }
    const std::vector<ResultFile>& last() const { return last_; }
    void reset() { last_.clear(); }

protected:
    const ContentReader& contents() const override { return *inner_; }

private:
    std::unique_ptr<ResultVolume> inner_;
    std::vector<ResultFile> last_;
};

std::uint64_t SizeOf(const std::string& text) {
    const std::int64_t size = ParseSigned64(text);
    return size > 0 ? static_cast<std::uint64_t>(size) : 0;
}

}  // namespace

const char* StateText(EntryState state) {
    switch (state) {
        case EntryState::Live: return "live";
        case EntryState::Deleted: return "deleted";
        case EntryState::Orphan: return "orphan";
    }
    return "live";
}

struct ResultWalk::Impl {
    explicit Impl(RecoveryContext& recovery)
        : context(recovery),
          ntfs(IsNtfsResult(recovery)),
          fatReader(recovery.selectedDisk(), recovery.activeLayout),
          sources{recovery.folders.nodes(),
                  recovery.catalogue.EntryTable,
                  recovery.activeLayout.kind,
                  ntfs ? nullptr : &fatReader,
                  {},
                  &recovery.entryIndex},
          ntfsVolume(ntfs ? MakeResultVolume(recovery) : nullptr),
          pastEnd(recovery) {
        style.ntfs = ntfs;
        if (recovery.activeLayout.kind == VolumeKind::Exfat)
            exfat = std::make_unique<RecordingVolume>(MakeResultVolume(recovery));
    }

    const FolderNode* node(ItemId item) const {
        const std::vector<std::size_t> shown = context.folders.nodes().byItem(item);
        return shown.empty() ? nullptr : &context.folders.nodes()[shown.front()];
    }

    // The folder's own entry; `parent` is null for the root.
    ResultEntry folderEntry(ItemId item, const ResultEntry* parent, bool lost) const {
        ResultEntry entry;
        entry.folder = true;
        if (parent == nullptr) return entry;
        entry.name = context.folders.model().item(item).text;
        entry.path = parent->path.empty() ? entry.name : parent->path + "/" + entry.name;
        entry.depth = parent->depth + 1;
        const FolderNode* shown = node(item);
        const bool catchAll = shown != nullptr && shown->selfNumber == kCatchAllNumber;
        if (shown != nullptr) {
            entry.modified = ntfs ? IsoFromFileTime(shown->dateValue)
                                  : IsoFromFatWords(static_cast<std::uint16_t>(shown->dateValue),
                                                    static_cast<std::uint16_t>(shown->timeValue));
            if (!catchAll) entry.first = shown->selfNumber;
        }
        entry.lost = lost && !catchAll;
        if (context.folders.isDeletedFolder(item) || parent->state == EntryState::Deleted)
            entry.state = EntryState::Deleted;
        else if (lost || catchAll || parent->state == EntryState::Orphan)
            entry.state = EntryState::Orphan;
        return entry;
    }

    // Lists the folder: its rows and file entries; `lostChildren` gets the
    // subfolders that its directory has no entry for.
    WalkedFolder list(ItemId item, ResultEntry self, std::unordered_set<ItemId>& lostChildren) {
        WalkedFolder folder;
        folder.item = item;
        folder.entry = std::move(self);
        fatReader.reset();
        if (exfat) return listExfat(std::move(folder));
        // NTFS lists come from one index of EntryTable for the whole walk.
        std::vector<FileRow> rows =
            ntfs ? ListFolder(item, context.folders.nodes(), *ntfsVolume, style)
                 : ListFolder(item, sources, style);
        const std::vector<FatFileEntry>& entries = fatReader.entries();
        // FAT file rows follow the directory's entries that are not folders, in order.
        std::vector<const FatFileEntry*> fileEntries;
        std::unordered_set<std::uint32_t> folderClusters;
        for (const FatFileEntry& entry : entries) {
            if (entry.type == FatEntryType::Folder)
                folderClusters.insert(entry.firstCluster);
            else
                fileEntries.push_back(&entry);
        }
        const bool fatMatched = !ntfs && fatReader.read();
        if (fatMatched)
            for (ItemId child : context.folders.model().children(item))
                if (const FolderNode* shown = node(child);
                    shown != nullptr && shown->selfNumber != kCatchAllNumber &&
                    folderClusters.count(shown->selfNumber) == 0)
                    lostChildren.insert(child);

        std::size_t fileIndex = 0;
        for (FileRow& row : rows) {
            if (row.icon == FileRowIcon::Folder) {
                folder.rows.push_back(std::move(row));
                continue;
            }
            const FatFileEntry* raw =
                fatMatched && fileIndex < fileEntries.size() ? fileEntries[fileIndex] : nullptr;
            ++fileIndex;
            // The volume label is the volume's name, not a file.
            if (raw != nullptr && raw->type == FatEntryType::VolumeLabel) continue;
            if (pastEnd.active()) row.pastDiskEnd = pastEnd.liesPastEnd(row);
            folder.files.push_back(fileEntry(row, raw, folder.entry, rows));
            folder.rows.push_back(std::move(row));
        }
        return folder;
    }

    // exFAT folders list their files from EntryTable; every folder is named already.
    WalkedFolder listExfat(WalkedFolder folder) {
        exfat->reset();
        std::vector<FileRow> rows = ListFolder(folder.item, context.folders.nodes(), *exfat, style);
        const std::vector<ResultFile>& files = exfat->last();
        std::size_t fileIndex = 0;
        for (FileRow& row : rows) {
            if (row.icon == FileRowIcon::Folder) {
                folder.rows.push_back(std::move(row));
                continue;
            }
            const ResultFile* raw = fileIndex < files.size() ? &files[fileIndex] : nullptr;
            ++fileIndex;
            if (pastEnd.active()) row.pastDiskEnd = pastEnd.liesPastEnd(row);
            ResultEntry entry = fileEntry(row, nullptr, folder.entry, rows);
            if (raw != nullptr) {
                entry.modified = IsoFromFatWords(raw->fatDate, raw->fatTime);
                entry.first = raw->firstCluster;
                entry.size = raw->size;
                entry.source.kind = ContentKind::ExfatFile;
                entry.source.firstCluster = raw->firstCluster;
                entry.source.recordSector = raw->recordSector;
                entry.source.size = raw->size;
            }
            folder.files.push_back(std::move(entry));
            folder.rows.push_back(std::move(row));
        }
        return folder;
    }

    ResultEntry fileEntry(const FileRow& row, const FatFileEntry* raw, const ResultEntry& parent,
                          const std::vector<FileRow>& siblings) const {
        ResultEntry entry;
        entry.name = row[file_col::Name];
        entry.path = parent.path.empty() ? entry.name : parent.path + "/" + entry.name;
        entry.depth = parent.depth + 1;
        entry.size = SizeOf(row[file_col::Size]);
        entry.pastDiskEnd = row.pastDiskEnd;
        entry.source.size = entry.size;
        entry.source.deleted = row.deleted;
        if (row.deleted || parent.state == EntryState::Deleted)
            entry.state = EntryState::Deleted;
        else if (parent.state == EntryState::Orphan)
            entry.state = EntryState::Orphan;
        if (ntfs) {
            entry.modified = IsoFromNtfsTexts(row[file_col::Date], row[file_col::Time]);
            entry.first = static_cast<std::uint64_t>(ParseSigned64(row[file_col::DebugInfo3]));
            entry.source.kind = ContentKind::NtfsRecord;
            entry.source.recordSector =
                static_cast<std::uint64_t>(ParseSigned64(row[file_col::DebugInfo1]));
            // "name:stream" beside the row of "name" from the same record: a stream.
            const std::size_t colon = entry.name.rfind(':');
            if (colon != std::string::npos && colon + 1 < entry.name.size())
                for (const FileRow& other : siblings)
                    if (other[file_col::DebugInfo1] == row[file_col::DebugInfo1] &&
                        other[file_col::Name] == entry.name.substr(0, colon)) {
                        entry.source.stream = entry.name.substr(colon + 1);
                        break;
                    }
        } else if (raw != nullptr) {
            entry.modified = IsoFromFatWords(raw->date, raw->time);
            entry.first = raw->firstCluster;
            entry.source.kind = ContentKind::FatFile;
            entry.source.firstCluster = raw->firstCluster;
            entry.source.deleted = raw->deleted;
        }
        return entry;
    }

    void walk(ItemId item, const ResultEntry* parent, bool lost,
              const std::function<void(const WalkedFolder&)>& enter,
              const std::function<void(const WalkedFolder&)>& leave) {
        std::unordered_set<ItemId> lostChildren;
        const WalkedFolder folder = list(item, folderEntry(item, parent, lost), lostChildren);
        enter(folder);
        for (ItemId child : context.folders.model().children(item))
            walk(child, &folder.entry, lostChildren.count(child) != 0, enter, leave);
        if (leave) leave(folder);
    }

    RecoveryContext& context;
    bool ntfs;
    RecordingFatReader fatReader;
    std::unique_ptr<RecordingVolume> exfat;
    FolderListSources sources;
    FolderRowStyle style;
    std::unique_ptr<ResultVolume> ntfsVolume;
    PastDiskEndFiles pastEnd;
};

ResultWalk::ResultWalk(RecoveryContext& context) : impl_(std::make_unique<Impl>(context)) {}
ResultWalk::~ResultWalk() = default;

void ResultWalk::visit(const std::function<void(const WalkedFolder&)>& enter,
                       const std::function<void(const WalkedFolder&)>& leave) {
    const ItemId root = impl_->context.folders.root();
    if (root != kNoItem) impl_->walk(root, nullptr, false, enter, leave);
}

std::optional<WalkedFolder> ResultWalk::find(const std::string& path) {
    std::string wanted = path;
    while (!wanted.empty() && wanted.front() == '/') wanted.erase(0, 1);
    while (!wanted.empty() && wanted.back() == '/') wanted.pop_back();
    const TreeModel& model = impl_->context.folders.model();
    const ItemId root = impl_->context.folders.root();
    if (root == kNoItem) return std::nullopt;
    // Down the tree by names, keeping the entries so that the state passes down.
    std::unordered_set<ItemId> lostChildren;
    WalkedFolder folder = impl_->list(root, impl_->folderEntry(root, nullptr, false), lostChildren);
    std::size_t at = 0;
    while (at < wanted.size()) {
        std::size_t slash = wanted.find('/', at);
        if (slash == std::string::npos) slash = wanted.size();
        const std::string name = wanted.substr(at, slash - at);
        at = slash + 1;
        if (name.empty()) continue;
        ItemId next = kNoItem;
        for (ItemId child : model.children(folder.item))
            if (model.item(child).text == name) {
                next = child;
                break;
            }
        if (next == kNoItem) return std::nullopt;
        const bool lost = lostChildren.count(next) != 0;
        lostChildren.clear();
        const ResultEntry parent = folder.entry;
        folder = impl_->list(next, impl_->folderEntry(next, &parent, lost), lostChildren);
    }
    return folder;
}

}  // namespace datrevo::cli
