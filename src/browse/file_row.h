// One row of the file list: plain texts the views show, no widgets.
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace datrevo {

// Columns of the file list. The three "Debug Info" columns are hidden (width
// 0) and carry what other operations need: folder rows hold their own and
// parent numbers and their tree item there, which is how "Open" finds it.
namespace file_col {
enum : int { Name = 0, Type, Size, Date, Time, DebugInfo1, DebugInfo2, DebugInfo3, Count };
}

struct FileListColumn {
    std::string_view heading;
    int width;  // pixels; 0 = hidden
};

inline constexpr std::array<FileListColumn, file_col::Count> kFileListColumns = {{
    {"Name", 145},
    {"Type", 100},
    {"Size", 70},
    {"Date", 100},
    {"Time", 70},
    {"Debug Info 1", 0},
    {"Debug Info 2", 0},
    {"Debug Info 3", 0},
}};

enum class FileRowIcon { Folder, File };

struct FileRow {
    std::array<std::string, file_col::Count> cells;
    FileRowIcon icon = FileRowIcon::File;
    bool deleted = false;
    bool pastDiskEnd = false;  // a file whose data lies beyond the end of a disk cut short

    const std::string& operator[](int column) const {
        return cells[static_cast<std::size_t>(column)];
    }
    std::string& operator[](int column) { return cells[static_cast<std::size_t>(column)]; }
};

}  // namespace datrevo
