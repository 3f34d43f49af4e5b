#include "browse/open_row.h"

#include <string_view>

#include "base/decimal.h"

namespace datrevo {
namespace {

std::string_view Trimmed(std::string_view text) {
    constexpr std::string_view kBlanks = " \t\r\n";
    const auto first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(kBlanks);
    return text.substr(first, last - first + 1);
}

bool EndsWith(std::string_view text, std::string_view end) {
    return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

}  // namespace

OpenTarget ClassifyOpen(const FileRow& row) {
    const std::string_view type = Trimmed(row[file_col::Type]);
    if (type.empty()) return {};
    if (EndsWith(type, "Folder") || EndsWith(type, "FOLDER"))
        return {OpenTarget::Kind::Folder, ParseUnsigned32(row[file_col::DebugInfo3])};
    return {OpenTarget::Kind::File, kNoItem};
}

std::string OpenFolderItem(FolderTree& tree, ItemId item, ItemId& currentFolderItem) {
    TreeModel& model = tree.model();
    if (!model.contains(item)) return {};
    const ItemId parent = model.item(item).parent;
    if (parent != kNoItem) {
        if (parent != model.root()) model.setImage(parent, kImageFolderPassed);
        model.setExpanded(parent, true);
    }
    model.setExpanded(item, true);
    currentFolderItem = item;
    model.setImage(item, kImageFolderOpened);
    return tree.FolderPath(item);
}

}  // namespace datrevo
