#include "save/save_setup.h"

#include "save/folder_contents.h"

namespace datrevo {
namespace {

std::vector<std::string> SplitPath(const std::string& path) {
    std::vector<std::string> parts;
    std::string part;
    for (const char c : path) {
        if (c == '/') {
            if (!part.empty()) parts.push_back(part);
            part.clear();
        } else {
            part += c;
        }
    }
    if (!part.empty()) parts.push_back(part);
    return parts;
}

}  // namespace

std::unique_ptr<FolderContents> MakeFolderContents(const FolderTree& tree,
                                                   std::shared_ptr<ResultVolume> volume) {
    return std::make_unique<ResultFolderContents>(tree, std::move(volume));
}

bool SelectPath(const FolderTree& tree, FolderContents& contents, const std::string& path,
                SaveSelection& selection) {
    const std::vector<std::string> parts = SplitPath(path);
    const TreeModel& model = tree.model();
    if (tree.root() == kNoItem) return false;
    if (parts.empty()) {
        selection.everything = true;
        return true;
    }
    std::vector<ItemId> current{tree.root()};
    for (std::size_t i = 0; i < parts.size(); ++i) {
        const bool last = i + 1 == parts.size();
        std::vector<ItemId> next;
        bool found = false;
        for (const ItemId folder : current) {
            contents.prepare(folder);
            for (const ItemId child : model.children(folder))
                if (model.item(child).text == parts[i]) next.push_back(child);
            if (!last) continue;
            for (const FolderFile& file : contents.files(folder, {})) {
                if (file.name != parts[i]) continue;
                SelectedFileRow row;
                row.folderItem = folder;
                row.row[file_col::Name] = file.name;
                row.row[file_col::DebugInfo1] = file.rowKey;
                selection.rows.push_back(std::move(row));
                found = true;
            }
        }
        if (last) {
            for (const ItemId folder : next) selection.folders.push_back(folder);
            return found || !next.empty();
        }
        if (next.empty()) return false;
        current = std::move(next);
    }
    return false;
}

}  // namespace datrevo
