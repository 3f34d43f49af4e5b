#include "cli/result_output.h"

#include <functional>
#include <vector>

#include "base/text_codec.h"
#include "browse/file_rows.h"
#include "cli/machine_text.h"
#include "cli/result_walk.h"
#include "search/volume_label.h"

namespace datrevo::cli {
namespace {

// Left-aligned in `width` characters (not bytes: names are UTF-8).
std::string Pad(const std::string& text, std::size_t width) {
    const std::size_t length = Utf8Length(text);
    return length >= width ? text + " " : text + std::string(width - length, ' ');
}

std::string Mark(bool deleted) { return deleted ? "  [deleted]" : ""; }

// A file whose data lies beyond the end of a disk cut short.
std::string PastEndMark(bool pastEnd) { return pastEnd ? "  [past disk end]" : ""; }

// Visits every folder and file but the root, each folder before its files.
void ForEachEntry(RecoveryContext& context, const std::function<void(const ResultEntry&)>& visit) {
    ResultWalk walk(context);
    walk.visit([&](const WalkedFolder& folder) {
        if (folder.entry.depth > 0) visit(folder.entry);
        for (const ResultEntry& file : folder.files) visit(file);
    });
}

std::string NumberText(const std::optional<std::uint64_t>& number) {
    return number ? std::to_string(*number) : std::string();
}

}  // namespace

void PrintVolumeLabel(std::ostream& out, const RecoveryContext& context) {
    if (const auto label = ResultVolumeLabel(context)) out << "Volume label: " << *label << '\n';
}

void PrintTree(std::ostream& out, RecoveryContext& context, bool withFiles) {
    ResultWalk walk(context);
    const auto indent = [](int depth) {
        return std::string(static_cast<std::size_t>(depth) * 2, ' ');
    };
    // Subfolders first, then the folder's files, as the file list orders them.
    walk.visit(
        [&](const WalkedFolder& folder) {
            const ResultEntry& entry = folder.entry;
            if (entry.depth == 0) {
                out << context.folders.model().item(folder.item).text << '\n';
                return;
            }
            out << indent(entry.depth) << entry.name << "/"
                << Mark(entry.state == EntryState::Deleted) << (entry.lost ? "  [lost]" : "")
                << '\n';
        },
        [&](const WalkedFolder& folder) {
            if (!withFiles) return;
            for (const ResultEntry& file : folder.files)
                out << indent(file.depth) << file.name << "  (" << file.size << " bytes)"
                    << Mark(file.state == EntryState::Deleted) << PastEndMark(file.pastDiskEnd)
                    << '\n';
        });
}

bool PrintFolderRows(std::ostream& out, RecoveryContext& context, const std::string& path) {
    ResultWalk walk(context);
    const std::optional<WalkedFolder> folder = walk.find(path);
    if (!folder) return false;
    out << Pad("Name", 40) << Pad("Type", 16) << Pad("Size", 12) << Pad("Date", 13) << "Time\n";
    for (const FileRow& row : folder->rows)
        out << Pad(row[file_col::Name], 40) << Pad(row[file_col::Type], 16)
            << Pad(row[file_col::Size], 12) << Pad(row[file_col::Date], 13) << row[file_col::Time]
            << Mark(row.deleted) << PastEndMark(row.pastDiskEnd) << '\n';
    return true;
}

void PrintTsv(std::ostream& out, RecoveryContext& context) {
    out << "path\ttype\tsize\tmodified\tstate\tcluster_or_record\tpast_disk_end\n";
    ForEachEntry(context, [&out](const ResultEntry& entry) {
        out << TsvEscaped(entry.path) << '\t' << (entry.folder ? "FOLDER" : "FILE") << '\t'
            << entry.size << '\t' << entry.modified << '\t' << StateText(entry.state) << '\t'
            << NumberText(entry.first) << '\t' << (entry.pastDiskEnd ? '1' : '0') << '\n';
    });
}

void PrintJsonLines(std::ostream& out, RecoveryContext& context) {
    ForEachEntry(context, [&out](const ResultEntry& entry) {
        out << "{\"path\":" << JsonString(entry.path) << ",\"type\":\""
            << (entry.folder ? "FOLDER" : "FILE") << "\",\"size\":" << entry.size
            << ",\"modified\":" << (entry.modified.empty() ? "null" : JsonString(entry.modified))
            << ",\"state\":\"" << StateText(entry.state)
            << "\",\"cluster_or_record\":" << (entry.first ? std::to_string(*entry.first) : "null")
            << ",\"past_disk_end\":" << (entry.pastDiskEnd ? "true" : "false") << "}\n";
    });
}

}  // namespace datrevo::cli
