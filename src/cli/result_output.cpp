#include "cli/result_output.h"

#include <functional>
#include <map>
#include <utility>
#include <vector>

#include "base/text_codec.h"
#include "browse/file_rows.h"
#include "fat/fat_kind.h"
#include "fat/folder_naming.h"
#include "search/result_folder_lister.h"

namespace datrevo::cli {
namespace {

// Lists folders as the file list does; `files` leaves the subfolders out.
class FolderLister {
public:
    explicit FolderLister(RecoveryContext& context) : lister_(context) {}

    std::vector<FileRow> rows(ItemId item) { return lister_.rows(item); }
    std::vector<FileRow> files(ItemId item) {
        std::vector<FileRow> all = rows(item);
        std::erase_if(all, [](const FileRow& row) { return row.icon == FileRowIcon::Folder; });
        return all;
    }

private:
    ResultFolderLister lister_;
};

bool IsDeletedFolder(const RecoveryContext& context, ItemId item) {
    return context.folders.isDeletedFolder(item);
}

// Visits the result's folders depth-first with their '/'-joined paths.
void VisitFolders(const RecoveryContext& context,
                  const std::function<void(ItemId, const std::string&, int depth)>& visit) {
    const TreeModel& model = context.folders.model();
    const std::function<void(ItemId, const std::string&, int)> walk =
        [&](ItemId item, const std::string& path, int depth) {
            visit(item, path, depth);
            for (ItemId child : model.children(item))
                walk(child, path.empty() ? model.item(child).text
                                         : path + "/" + model.item(child).text,
                     depth + 1);
        };
    if (context.folders.root() != kNoItem) walk(context.folders.root(), "", 0);
}

// Left-aligned in `width` characters (not bytes: names are UTF-8).
std::string Pad(const std::string& text, std::size_t width) {
    const std::size_t length = Utf8Length(text);
    return length >= width ? text + " " : text + std::string(width - length, ' ');
}

std::string Mark(bool deleted) { return deleted ? "  [deleted]" : ""; }

// A file whose data lies beyond the end of a disk cut short.
std::string PastEndMark(const FileRow& row) { return row.pastDiskEnd ? "  [past disk end]" : ""; }

}  // namespace

void CompleteResult(RecoveryContext& context) {
    if (IsNtfsResult(context) || !IsFatKind(context.activeLayout.kind)) return;
    NameAllFatFolders(context.folders, context.selectedDisk(), context.activeLayout);
    PassDeletionDown(context.folders);
}

void PrintTree(std::ostream& out, RecoveryContext& context, bool withFiles) {
    FolderLister lister(context);
    const TreeModel& model = context.folders.model();
    // Subfolders first, then the folder's files, as the file list orders them.
    const std::function<void(ItemId, int)> print = [&](ItemId item, int depth) {
        const std::string indent(static_cast<std::size_t>(depth) * 2, ' ');
        if (depth == 0)
            out << model.item(item).text << '\n';
        else
            out << indent << model.item(item).text << "/" << Mark(IsDeletedFolder(context, item))
                << '\n';
        for (ItemId child : model.children(item)) print(child, depth + 1);
        if (!withFiles) return;
        const bool folderDeleted = IsDeletedFolder(context, item);
        for (const FileRow& row : lister.files(item))
            out << indent << "  " << row[file_col::Name] << "  (" << row[file_col::Size]
                << " bytes)" << Mark(row.deleted || folderDeleted) << PastEndMark(row)
                << '\n';
    };
    if (context.folders.root() != kNoItem) print(context.folders.root(), 0);
}

bool PrintFolderRows(std::ostream& out, RecoveryContext& context, const std::string& path) {
    std::string wanted = path;
    while (!wanted.empty() && wanted.front() == '/') wanted.erase(0, 1);
    while (!wanted.empty() && wanted.back() == '/') wanted.pop_back();
    ItemId found = kNoItem;
    VisitFolders(context, [&](ItemId item, const std::string& itemPath, int) {
        if (found == kNoItem && itemPath == wanted) found = item;
    });
    if (found == kNoItem) return false;
    FolderLister lister(context);
    out << Pad("Name", 40) << Pad("Type", 16) << Pad("Size", 12) << Pad("Date", 13) << "Time\n";
    for (const FileRow& row : lister.rows(found))
        out << Pad(row[file_col::Name], 40) << Pad(row[file_col::Type], 16)
            << Pad(row[file_col::Size], 12) << Pad(row[file_col::Date], 13)
            << row[file_col::Time] << Mark(row.deleted) << PastEndMark(row) << '\n';
    return true;
}

void PrintTsv(std::ostream& out, RecoveryContext& context) {
    FolderLister lister(context);
    // A folder's date and time are those its parent's list shows; parents are
    // visited before their children.
    std::map<std::string, std::pair<std::string, std::string>> folderDates;
    // Only a result with files whose data lies beyond the end of the disk has
    // a seventh column, 1 for those files: the lines wait until that is known.
    std::vector<std::pair<std::string, bool>> lines;  // without the column
    bool anyPastEnd = false;
    const auto line = [&](std::string text, bool pastEnd) {
        anyPastEnd = anyPastEnd || pastEnd;
        lines.emplace_back(std::move(text), pastEnd);
    };
    VisitFolders(context, [&](ItemId item, const std::string& path, int depth) {
        // A file in a deleted folder is deleted too, whatever its own entry says
        // (a folder's entries are often left as they were when it was deleted).
        const bool folderDeleted = IsDeletedFolder(context, item);
        if (depth > 0) {
            const auto& [date, time] = folderDates[std::to_string(item)];
            line(path + "\tFOLDER\t0\t" + date + '\t' + time + '\t' + (folderDeleted ? "1" : "0"),
                 false);
        }
        for (const FileRow& row : lister.rows(item)) {
            if (row.icon == FileRowIcon::Folder) {
                folderDates[row[file_col::DebugInfo3]] = {row[file_col::Date], row[file_col::Time]};
                continue;
            }
            line((path.empty() ? "" : path + "/") + row[file_col::Name] + "\tFILE\t" +
                     row[file_col::Size] + '\t' + row[file_col::Date] + '\t' +
                     row[file_col::Time] + '\t' + (row.deleted || folderDeleted ? "1" : "0"),
                 row.pastDiskEnd);
        }
    });
    out << "path\ttype\tsize\tdate\ttime\tdeleted" << (anyPastEnd ? "\tpast_disk_end" : "")
        << '\n';
    for (const auto& [text, pastEnd] : lines)
        out << text << (anyPastEnd ? (pastEnd ? "\t1" : "\t0") : "") << '\n';
}

}  // namespace datrevo::cli
