#include "browse/folder_node.h"

#include <algorithm>

namespace datrevo {
namespace {

std::uint64_t SelfAndParentKey(std::uint32_t selfNumber, std::uint32_t parentNumber) {
    return (static_cast<std::uint64_t>(selfNumber) << 32) | parentNumber;
}

}  // namespace

FolderNode& FolderNodeList::append(FolderNode node) {
    const std::size_t index = nodes_.size();
    firstBySelf_.try_emplace(node.selfNumber, index);
    firstBySelfAndParent_.try_emplace(SelfAndParentKey(node.selfNumber, node.parentNumber), index);
    byItem_.emplace(node.treeItem, index);
    byParent_[node.parentNumber].push_back(index);
    return nodes_.emplace_back(std::move(node));
}

void FolderNodeList::clear() {
    nodes_.clear();
    firstBySelf_.clear();
    firstBySelfAndParent_.clear();
    byItem_.clear();
    byParent_.clear();
}

std::ptrdiff_t FolderNodeList::firstBySelf(std::uint32_t selfNumber) const {
    const auto found = firstBySelf_.find(selfNumber);
    return found == firstBySelf_.end() ? -1 : static_cast<std::ptrdiff_t>(found->second);
}

std::ptrdiff_t FolderNodeList::firstBySelfAndParent(std::uint32_t selfNumber,
                                                    std::uint32_t parentNumber) const {
    const auto found = firstBySelfAndParent_.find(SelfAndParentKey(selfNumber, parentNumber));
    return found == firstBySelfAndParent_.end() ? -1 : static_cast<std::ptrdiff_t>(found->second);
}

std::vector<std::size_t> FolderNodeList::byItem(ItemId item) const {
    std::vector<std::size_t> found;
    const auto [first, last] = byItem_.equal_range(item);
    for (auto it = first; it != last; ++it) found.push_back(it->second);
    std::sort(found.begin(), found.end());
    return found;
}

}  // namespace datrevo

namespace datrevo {

const std::vector<std::size_t>& FolderNodeList::childrenOf(std::uint32_t parentNumber) const {
    static const std::vector<std::size_t> kNone;  // immutable: safe to share
    const auto found = byParent_.find(parentNumber);
    return found == byParent_.end() ? kNone : found->second;
}

}  // namespace datrevo
