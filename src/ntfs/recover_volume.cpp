#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <tuple>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "base/decimal.h"
#include "catalogue/row_views.h"
#include "browse/build_folder_tree.h"
#include "browse/catch_all_folder.h"
#include "ntfs/advance_search.h"
#include "ntfs/file_record.h"
#include "base/progress_meter.h"
#include "ntfs/standard_search.h"

namespace datrevo {
namespace {

// Keeps the first LostDirTable row of each own number within each file
// system, in order. Two volumes number their records alike: a folder of one
// is no duplicate of the other's.
void RemoveDuplicateFolders(CatalogueTable& lost) {
    std::unordered_set<std::string> seen;
    std::vector<bool> keep(static_cast<std::size_t>(lost.count()));
    for (int row = 0; row < lost.count(); ++row)
        keep[static_cast<std::size_t>(row)] =
            seen.insert(lost.cell(row, lostdir_col::FileSystem) + "/" +
                        lost.cell(row, lostdir_col::SelfCluster))
                .second;
    lost.keepRows(keep);
}

// Where each file system of VolumeTable starts, read once.
class VolumeStarts {
public:
    explicit VolumeStarts(const CatalogueTable& volumes) {
        for (int row = 0; row < volumes.count(); ++row)
            starts_.push_back(NtfsVolumeRow::Read(volumes, row).firstSector);
    }

