// Prints a rebuilt folder tree, folders first then files, deleted ones marked.
#pragma once

#include <cstdint>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "browse/folder_tree.h"

namespace datrevo::cli {

struct PrintedFile {
    std::string name;
    std::uint64_t size = 0;
    bool deleted = false;
};

// Gives the files of a folder (none when the engine lists no files here).
using FilesOfFolder = std::function<std::vector<PrintedFile>(const FolderNode&)>;

void PrintFolderTree(std::ostream& out, const FolderTree& tree, const FilesOfFolder& files);

}  // namespace datrevo::cli
