// MftRecordTable (an MftRecordList): one row per NTFS file record met by the Advance scan, in
// disk order (a record with several link names gives one row per name, the
// rows of one record together).
//
// The table is the scan's working set and can hold millions of rows; it is
// never written to the log. Its numbers are therefore kept as numbers, not
// as decimal text: the scan, the join of extension records, the numbering of
// folders and the listing of a rebuilt volume all compare and look them up,
// and a text cell per number cost the scan most of its time and memory.
// cell() still gives each column's text as the other catalogue tables write
// it ("FOLDER"/"File" types, "1" for a record not in use).
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

namespace datrevo {

// Columns of MftRecordTable. RecordMft is the number the record header
// carries (0 where the volume does not write it), BaseMft the base record an
// extension record belongs to (0 for a base record).
namespace mftrec_col {
enum : int {
    Name = 0,
    Sector,
    ParentMft,
    SelfMft,
    Size,
    Type,
    FsNumber,
    Date,
    FirstRun,
    Deleted,
    RecordMft,
    BaseMft
};
}

struct MftRecordRow {
    std::string name;
    std::uint64_t sector = 0;  // absolute sector of the record
    std::uint64_t size = 0;
    std::uint64_t firstRun = 0;  // a folder's first index cluster
    std::int64_t date = 0;       // creation time, 100 ns since 1601
    std::uint32_t parentMft = 0;
    std::uint32_t selfMft = 0;
    std::uint32_t fsNumber = 0;
    std::uint32_t recordMft = 0;
    std::uint32_t baseMft = 0;
    bool folder = false;
    bool deleted = false;
};

class MftRecordList {
public:
    MftRecordList();

    const std::string& name() const { return name_; }
    const std::vector<std::string>& columns() const { return columns_; }
    int count() const { return static_cast<int>(rows_.size()); }

    const MftRecordRow& row(int index) const { return rows_[static_cast<std::size_t>(index)]; }
    MftRecordRow& row(int index) { return rows_[static_cast<std::size_t>(index)]; }
    const std::deque<MftRecordRow>& rows() const { return rows_; }

    // Inserts `row` at `index` (clamped to 0..count); returns its index.
    int insertRow(int index, MftRecordRow row);
    int appendRow(MftRecordRow row) { return insertRow(count(), std::move(row)); }
    // Replaces every row.
    void assign(std::deque<MftRecordRow> rows) { rows_ = std::move(rows); }
    void deleteAll() { rows_.clear(); }

    // A cell as decimal (or fixed-word) text; empty outside the table.
    std::string cell(int row, int column) const;

private:
    std::string name_;
    std::vector<std::string> columns_;
    // A deque: the scan appends row after row, and a vector's regrowth
    // moved every row found so far each time.
    std::deque<MftRecordRow> rows_;
};

}  // namespace datrevo