    // The file system (from 1) a record at `sector` lies in: the one that
    // starts last at or before it; 0 for none.
    int owner(std::uint64_t sector) const {
        int owner = 0;
        std::uint64_t ownerStart = 0;
        for (std::size_t i = 0; i < starts_.size(); ++i) {
            if (starts_[i] <= sector && (owner == 0 || starts_[i] > ownerStart)) {
                owner = static_cast<int>(i) + 1;
                ownerStart = starts_[i];
            }
        }
        return owner;
    }

private:
    std::vector<std::uint64_t> starts_;
};

// The MFT's runs as the found records of file system `number` draw them:
// each record that carries its own number stands at its sector, numbers no
// found record carries are holes (sparse runs). The first record found of a
// number wins: the MFT lies before its mirror. Saving reaches the extension
// records named by a file's attribute list through these runs.
void DrawMftRuns(const MftRecordList& records, const VolumeStarts& volumes, std::uint32_t number,
                 MftRunList& runs) {
    std::map<std::uint32_t, std::uint64_t> sectors;
    for (int row = 0; row < records.count(); ++row) {
        const MftRecordRow& record = records.row(row);
        if (row > 0 && record.sector == records.row(row - 1).sector)
            continue;  // a further name of the same record
        const std::uint32_t own = record.recordMft;
        // Record 0 is the MFT's own; elsewhere 0 means the number is not written.
        if (own == 0 && record.name != "$MFT") continue;
        if (volumes.owner(record.sector) != static_cast<int>(number)) continue;
        sectors.try_emplace(own, record.sector);
    }
    runs.clear();
    std::uint64_t next = 0;
    for (const auto& [record, sector] : sectors) {
        if (record > next) runs.push_back({0, (record - next) * kNtfsRecordSectors});
        if (!runs.empty() && runs.back().startSector != 0 &&
            runs.back().startSector + runs.back().sectorCount == sector)
            runs.back().sectorCount += kNtfsRecordSectors;
        else
            runs.push_back({sector, kNtfsRecordSectors});
        next = std::uint64_t{record} + 1;
    }
}

}  // namespace

bool RecoverNtfsVolume(NtfsSearchScope& scope, std::uint32_t number) {
    Catalogue& catalogue = scope.catalogue;
    const CatalogueTable& volumes = catalogue.VolumeTable;
    if (number == 0 || number > static_cast<std::uint32_t>(volumes.count())) return false;
    RemoveDuplicateFolders(catalogue.LostDirTable);

    // The deleted mark of a folder comes from its record.
    const MftRecordList& records = catalogue.MftRecordTable;
    std::unordered_map<std::uint64_t, int> recordBySector;
    for (int row = 0; row < records.count(); ++row)
        recordBySector.try_emplace(records.row(row).sector, row);

    const CatalogueTable& lost = catalogue.LostDirTable;
    CatalogueTable& folders = catalogue.FolderTable;
    for (int row = 0; row < lost.count(); ++row) {
        if (lost.cellUnsigned(row, lostdir_col::FileSystem) != number) continue;
        const int added = folders.appendRow(lost.cell(row, lostdir_col::Time));
        folders.setCell(added, folder_col::Sector, lost.cell(row, lostdir_col::Sector));
        folders.setCell(added, folder_col::Self, lost.cell(row, lostdir_col::SelfCluster));
        folders.setCell(added, folder_col::Parent, lost.cell(row, lostdir_col::ParentCluster));
        folders.setCell(added, folder_col::Date, lost.cell(row, lostdir_col::Date));
        folders.setCell(added, folder_col::Attr, "16");
        folders.setCell(added, folder_col::Type, kTypeFolder);
        const std::string& sectorText = lost.cell(row, lostdir_col::Sector);
        const auto sector = static_cast<std::uint64_t>(lost.cellSigned64(row, lostdir_col::Sector));
        const auto record = Unsigned64Text(sector) == sectorText ? recordBySector.find(sector)
                                                                 : recordBySector.end();
        if (record != recordBySector.end() && records.row(record->second).deleted)
            folders.setCell(added, folder_col::Deleted, "1");
    }

    const int volume = static_cast<int>(number) - 1;
    const NtfsVolumeRow chosen = NtfsVolumeRow::Read(volumes, volume);
    scope.geometry.cluster0Start = chosen.firstSector32();
    scope.geometry.sectorsPerCluster = chosen.sectorsPerCluster;
    const VolumeStarts starts(volumes);
    DrawMftRuns(records, starts, number, scope.mftRuns);

    folders.sortByColumn(folder_col::Self);
    LinkNtfsParents(folders, scope.observer);
    scope.observer.statusText(kStoringStatus);
    folders.sortByColumn(folder_col::Parent);
    BuildFolderTree(folders, scope.folders, scope.observer);

    CatalogueTable& entries = catalogue.EntryTable;
    entries.deleteAll();
    const int total = records.count();
    ProgressMeter reporter(scope.observer, static_cast<std::uint64_t>(total));
    std::vector<bool> ofThisVolume;
    // The MFT mirror holds byte-for-byte copies of the first file records; a
    // copy describes the same file and is listed once.
    std::set<std::tuple<std::string_view, std::uint32_t, std::uint32_t, std::uint64_t, std::int64_t,
                        bool, std::uint64_t>>
        listed;
    for (int row = 0; row < total; ++row) {
        if (reporter.moved(static_cast<std::uint64_t>(row))) {
            scope.observer.statusText("Currently Enumerating " + std::to_string(row) + " / " +
                                      std::to_string(total));
            reporter.show();
        }
        const MftRecordRow& record = records.row(row);
        if (record.folder) continue;
        // A record without a file name and without data (a reserved record
        // never used, an extension record holding only a name or a list)
        // has nothing to recover. One that holds data stays listed.
        if (record.name.empty() && record.size == 0) continue;
        if (!listed
                 .emplace(record.name, record.parentMft, record.selfMft, record.size, record.date,
                          record.deleted, record.firstRun)
                 .second)
            continue;
        const int added = entries.appendRow(record.name);
        entries.setCell(added, folder_col::Sector, Unsigned64Text(record.sector));
        entries.setUnsigned(added, folder_col::Self, record.selfMft);
        entries.setUnsigned(added, folder_col::Parent, record.parentMft);
        entries.setCell(added, folder_col::Size, Unsigned64Text(record.size));
        entries.setSigned(added, folder_col::Date, record.date);
        if (record.deleted) entries.setCell(added, folder_col::Deleted, "1");
        entries.setCell(added, folder_col::Type, kTypeFile);
        ofThisVolume.push_back(starts.owner(record.sector) == static_cast<int>(number));
    }
    // Files of the other file systems keep their parents: they are listed
    // only under folders of their own file system.
    AdoptOrphanFiles(entries, scope.folders.nodes(), [&ofThisVolume](int row) {
        return ofThisVolume[static_cast<std::size_t>(row)];
    });
    ListCatchAllFolderForFiles(scope.folders, entries, CatchAllFileTimeNow());
    return true;
}

}  // namespace datrevo
