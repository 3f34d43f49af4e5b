// The folder-node list: one node per folder of the result tree.
//
// The list is what the file list, the recovery log and the naming of folders
// consult; the tree items only show it. Nodes are appended and never removed
// singly, so an index into the list stays valid while the list grows, and a
// walk by index visits folders breadth-first while children are appended.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <unordered_map>
#include <vector>

#include "base/item_id.h"

namespace datrevo {

struct FolderNode {
    std::string name;
    ItemId treeItem = kNoItem;
    std::uint32_t selfNumber = 0;    // first cluster (FAT) or record number (NTFS)
    std::uint32_t parentNumber = 0;  // self number of the parent folder
    std::uint64_t dateValue = 0;     // FAT date word in the low 16 bits, or an NTFS FILETIME
    std::uint64_t timeValue = 0;     // FAT time word in the low 16 bits
    bool loaded = false;             // its directory was read to name its children
    bool deleted = false;
};

class FolderNodeList {
public:
    std::size_t size() const { return nodes_.size(); }
    bool empty() const { return nodes_.empty(); }
    FolderNode& operator[](std::size_t index) { return nodes_[index]; }
    const FolderNode& operator[](std::size_t index) const { return nodes_[index]; }
    // Appends a node. Its self and parent numbers and tree item are fixed from then on:
    // the lookups below are indexed by them.
    FolderNode& append(FolderNode node);
    void clear();

    // Index of the first node with this self number, or -1.
    std::ptrdiff_t firstBySelf(std::uint32_t selfNumber) const;
    // Index of the first node with this self number and this parent number, or -1.
    std::ptrdiff_t firstBySelfAndParent(std::uint32_t selfNumber, std::uint32_t parentNumber) const;
    // Indices of every node shown by this tree item.
    std::vector<std::size_t> byItem(ItemId item) const;
    // Indices of the nodes whose parent number is `parentNumber`, in list order.
    const std::vector<std::size_t>& childrenOf(std::uint32_t parentNumber) const;

    auto begin() const { return nodes_.begin(); }
    auto end() const { return nodes_.end(); }

private:
    std::deque<FolderNode> nodes_;
    std::unordered_map<std::uint32_t, std::size_t> firstBySelf_;
    std::unordered_map<std::uint64_t, std::size_t> firstBySelfAndParent_;
    std::unordered_multimap<ItemId, std::size_t> byItem_;
    std::unordered_map<std::uint32_t, std::vector<std::size_t>> byParent_;
};

}  // namespace datrevo
