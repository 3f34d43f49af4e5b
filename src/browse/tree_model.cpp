#include "browse/tree_model.h"

#include <algorithm>
#include <stdexcept>

namespace datrevo {

void TreeModel::clear() {
    items_.clear();
    topLevel_.clear();
}

ItemId TreeModel::insert(ItemId parent, std::string text, int image) {
    TreeItem item;
    item.id = static_cast<ItemId>(items_.size() + 1);
    item.parent = contains(parent) ? parent : kNoItem;
    item.text = std::move(text);
    item.image = image;
    items_.push_back(std::move(item));
    const ItemId id = items_.back().id;
    if (items_.back().parent == kNoItem)
        topLevel_.push_back(id);
    else
        mutableItem(items_.back().parent).children.push_back(id);
    return id;
}

const TreeItem& TreeModel::item(ItemId id) const {
    if (!contains(id)) throw std::out_of_range("no tree item " + std::to_string(id));
    return items_[id - 1];
}

TreeItem& TreeModel::mutableItem(ItemId id) {
    if (!contains(id)) throw std::out_of_range("no tree item " + std::to_string(id));
    return items_[id - 1];
}

const std::vector<ItemId>& TreeModel::children(ItemId id) const {
    static const std::vector<ItemId> kNone;
    return contains(id) ? items_[id - 1].children : kNone;
}

void TreeModel::setText(ItemId id, std::string text) {
    if (contains(id)) mutableItem(id).text = std::move(text);
}

void TreeModel::setImage(ItemId id, int image) {
    if (contains(id)) mutableItem(id).image = image;
}

void TreeModel::setCheck(ItemId id, CheckState state) {
    if (contains(id)) mutableItem(id).check = state;
}

void TreeModel::setExpanded(ItemId id, bool expanded) {
    if (contains(id)) mutableItem(id).expanded = expanded;
}

}  // namespace datrevo
