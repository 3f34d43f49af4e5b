#include "browse/folder_tree.h"

#include <algorithm>
#include <vector>

namespace datrevo {

ItemId FolderTree::createStage(int stage, int selectedDisk) {
    model_.clear();
    std::string text;
    switch (stage) {
        case kStageInventory: text = "My Computer"; break;
        case kStageFileSystems: text = "File Systems"; break;
        case kStageResults: text = "Root"; break;
        default: text = "Disk " + std::to_string(selectedDisk); break;
    }
    const ItemId root = model_.insert(kNoItem, std::move(text), kImageComputer);
    if (stage != kStageFileSystems && stage != kStageResults) model_.setExpanded(root, true);
    return root;
}

void FolderTree::SetRootText() {
    const ItemId root = model_.root();
    if (root == kNoItem)
        model_.insert(kNoItem, "Root", kImageComputer);
    else
        model_.setText(root, "Root");
}

ItemId FolderTree::InsertFolderItem(ItemId parent, const std::string& name,
                                    std::uint32_t selfNumber, std::uint32_t parentNumber,
                                    std::uint64_t dateValue, std::uint64_t timeValue,
                                    bool deleted) {
    const ItemId item = model_.insert(parent, name, kImageFolder);
    model_.setCheck(item, CheckState::Unchecked);
    if (model_.root() != kNoItem && model_.item(model_.root()).check == CheckState::None)
        model_.setCheck(model_.root(), CheckState::Unchecked);
    nodes_.append({name, item, selfNumber, parentNumber, dateValue, timeValue, false, deleted});
    return item;
}

std::string FolderTree::FolderPath(ItemId item) const {
    if (!model_.contains(item)) return {};
    std::vector<const std::string*> texts;
    for (ItemId at = item; model_.contains(at) && model_.item(at).parent != kNoItem;
         at = model_.item(at).parent)
        texts.push_back(&model_.item(at).text);
    std::string path;
    for (auto it = texts.rbegin(); it != texts.rend(); ++it) {
        if (!path.empty() && path.back() != '\\') path += '\\';
        path += **it;
    }
    return path;
}

void FolderTree::setSubtree(ItemId item, CheckState state) {
    std::vector<ItemId> pending{item};
    while (!pending.empty()) {
        const ItemId at = pending.back();
        pending.pop_back();
        model_.setCheck(at, state);
        for (ItemId child : model_.children(at)) pending.push_back(child);
    }
}

void FolderTree::recomputeAncestors(ItemId item, bool checking) {
    for (ItemId parent = model_.item(item).parent; parent != kNoItem;
         parent = model_.item(parent).parent) {
        const auto& children = model_.children(parent);
        CheckState state;
        if (checking) {
            const bool anyOpen = std::any_of(children.begin(), children.end(), [&](ItemId c) {
                const CheckState s = model_.item(c).check;
                return s == CheckState::Unchecked || s == CheckState::Partial;
            });
            state = anyOpen ? CheckState::Partial : CheckState::Checked;
        } else {
            const bool allClear = std::all_of(children.begin(), children.end(), [&](ItemId c) {
                return model_.item(c).check == CheckState::Unchecked;
            });
            state = allClear ? CheckState::Unchecked : CheckState::Partial;
        }
        model_.setCheck(parent, state);
    }
}

void FolderTree::ToggleCheck(ItemId item) {
    if (!model_.contains(item)) return;
    const CheckState now = model_.item(item).check;
    const bool unchecking = now == CheckState::Checked || now == CheckState::Partial;
    setSubtree(item, unchecking ? CheckState::Unchecked : CheckState::Checked);
    recomputeAncestors(item, !unchecking);
}

void FolderTree::renameFolder(ItemId item, const std::string& name) {
    model_.setText(item, name);
    for (std::size_t index : nodes_.byItem(item)) nodes_[index].name = name;
}

bool FolderTree::isDeletedFolder(ItemId item) const {
    const std::vector<std::size_t> found = nodes_.byItem(item);
    return !found.empty() && nodes_[found.front()].deleted;
}

}  // namespace datrevo
