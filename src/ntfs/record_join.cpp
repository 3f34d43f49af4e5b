// Extension records: when a file's attributes do not fit in one record, the
// MFT holds further records whose header names the base record (offset 32).
// The scan meets each of them as a record of its own; here they are joined
// back to their base, so that the file is listed once, under its names and
// with its size, and saving finds every piece through the base record's
// attribute list.
#include <algorithm>
#include <deque>
#include <iterator>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "base/decimal.h"
#include "catalogue/catalogue.h"
#include "ntfs/advance_search.h"
#include "ntfs/file_record.h"

namespace datrevo {
namespace {

using Row = MftRecordRow;

// The rows of one found record: one, or one per link name, consecutive and
// with the same sector.
struct FoundRecord {
    std::vector<Row> rows;
    std::uint64_t sector = 0;
    std::uint32_t number = 0;
    std::uint32_t base = 0;
    bool joined = false;
};

std::vector<FoundRecord> GroupRows(std::deque<Row> rows) {
    std::vector<FoundRecord> records;
    for (Row& row : rows) {
        if (records.empty() || records.back().sector != row.sector) {
            FoundRecord record;
            record.sector = row.sector;
            record.number = row.recordMft;
            record.base = row.baseMft;
            records.push_back(std::move(record));
        }
        records.back().rows.push_back(std::move(row));
    }
    return records;
}

// Where record `number` lies when the MFT runs on without a break from the
// record numbered `fromNumber` at `fromSector`: two sectors a record.
std::optional<std::uint64_t> ContiguousSector(std::uint64_t fromSector, std::uint32_t fromNumber,
                                              std::uint32_t number) {
    const std::uint64_t distance =
        std::uint64_t{number >= fromNumber ? number - fromNumber : fromNumber - number} *
        kNtfsRecordSectors;
    if (number >= fromNumber) {
        std::uint64_t sector = 0;
        if (__builtin_add_overflow(fromSector, distance, &sector)) return std::nullopt;
        return sector;
    }
    if (distance > fromSector) return std::nullopt;
    return fromSector - distance;
}

// The base of an extension among the base records carrying its number
// (in disk order): the one that lies where a contiguous MFT puts it, else
// the nearest on the disk (another volume in the range numbers its records
// alike). A bisection: copies of one number may be many on a hostile disk.
std::optional<std::size_t> FindBase(const std::vector<FoundRecord>& records,
                                    const std::vector<std::size_t>& candidates,
                                    const FoundRecord& extension) {
    if (candidates.empty()) return std::nullopt;
    const auto before = [&records](std::size_t candidate, std::uint64_t sector) {
        return records[candidate].sector < sector;
    };
    const std::uint64_t wanted =
        ContiguousSector(extension.sector, extension.number, extension.base)
            .value_or(extension.sector);
    const auto after = std::lower_bound(candidates.begin(), candidates.end(), wanted, before);
    if (after != candidates.end() && records[*after].sector == wanted) return *after;
    const auto distance = [&](std::size_t candidate) {
        const std::uint64_t sector = records[candidate].sector;
        return sector > extension.sector ? sector - extension.sector : extension.sector - sector;
    };
    // The nearest lies just before or just after the extension itself.
    const auto next =
        std::lower_bound(candidates.begin(), candidates.end(), extension.sector, before);
    std::optional<std::size_t> nearest;
    if (next != candidates.end()) nearest = *next;
    if (next != candidates.begin() &&
        (!nearest || distance(*std::prev(next)) <= distance(*nearest)))
        nearest = *std::prev(next);
    return nearest;
}

void TakeName(Row& row, const Row& from, bool folder) {
    row.name = from.name;
    row.parentMft = from.parentMft;
    row.date = from.date;
    if (!folder) row.selfMft = SystemFileNumber(from.name).value_or(0);
}

void Join(FoundRecord& base, const FoundRecord& extension) {
    const bool folder = base.rows.front().folder;
    for (const Row& link : extension.rows) {
        if (link.name.empty()) continue;
        if (base.rows.front().name.empty()) {
            TakeName(base.rows.front(), link, folder);
            continue;
        }
        if (folder) continue;
        bool known = false;
        for (const Row& row : base.rows)
            known = known || (row.name == link.name && row.parentMft == link.parentMft);
        if (known) continue;
        Row added = base.rows.front();
        TakeName(added, link, folder);
        base.rows.push_back(std::move(added));
    }
    // The extension holds the first piece of the data: its size is the file's.
    const std::uint64_t size = extension.rows.front().size;
    if (!folder && size != 0)
        for (Row& row : base.rows) row.size = size;
}

// A joined extension keeps one row, with neither name nor size, so that it
// is not listed as a file of its own while its sector still tells where
// its record lies.
void Blank(FoundRecord& record) {
    record.rows.resize(1);
    Row& row = record.rows.front();
    row.name.clear();
    row.parentMft = 0;
    row.selfMft = 0;
    row.size = 0;
    row.folder = false;
    row.date = 0;
    row.firstRun = 0;
}

}  // namespace

void JoinExtensionRecords(MftRecordList& table) {
    // Most scans find no extension record at all: then the rows stay as they are.
    const std::deque<Row>& found = table.rows();
    if (std::none_of(found.begin(), found.end(), [](const Row& row) { return row.baseMft != 0; }))
        return;
    std::vector<FoundRecord> records = GroupRows(table.rows());
    std::unordered_map<std::uint32_t, std::vector<std::size_t>> bases;
    for (std::size_t i = 0; i < records.size(); ++i)
        if (records[i].base == 0) bases[records[i].number].push_back(i);
    for (FoundRecord& extension : records) {
        if (extension.base == 0) continue;
        const auto candidates = bases.find(extension.base);
        if (candidates == bases.end()) continue;
        const std::optional<std::size_t> base = FindBase(records, candidates->second, extension);
        if (!base) continue;
        Join(records[*base], extension);
        extension.joined = true;
    }
    std::deque<Row> rows;
    for (FoundRecord& record : records) {
        if (record.joined) Blank(record);
        for (Row& row : record.rows) rows.push_back(std::move(row));
    }
    table.assign(std::move(rows));
}

}  // namespace datrevo
