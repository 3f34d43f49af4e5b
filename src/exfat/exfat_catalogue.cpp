#include "exfat/exfat_catalogue.h"

#include "base/decimal.h"
#include "browse/catch_all_folder.h"
#include "browse/date_texts.h"
#include "browse/folder_row_tree.h"
#include "browse/type_names.h"

namespace datrevo {
namespace {

void FillRow(CatalogueTable& table, int row, const ExfatItem& item, const char* type) {
    table.setCell(row, folder_col::Sector, Unsigned64Text(item.entrySector));
    table.setUnsigned(row, folder_col::Self,
                      item.set.isDirectory() ? item.self : item.set.firstCluster);
    table.setUnsigned(row, folder_col::Parent, item.parent);
    table.setUnsigned(row, folder_col::Date, item.set.modified.fatDate);
    table.setUnsigned(row, folder_col::Time, item.set.modified.fatTime);
    table.setCell(row, folder_col::Size,
                  Unsigned64Text(item.set.isDirectory() ? 0 : item.set.dataLength));
    table.setUnsigned(row, folder_col::Attr, item.set.attributes);
    table.setCell(row, folder_col::SysId, "0");
    table.setCell(row, folder_col::Type, type);
    table.setCell(row, folder_col::Deleted, item.set.deleted ? "1" : "");
}

}  // namespace

bool StoreExfatListing(const ExfatListing& listing, Catalogue& catalogue, FolderTree& tree,
                       std::stop_token stop) {
    CatalogueTable& folders = catalogue.FolderTable;
    const FatDateTimeWords now = CatchAllFatWordsNow();
    InsertCatchAllFolderRow(folders, folders.count(), kExfatRootNumber, now.date, now.time);
    for (const ExfatItem& item : listing.folders)
        FillRow(folders,
                folders.appendRow(item.madeUpName.empty() ? item.set.name : item.madeUpName), item,
                kTypeFolder);
    for (const ExfatItem& item : listing.files)
        FillRow(catalogue.EntryTable, catalogue.EntryTable.appendRow(item.set.name), item,
                kTypeFile);

    folders.sortByColumn(folder_col::Parent);
    FolderRowTreeOptions options;
    options.rootNumber = kExfatRootNumber;
    options.fatWordTimes = true;
    options.stop = stop;
    return BuildTreeFromFolderRows(folders, tree, options);
}

void FillExfatFileRows(std::vector<FileRow>& rows, const CatalogueTable& entryTable,
                       std::uint32_t folderNumber, std::stop_token stop) {
    const std::string key = UnsignedText(folderNumber);
    for (int table = 0; table < entryTable.count(); ++table) {
        if (table % 4096 == 0 && stop.stop_requested()) return;
        if (entryTable.cell(table, folder_col::Parent) != key) continue;
        FileRow row;
        row.deleted = entryTable.cell(table, folder_col::Deleted) == "1";
        row[file_col::Name] = entryTable.cell(table, folder_col::Name);
        row[file_col::Type] = TypeNameForFile(row[file_col::Name], TypeNameSource::FatFolder);
        row[file_col::Size] = entryTable.cell(table, folder_col::Size);
        row[file_col::Date] = FatDateText(
            static_cast<std::uint16_t>(entryTable.cellUnsigned(table, folder_col::Date)));
        row[file_col::Time] = FatTimeText(
            static_cast<std::uint16_t>(entryTable.cellUnsigned(table, folder_col::Time)));
        row[file_col::DebugInfo1] = entryTable.cell(table, folder_col::Sector);
        row[file_col::DebugInfo2] = key;
        row[file_col::DebugInfo3] = entryTable.cell(table, folder_col::Self);
        rows.push_back(std::move(row));
    }
}

}  // namespace datrevo
