// Typed views of the FolderTable / EntryTable rows (columns in folder_col),
// with the numbers parsed once, and the index of EntryTable rows by parent.
//
// The tables keep their decimal text (the log format and the text cells need
// it); readers that compare or look up numbers take them from here instead of
// parsing a cell again on every access.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "catalogue/catalogue_table.h"

namespace datrevo {

// The numbers of one FolderTable / EntryTable row.
struct EntryRowView {
    int row = 0;
    std::int32_t parent = 0;  // "parent": its 32 bits as a signed number (NTFS keys)
    std::uint32_t self = 0;   // "self"
    std::int64_t sector = 0;  // "sector"
    std::int64_t date = 0;    // "date": an NTFS FILETIME, or a FAT date word
    std::int64_t size = 0;    // "size"
    bool deleted = false;     // "Deleted" is "1"

    static EntryRowView Read(const CatalogueTable& table, int row);
};

// Every row of a table read once, and the rows of each parent number in table
// order: a folder's files are one lookup rather than a scan of the table.
class EntryRowIndex {
public:
    EntryRowIndex() = default;
    explicit EntryRowIndex(const CatalogueTable& table);

    std::size_t size() const { return rows_.size(); }
    const EntryRowView& operator[](std::size_t index) const { return rows_[index]; }
    // The rows whose parent is `parent`, in table order (empty when none).
    const std::vector<int>& rowsOfParent(std::int32_t parent) const;
    // Whether a row has exactly these "sector" and "Name" cells.
    bool hasRow(const std::string& sectorText, const std::string& name) const;

private:
    const CatalogueTable* table_ = nullptr;
    std::vector<EntryRowView> rows_;
    std::unordered_map<std::int32_t, std::vector<int>> byParent_;
    std::unordered_map<std::int64_t, std::vector<int>> bySector_;
};

}  // namespace datrevo
