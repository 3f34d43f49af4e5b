// Typed views of the FolderTable / EntryTable rows (columns in folder_col),
// with the numbers parsed once, and the index of EntryTable rows by parent.
//
// The tables keep their decimal text (the log format and the text cells need
// it); readers that compare or look up numbers take them from here instead of
// parsing a cell again on every access.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
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

// The index of one table, built on the first request and kept while the
// table does not change: the file lists and the save of a result share one
// index instead of each reading the whole table again. Any change of the
// table (a row added or removed, a cell written, a sort, a new search, a
// loaded log) moves its revision, and the next request builds a new index.
// Requests may come from several threads (the window's, a list or save
// worker); the table itself must not change while it is read, as for every
// other reader of it. An index handed out stays whole for its holder even
// when a later request replaces it.
class EntryRowIndexCache {
public:
    explicit EntryRowIndexCache(const CatalogueTable& table) : table_(table) {}
    EntryRowIndexCache(const EntryRowIndexCache&) = delete;
    EntryRowIndexCache& operator=(const EntryRowIndexCache&) = delete;

    const CatalogueTable& table() const { return table_; }
    // The index of the table as it is now.
    std::shared_ptr<const EntryRowIndex> current();
    // How many indexes were built so far.
    std::uint64_t builds() const;

private:
    const CatalogueTable& table_;
    mutable std::mutex mutex_;
    std::uint64_t revision_ = 0;
    std::uint64_t builds_ = 0;
    std::shared_ptr<const EntryRowIndex> index_;
};

}  // namespace datrevo
