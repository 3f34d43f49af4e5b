#include "catalogue/catalogue.h"

namespace datrevo {
namespace {

std::vector<std::string> FolderColumns() {
    return {"Name", "sector", "self",  "parent", "date",   "time",
            "size", "attr",   "sysID", "Type",   "Deleted"};
}

std::vector<std::string> BootRecordColumns() {
    return {"Sector",          "SPF",           "SPC",      "Root Sectors", "Root Start",
            "Reserve Sectors", "Cluster0Start", "firstFAT", "secondFAT",    "TotalSectors",
            "PartType"};
}

}  // namespace

Catalogue::Catalogue()
    : FolderTable("FolderTable", FolderColumns(), true),
      EntryTable("EntryTable", FolderColumns(), true),
      LostDirTable("LostDirTable", {"Sector", "Self Cluster", "Parent Cluster", "File System",
                                    "Date", "Time", "First Run"}),
      BootRecordTable("BootRecordTable", BootRecordColumns()),
      VolumeTable("VolumeTable", BootRecordColumns()),
      MftRefTable("MftRefTable", {"sector", "mftReference", "vcn", "fsNumber"}),
      DirScratchTable("DirScratchTable", {"Self Cluster", "Sector", "Parent Cluster", "File System",
                                          "Date", "Time", "First Run"}) {}

int InsertCatchAllFolderRow(CatalogueTable& folderTable, int index, std::uint32_t parent,
                            std::int64_t date, std::int64_t time) {
    const int row = folderTable.insertRow(index, kCatchAllName);
    folderTable.setCell(row, folder_col::Sector, "0");
    folderTable.setUnsigned(row, folder_col::Self, kCatchAllNumber);
    folderTable.setUnsigned(row, folder_col::Parent, parent);
    folderTable.setSigned(row, folder_col::Date, date);
    folderTable.setSigned(row, folder_col::Time, time);
    folderTable.setCell(row, folder_col::Size, "0");
    folderTable.setCell(row, folder_col::Attr, "16");
    folderTable.setCell(row, folder_col::SysId, "0");
    folderTable.setCell(row, folder_col::Type, kTypeFolder);
    return row;
}

}  // namespace datrevo
