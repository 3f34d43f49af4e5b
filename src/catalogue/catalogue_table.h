// A catalogue table: ordered rows of text cells under fixed column names.
//
// Searches record what they find as rows; numbers are kept as decimal text and
// parsed back where they are used. Rows stay in the order they were appended
// until a writer sorts the table.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace datrevo {

enum class SortOrder { Ascending, Descending };

class CatalogueTable {
public:
    CatalogueTable(std::string name, std::vector<std::string> columns,
                   bool allowsDescending = false);

    const std::string& name() const { return name_; }
    const std::vector<std::string>& columns() const { return columns_; }
    int columnCount() const { return static_cast<int>(columns_.size()); }
    int count() const { return static_cast<int>(rows_.size()); }
    // Moves on with every change of the rows or cells, and when the table is
    // assigned another's rows; it never comes back to an earlier value. What
    // is derived from the table (an index) is current while the revision it
    // was made at is.
    std::uint64_t revision() const { return revision_.value(); }

    // Inserts a row at `index` (clamped to 0..count) holding `firstCell` in
    // column 0 and empty cells elsewhere; returns the row's index.
    int insertRow(int index, std::string firstCell);
    int appendRow(std::string firstCell) { return insertRow(count(), std::move(firstCell)); }

    // Cell writers; a row or column outside the table is ignored.
    void setCell(int row, int column, std::string text);
    void setUnsigned(int row, int column, std::uint32_t value);
    void setSigned(int row, int column, std::int64_t value);

    // The whole text of a cell; empty outside the table.
    const std::string& cell(int row, int column) const;
    // The cell as a reader with a buffer of `bufferSize` characters sees it:
    // at most bufferSize - 1 bytes.
    std::string cellInBuffer(int row, int column, std::size_t bufferSize = 255) const;
    // Numeric readings of a cell (an empty cell reads as 0).
    std::uint32_t cellUnsigned(int row, int column) const;
    std::int32_t cellSigned32(int row, int column) const;
    std::int64_t cellSigned64(int row, int column) const;

    void deleteAll();
    // Removes the rows whose flag is false (rows past the flags stay); the
    // rows kept keep their order.
    void keepRows(const std::vector<bool>& keep);

    // Index of the first row whose column-0 text equals `text`, or -1.
    int findByFirstCell(std::string_view text) const;

    // Reorders every row by one column with the catalogue's cell comparison.
    // Descending order is honoured only by tables that allow it. The sort is
    // stable, so rows that compare equal keep their order.
    void sortByColumn(int column, SortOrder order = SortOrder::Ascending);

    // Bisection over a column the table is sorted by (ascending): the rows
    // whose cell compares equal to `text`, as [first, last).
    std::pair<int, int> equalRange(int column, std::string_view text) const;

private:
    // A count of changes that only grows: assigning a table its new rows
    // moves it past both its own count and the other table's, so an index
    // of the old rows can never look current.
    class Revision {
    public:
        Revision() = default;
        Revision(const Revision&) = default;
        Revision& operator=(const Revision& other) {
            value_ = std::max(value_, other.value_) + 1;
            return *this;
        }
        ~Revision() = default;
        void advance() { ++value_; }
        std::uint64_t value() const { return value_; }

    private:
        std::uint64_t value_ = 0;
    };

    bool inside(int row, int column) const;
    void invalidateFirstCellIndex() const;

    std::string name_;
    std::vector<std::string> columns_;
    bool allowsDescending_;
    std::vector<std::vector<std::string>> rows_;
    Revision revision_;
    // First row per column-0 text, built on demand; lookups are the catalogue's
    // hot path in the NTFS analysis.
    mutable std::unordered_map<std::string, int> firstCellIndex_;
    mutable bool firstCellIndexValid_ = false;
};

}  // namespace datrevo
