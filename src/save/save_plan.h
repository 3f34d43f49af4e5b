// Turning what the user selected into the list of things to write: folders
// to create and files to copy, each with its path under the destination
// (safe names only), where its contents lie and its time. No disk I/O here
// beyond what the FolderContents given to it does.
#pragma once

#include <cstdint>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

#include "base/item_id.h"
#include "browse/file_content.h"
#include "browse/file_row.h"
#include "browse/folder_tree.h"
#include "save/copy_time.h"

namespace datrevo {

// One file of a folder as the file list shows it.
struct FolderFile {
    std::string name;
    ContentSource source;
    std::optional<CopyTime> modified;
    // The file list's "Debug Info 1" cell of the file's row (FAT first
    // cluster, NTFS record sector): with the name, how a selected row is
    // matched to its file.
    std::string rowKey;
    // An NTFS system file (records 0-23: $MFT, $LogFile, $Bitmap ...): saved
    // with its folder only when asked for.
    bool system = false;
    // An NTFS alternate data stream ("name:stream" in the list): saved with
    // its folder only when asked for.
    bool stream = false;
};

// What the planner reads about the folders of a result.
class FolderContents {
public:
    virtual ~FolderContents() = default;
    // Called once per folder before its subfolders are read from the tree:
    // FAT folders name their child folders from their directory here, as
    // opening them in the tree does.
    virtual void prepare(ItemId /*folderItem*/) {}
    // The files of the folder shown by the item (the root item: the volume's
    // root directory), in list order.
    virtual std::vector<FolderFile> files(ItemId folderItem, std::stop_token stop) = 0;
    // The time of a folder's copy, from its folder node.
    virtual std::optional<CopyTime> folderTime(const FolderNode& node) const = 0;
    // A folder of the file system's own ($Extend on NTFS): saved with its
    // parent only when asked for.
    virtual bool isSystemFolder(const FolderNode& /*node*/) const { return false; }
};

// A row of the file list that the user selected, with the folder whose list
// showed it. A folder row ("FOLDER" rows carry their tree item in "Debug
// Info 3") stands for the whole folder.
struct SelectedFileRow {
    ItemId folderItem = kNoItem;
    FileRow row;
};

// What to save. The parts add up; anything selected twice is saved once.
struct SaveSelection {
    bool everything = false;      // "Save All": every folder and file of the result
    bool checkMarks = false;      // the tree's check boxes: a checked folder with all
                                  // below it, a partly checked one for its checked parts
    std::vector<ItemId> folders;  // whole folders
    std::vector<SelectedFileRow> rows;
    // Whole folders take the file system's own files and folders too (NTFS
    // records 0-23 and $Extend); without it only those selected by name.
    bool systemFiles = false;
    // Whole folders take the NTFS alternate data streams of their files too;
    // without it only those selected by name.
    bool streams = false;
};

struct SaveJob {
    enum class Kind { Folder, File };
    Kind kind = Kind::File;
    // Safe names from the destination down; the last one is the job's own.
    std::vector<std::string> path;
    // The path as the tree and the list show it ("Music\Artist\song.mp3").
    std::string shownPath;
    ContentSource source;              // files
    std::optional<CopyTime> modified;  // nothing: the copy keeps the time of writing
};

struct SavePlan {
    std::vector<SaveJob> jobs;  // a folder comes before everything inside it
    std::size_t fileCount = 0;
    std::size_t folderCount = 0;
    std::uint64_t byteCount = 0;  // sum of the file sizes
    std::size_t tooDeep = 0;      // folders left out below the depth limit
    bool stopped = false;         // the stop token ended planning early
};

SavePlan PlanSave(const FolderTree& tree, FolderContents& contents, const SaveSelection& selection,
                  std::stop_token stop = {});

// The destination-relative path of a job, joined with '/'.
std::string JoinedPath(const SaveJob& job);

}  // namespace datrevo
