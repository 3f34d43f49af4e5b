// The browsing tree as plain data: items with stable ids, texts, images and
// check states. A Qt view shows it; nothing here needs a widget.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/item_id.h"

namespace datrevo {

// Images of the tree's items.
enum TreeImage : int {
    kImageDrive = 0,         // file-system items of the file-system page
    kImagePartition = 1,     // partition items
    kImageComputer = 2,      // the root item of every stage
    kImageFolderPassed = 3,  // a folder that stopped being the current one after a refill
    kImageFolder = 4,        // a folder when inserted or collapsed
    kImageFolderOpen = 5,    // the current folder
    kImageFolderOpened = 7,  // a folder opened from the file list
};

// Check-box state images: 0 no box, 1 unchecked, 2 checked, 3 partly checked.
enum class CheckState : std::uint8_t { None = 0, Unchecked = 1, Checked = 2, Partial = 3 };

struct TreeItem {
    ItemId id = kNoItem;
    ItemId parent = kNoItem;
    std::string text;
    int image = kImageFolder;
    CheckState check = CheckState::None;
    bool expanded = false;
    std::vector<ItemId> children;
};

class TreeModel {
public:
    // Removes every item; ids restart at 1.
    void clear();
    // Inserts an item as the last child of `parent` (kNoItem: top level).
    ItemId insert(ItemId parent, std::string text, int image);

    bool contains(ItemId id) const { return id != kNoItem && id <= items_.size(); }
    const TreeItem& item(ItemId id) const;
    std::size_t size() const { return items_.size(); }
    const std::vector<ItemId>& children(ItemId id) const;

    void setText(ItemId id, std::string text);
    void setImage(ItemId id, int image);
    void setCheck(ItemId id, CheckState state);
    void setExpanded(ItemId id, bool expanded);

    // The first top-level item, the root of the current stage.
    ItemId root() const { return topLevel_.empty() ? kNoItem : topLevel_.front(); }

private:
    TreeItem& mutableItem(ItemId id);

    std::vector<TreeItem> items_;  // item id n lives at index n - 1
    std::vector<ItemId> topLevel_;
};

}  // namespace datrevo
