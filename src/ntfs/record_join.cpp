// Extension records: when a file's attributes do not fit in one record, the
// MFT holds further records whose header names the base record (offset 32).
// The scan meets each of them as a record of its own; here they are joined
// back to their base, so that the file is listed once, under its names and
// with its size, and saving finds every piece through the base record's
// attribute list.
#include <algorithm>
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

using Row = std::vector<std::string>;

// The rows of one found record: one, or one per link name, consecutive and
// with the same sector.
struct FoundRecord {
    std::vector<Row> rows;
    std::uint64_t sector = 0;
    std::uint32_t number = 0;
    std::uint32_t base = 0;
    bool joined = false;
};

std::vector<FoundRecord> GroupRows(const CatalogueTable& table) {
    std::vector<FoundRecord> records;
    for (int row = 0; row < table.count(); ++row) {
        Row cells(static_cast<std::size_t>(table.columnCount()));
        for (int column = 0; column < table.columnCount(); ++column)
            cells[static_cast<std::size_t>(column)] = table.cell(row, column);
        if (records.empty() ||
            records.back().rows.front()[mftrec_col::Sector] != cells[mftrec_col::Sector]) {
            FoundRecord record;
            record.sector = static_cast<std::uint64_t>(table.cellSigned64(row, mftrec_col::Sector));
            record.number = table.cellUnsigned(row, mftrec_col::RecordMft);
            record.base = table.cellUnsigned(row, mftrec_col::BaseMft);
            records.push_back(std::move(record));
        }
        records.back().rows.push_back(std::move(cells));
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
    row[mftrec_col::Name] = from[mftrec_col::Name];
    row[mftrec_col::ParentMft] = from[mftrec_col::ParentMft];
    row[mftrec_col::Date] = from[mftrec_col::Date];
    if (!folder)
        row[mftrec_col::SelfMft] =
            Unsigned64Text(SystemFileNumber(from[mftrec_col::Name]).value_or(0));
}

void Join(FoundRecord& base, const FoundRecord& extension) {
    const bool folder = base.rows.front()[mftrec_col::Type] == kTypeFolder;
    for (const Row& link : extension.rows) {
        if (link[mftrec_col::Name].empty()) continue;
        if (base.rows.front()[mftrec_col::Name].empty()) {
            TakeName(base.rows.front(), link, folder);
            continue;
        }
        if (folder) continue;
        bool known = false;
        for (const Row& row : base.rows)
            known = known || (row[mftrec_col::Name] == link[mftrec_col::Name] &&
                              row[mftrec_col::ParentMft] == link[mftrec_col::ParentMft]);
        if (known) continue;
        Row added = base.rows.front();
        TakeName(added, link, folder);
        base.rows.push_back(std::move(added));
    }
    // The extension holds the first piece of the data: its size is the file's.
    const std::string& size = extension.rows.front()[mftrec_col::Size];
    if (!folder && size != "0" && !size.empty())
        for (Row& row : base.rows) row[mftrec_col::Size] = size;
}

// A joined extension keeps one row, with neither name nor size, so that it
// is not listed as a file of its own while its sector still tells where
// its record lies.
void Blank(FoundRecord& record) {
    record.rows.resize(1);
    Row& row = record.rows.front();
    row[mftrec_col::Name].clear();
    row[mftrec_col::ParentMft] = "0";
    row[mftrec_col::SelfMft] = "0";
    row[mftrec_col::Size] = "0";
    row[mftrec_col::Type] = "File";
    row[mftrec_col::Date] = "0";
    row[mftrec_col::FirstRun] = "0";
}

}  // namespace

void JoinExtensionRecords(CatalogueTable& table) {
    // Most scans find no extension record at all: then the rows stay as they are.
    bool anyExtension = false;
    for (int row = 0; row < table.count() && !anyExtension; ++row)
        anyExtension = table.cellUnsigned(row, mftrec_col::BaseMft) != 0;
    if (!anyExtension) return;
    std::vector<FoundRecord> records = GroupRows(table);
    std::unordered_map<std::uint32_t, std::vector<std::size_t>> bases;
    bool extensions = false;
    for (std::size_t i = 0; i < records.size(); ++i) {
        if (records[i].base == 0)
            bases[records[i].number].push_back(i);
        else
            extensions = true;
    }
    if (!extensions) return;
    for (FoundRecord& extension : records) {
        if (extension.base == 0) continue;
        const auto candidates = bases.find(extension.base);
        if (candidates == bases.end()) continue;
        const std::optional<std::size_t> base = FindBase(records, candidates->second, extension);
        if (!base) continue;
        Join(records[*base], extension);
        extension.joined = true;
    }
    table.deleteAll();
    for (FoundRecord& record : records) {
        if (record.joined) Blank(record);
        for (const Row& cells : record.rows) {
            const int row = table.appendRow(cells.front());
            for (std::size_t column = 1; column < cells.size(); ++column)
                table.setCell(row, static_cast<int>(column), cells[column]);
        }
    }
}

}  // namespace datrevo
