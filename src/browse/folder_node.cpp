#include "browse/folder_node.h"

#include <algorithm>

namespace datrevo {

FolderNode& FolderNodeList::append(FolderNode node) {
    const std::size_t index = nodes_.size();
    firstBySelf_.try_emplace(node.selfNumber, index);
    byItem_.emplace(node.treeItem, index);
    return nodes_.emplace_back(std::move(node));
}

void FolderNodeList::clear() {
    nodes_.clear();
    firstBySelf_.clear();
    byItem_.clear();
}

std::ptrdiff_t FolderNodeList::firstBySelf(std::uint32_t selfNumber) const {
    const auto found = firstBySelf_.find(selfNumber);
    return found == firstBySelf_.end() ? -1 : static_cast<std::ptrdiff_t>(found->second);
}

std::vector<std::size_t> FolderNodeList::byItem(ItemId item) const {
    std::vector<std::size_t> found;
    const auto [first, last] = byItem_.equal_range(item);
    for (auto it = first; it != last; ++it) found.push_back(it->second);
    std::sort(found.begin(), found.end());
    return found;
}

}  // namespace datrevo
