#include "ntfs/catalogue_rows.h"

#include "base/decimal.h"
#include "browse/catch_all_folder.h"
#include "catalogue/catalogue.h"

namespace datrevo {
namespace {

int AppendCommon(CatalogueTable& table, const NtfsRow& row) {
    const int index = table.appendRow(row.name);
    table.setCell(index, folder_col::Sector, Unsigned64Text(row.sector));
    table.setUnsigned(index, folder_col::Self, row.self);
    table.setUnsigned(index, folder_col::Parent, row.parent);
    table.setSigned(index, folder_col::Date, row.date);
    if (row.deleted) table.setCell(index, folder_col::Deleted, "1");
    return index;
}

}  // namespace

void AppendNtfsFolderRow(CatalogueTable& table, const NtfsRow& row) {
    const int index = AppendCommon(table, row);
    table.setCell(index, folder_col::Size, "0");
    table.setCell(index, folder_col::Type, kTypeFolder);
}

void AppendNtfsFileRow(CatalogueTable& table, const NtfsRow& row) {
    const int index = AppendCommon(table, row);
    table.setCell(index, folder_col::Size, Unsigned64Text(row.size));
    table.setCell(index, folder_col::Type, kTypeFile);
}

void AppendNtfsCatchAllRow(CatalogueTable& folderTable) {
    InsertCatchAllFolderRow(folderTable, folderTable.count(), kNtfsRootRecord,
                            static_cast<std::int64_t>(CatchAllFileTimeNow()));
}

}  // namespace datrevo
