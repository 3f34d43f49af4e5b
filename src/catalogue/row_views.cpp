#include "catalogue/row_views.h"

#include <algorithm>

#include "base/decimal.h"
#include "catalogue/catalogue.h"

namespace datrevo {
namespace {

std::uint64_t Unsigned64Cell(const CatalogueTable& table, int row, int column) {
    return static_cast<std::uint64_t>(table.cellSigned64(row, column));
}

}  // namespace

NtfsBootRow NtfsBootRow::Read(const CatalogueTable& boots, int row) {
    NtfsBootRow view;
    view.sector = Unsigned64Cell(boots, row, boot_col::Sector);
    view.sectorsPerCluster = boots.cellUnsigned(row, boot_col::Spf);
    view.indexBlockSectors = Unsigned64Cell(boots, row, boot_col::Spc);
    view.totalSectors = Unsigned64Cell(boots, row, boot_col::RootStart);
    view.mftCluster = Unsigned64Cell(boots, row, boot_col::ReserveSectors);
    view.mftMirrorCluster = Unsigned64Cell(boots, row, boot_col::Cluster0Start);
    return view;
}

int NtfsBootRow::append(CatalogueTable& boots) const {
    const int row = boots.appendRow(Unsigned64Text(sector));
    boots.setUnsigned(row, boot_col::Spf, sectorsPerCluster);
    boots.setCell(row, boot_col::Spc, Unsigned64Text(indexBlockSectors));
    boots.setCell(row, boot_col::RootSectors, "2");
    boots.setCell(row, boot_col::RootStart, Unsigned64Text(totalSectors));
    boots.setCell(row, boot_col::ReserveSectors, Unsigned64Text(mftCluster));
    boots.setCell(row, boot_col::Cluster0Start, Unsigned64Text(mftMirrorCluster));
    return row;
}

NtfsVolumeRow NtfsVolumeRow::Read(const CatalogueTable& volumes, int row) {
    NtfsVolumeRow view;
    view.firstSector = Unsigned64Cell(volumes, row, boot_col::Cluster0Start);
    view.endSector = Unsigned64Cell(volumes, row, boot_col::Spf);
    view.sectorsPerCluster = volumes.cellUnsigned(row, boot_col::Spc);
    view.kind = volumes.cell(row, boot_col::PartType);
    return view;
}

int NtfsVolumeRow::append(CatalogueTable& volumes) const {
    const int row = volumes.appendRow(Unsigned64Text(firstSector));
    volumes.setCell(row, boot_col::Cluster0Start, Unsigned64Text(firstSector));
    volumes.setCell(row, boot_col::Spf, Unsigned64Text(endSector));
    volumes.setUnsigned(row, boot_col::Spc, sectorsPerCluster);
    volumes.setCell(row, boot_col::PartType, kind);
    return row;
}

std::uint32_t NtfsVolumeRow::firstSector32() const {
    return static_cast<std::uint32_t>(std::min<std::uint64_t>(firstSector, UINT32_MAX));
}

LostFolderRow LostFolderRow::Read(const CatalogueTable& lostDirs, int row) {
    LostFolderRow view;
    view.sector = Unsigned64Cell(lostDirs, row, lostdir_col::Sector);
    view.selfCluster = lostDirs.cellUnsigned(row, lostdir_col::SelfCluster);
    view.parentCluster = lostDirs.cellUnsigned(row, lostdir_col::ParentCluster);
    view.fileSystem = lostDirs.cellSigned64(row, lostdir_col::FileSystem);
    view.date = lostDirs.cellUnsigned(row, lostdir_col::Date);
    view.time = lostDirs.cellUnsigned(row, lostdir_col::Time);
    return view;
}

int LostFolderRow::append(CatalogueTable& lostDirs) const {
    const int row = lostDirs.appendRow(Unsigned64Text(sector));
    lostDirs.setUnsigned(row, lostdir_col::SelfCluster, selfCluster);
    lostDirs.setUnsigned(row, lostdir_col::ParentCluster, parentCluster);
    lostDirs.setSigned(row, lostdir_col::FileSystem, fileSystem);
    lostDirs.setUnsigned(row, lostdir_col::Date, date);
    lostDirs.setUnsigned(row, lostdir_col::Time, time);
    return row;
}

}  // namespace datrevo
