#include "exfat/exfat_result_volume.h"

#include "base/decimal.h"
#include "catalogue/catalogue.h"

namespace datrevo {

std::vector<ResultFile> ExfatResultVolume::files(std::uint32_t folderNumber, std::stop_token stop) {
    const std::shared_ptr<const EntryRowIndex> index = entries_->current();
    const CatalogueTable& entryTable = entries_->table();
    return EntryRowFiles(*index, folderNumber, stop, [&](int row, const EntryRowView& view) {
        ResultFile file;
        file.name = entryTable.cell(row, folder_col::Name);
        file.deleted = view.deleted;
        file.size = view.size > 0 ? static_cast<std::uint64_t>(view.size) : 0;
        file.sizeText = Unsigned64Text(file.size);
        file.rowKey = entryTable.cell(row, folder_col::Sector);
        file.recordSector = view.sector > 0 ? static_cast<std::uint64_t>(view.sector) : 0;
        file.firstCluster = view.self;
        file.self = view.self;
        file.fatDate = static_cast<std::uint16_t>(entryTable.cellUnsigned(row, folder_col::Date));
        file.fatTime = static_cast<std::uint16_t>(entryTable.cellUnsigned(row, folder_col::Time));
        return file;
    });
}

}  // namespace datrevo
