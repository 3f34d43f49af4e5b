#include "catalogue/catalogue_table.h"

#include <algorithm>
#include <numeric>

#include "base/decimal.h"
#include "catalogue/cell_compare.h"

namespace datrevo {

CatalogueTable::CatalogueTable(std::string name, std::vector<std::string> columns,
                               bool allowsDescending)
    : name_(std::move(name)), columns_(std::move(columns)), allowsDescending_(allowsDescending) {}

bool CatalogueTable::inside(int row, int column) const {
    return row >= 0 && row < count() && column >= 0 && column < columnCount();
}

void CatalogueTable::invalidateFirstCellIndex() const {
    firstCellIndexValid_ = false;
    firstCellIndex_.clear();
}

int CatalogueTable::insertRow(int index, std::string firstCell) {
    index = std::clamp(index, 0, count());
    revision_.advance();
    std::vector<std::string> row(columns_.size());
    if (!row.empty()) row[0] = std::move(firstCell);
    const bool appended = index == count();
    if (appended && firstCellIndexValid_ && !row.empty())
        firstCellIndex_.try_emplace(row[0], index);
    else
        invalidateFirstCellIndex();
    rows_.insert(rows_.begin() + index, std::move(row));
    return index;
}

void CatalogueTable::setCell(int row, int column, std::string text) {
    if (!inside(row, column)) return;
    revision_.advance();
    if (column == 0) invalidateFirstCellIndex();
    rows_[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)] = std::move(text);
}

void CatalogueTable::setUnsigned(int row, int column, std::uint32_t value) {
    setCell(row, column, UnsignedText(value));
}

void CatalogueTable::setSigned(int row, int column, std::int64_t value) {
    setCell(row, column, SignedText(value));
}

const std::string& CatalogueTable::cell(int row, int column) const {
    static const std::string kEmpty;
    if (!inside(row, column)) return kEmpty;
    return rows_[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
}

std::string CatalogueTable::cellInBuffer(int row, int column, std::size_t bufferSize) const {
    const std::string& text = cell(row, column);
    if (bufferSize == 0) return {};
    return text.substr(0, std::min(text.size(), bufferSize - 1));
}

std::uint32_t CatalogueTable::cellUnsigned(int row, int column) const {
    return ParseUnsigned32(cell(row, column));
}

std::int32_t CatalogueTable::cellSigned32(int row, int column) const {
    return ParseSigned32(cell(row, column));
}

std::int64_t CatalogueTable::cellSigned64(int row, int column) const {
    return ParseSigned64(cell(row, column));
}

void CatalogueTable::deleteAll() {
    rows_.clear();
    revision_.advance();
    invalidateFirstCellIndex();
}

void CatalogueTable::keepRows(const std::vector<bool>& keep) {
    std::size_t kept = 0;
    for (std::size_t row = 0; row < rows_.size(); ++row) {
        if (row < keep.size() && !keep[row]) continue;
        if (kept != row) rows_[kept] = std::move(rows_[row]);
        ++kept;
    }
    rows_.resize(kept);
    revision_.advance();
    invalidateFirstCellIndex();
}

int CatalogueTable::findByFirstCell(std::string_view text) const {
    if (columns_.empty()) return -1;
    if (!firstCellIndexValid_) {
        firstCellIndex_.clear();
        for (int row = 0; row < count(); ++row)
            firstCellIndex_.try_emplace(rows_[static_cast<std::size_t>(row)][0], row);
        firstCellIndexValid_ = true;
    }
    const auto found = firstCellIndex_.find(std::string(text));
    return found == firstCellIndex_.end() ? -1 : found->second;
}

void CatalogueTable::sortByColumn(int column, SortOrder order) {
    if (column < 0 || column >= columnCount()) return;
    const bool descending = order == SortOrder::Descending && allowsDescending_;
    const auto col = static_cast<std::size_t>(column);
    std::stable_sort(rows_.begin(), rows_.end(), [col, descending](const auto& a, const auto& b) {
        const int c = CompareCells(a[col], b[col]);
        return descending ? c > 0 : c < 0;
    });
    revision_.advance();
    invalidateFirstCellIndex();
}

std::pair<int, int> CatalogueTable::equalRange(int column, std::string_view text) const {
    if (column < 0 || column >= columnCount()) return {0, 0};
    const auto col = static_cast<std::size_t>(column);
    const auto first = std::partition_point(rows_.begin(), rows_.end(), [&](const auto& row) {
        return CompareCells(row[col], text) < 0;
    });
    const auto last = std::partition_point(
        first, rows_.end(), [&](const auto& row) { return CompareCells(row[col], text) <= 0; });
    return {static_cast<int>(first - rows_.begin()), static_cast<int>(last - rows_.begin())};
}

}  // namespace datrevo
