#include "catalogue/entry_rows.h"

#include "base/decimal.h"
#include "catalogue/catalogue.h"

namespace datrevo {

EntryRowView EntryRowView::Read(const CatalogueTable& table, int row) {
    EntryRowView view;
    view.row = row;
    // The 32 bits of the number, whether the cell holds "-1" or "4294967295".
    view.parent = static_cast<std::int32_t>(table.cellUnsigned(row, folder_col::Parent));
    view.self = table.cellUnsigned(row, folder_col::Self);
    view.sector = table.cellSigned64(row, folder_col::Sector);
    view.date = table.cellSigned64(row, folder_col::Date);
    view.size = table.cellSigned64(row, folder_col::Size);
    view.deleted = table.cell(row, folder_col::Deleted) == "1";
    return view;
}

EntryRowIndex::EntryRowIndex(const CatalogueTable& table) : table_(&table) {
    const int count = table.count();
    rows_.reserve(static_cast<std::size_t>(count));
    for (int row = 0; row < count; ++row) {
        rows_.push_back(EntryRowView::Read(table, row));
        byParent_[rows_.back().parent].push_back(row);
        bySector_[rows_.back().sector].push_back(row);
    }
}

const std::vector<int>& EntryRowIndex::rowsOfParent(std::int32_t parent) const {
    static const std::vector<int> kNone;  // immutable: safe to share
    const auto found = byParent_.find(parent);
    return found == byParent_.end() ? kNone : found->second;
}

bool EntryRowIndex::hasRow(const std::string& sectorText, const std::string& name) const {
    if (table_ == nullptr) return false;
    // Rows are found by the sector's number, then compared by their texts.
    const auto found = bySector_.find(ParseSigned64(sectorText));
    if (found == bySector_.end()) return false;
    for (const int row : found->second)
        if (table_->cell(row, folder_col::Sector) == sectorText &&
            table_->cell(row, folder_col::Name) == name)
            return true;
    return false;
}

std::shared_ptr<const EntryRowIndex> EntryRowIndexCache::current() {
    const std::lock_guard lock(mutex_);
    if (index_ == nullptr || revision_ != table_.revision()) {
        index_ = std::make_shared<const EntryRowIndex>(table_);
        revision_ = table_.revision();
        ++builds_;
    }
    return index_;
}

std::uint64_t EntryRowIndexCache::builds() const {
    const std::lock_guard lock(mutex_);
    return builds_;
}

}  // namespace datrevo
