#include "exfat/exfat_result_volume.h"

#include "base/decimal.h"
#include "catalogue/catalogue.h"

namespace datrevo {
namespace {

// Rows read between two looks at the stop token.
constexpr std::size_t kStopCheckInterval = 256;

}  // namespace

std::vector<ResultFile> ExfatResultVolume::files(std::uint32_t folderNumber, std::stop_token stop) {
    std::vector<ResultFile> files;
    const std::shared_ptr<const EntryRowIndex> shared = entries_->current();
    const EntryRowIndex& index = *shared;
    const CatalogueTable& entryTable = entries_->table();
    const std::vector<int>& rows = index.rowsOfParent(static_cast<std::int32_t>(folderNumber));
    files.reserve(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (i % kStopCheckInterval == 0 && stop.stop_requested()) break;
        const int row = rows[i];
        const EntryRowView& view = index[static_cast<std::size_t>(row)];
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
        files.push_back(std::move(file));
    }
    return files;
}

}  // namespace datrevo
