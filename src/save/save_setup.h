// What a save of the current result needs: the planner's view of its
// folders and the selection of paths as the tree shows them.
#pragma once

#include <memory>
#include <string>

#include "browse/folder_tree.h"
#include "browse/result_volume.h"
#include "save/save_plan.h"

namespace datrevo {

// The planner's view of the folders of `tree` over the result volume of the
// current result (recovery/result_volume_choice.h), which the save task then
// reads the files' contents from.
std::unique_ptr<FolderContents> MakeFolderContents(const FolderTree& tree,
                                                   std::shared_ptr<ResultVolume> volume);

// Adds the folder or file at `path` ('/' separators, from the volume root,
// as the tree and the list name them: "Music/Artist/song.mp3", "Music") to
// the selection; "" or "/" is the whole result. Every folder or file of
// that name is taken (a name found twice, live and deleted). False when
// nothing has that path.
bool SelectPath(const FolderTree& tree, FolderContents& contents, const std::string& path,
                SaveSelection& selection);

}  // namespace datrevo
