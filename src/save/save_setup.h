// What a save of the current result needs, taken from the recovery context:
// the planner's view of its folders, the volume its contents are read from,
// and the selection of paths as the tree shows them.
#pragma once

#include <memory>
#include <string>

#include "save/file_content.h"
#include "save/save_plan.h"
#include "recovery/recovery_context.h"

namespace datrevo {

// NTFS results (the active layout's kind is NTFS) list files from
// EntryTable; FAT results read their directories from the selected disk.
std::unique_ptr<FolderContents> MakeFolderContents(RecoveryContext& context);
SourceVolume MakeSourceVolume(const RecoveryContext& context);

// Adds the folder or file at `path` ('/' separators, from the volume root,
// as the tree and the list name them: "Music/Artist/song.mp3", "Music") to
// the selection; "" or "/" is the whole result. Every folder or file of
// that name is taken (a name found twice, live and deleted). False when
// nothing has that path.
bool SelectPath(const FolderTree& tree, FolderContents& contents, const std::string& path,
                SaveSelection& selection);

}  // namespace datrevo
