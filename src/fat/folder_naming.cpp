#include "fat/folder_naming.h"

#include <unordered_set>
#include <vector>

#include "catalogue/catalogue.h"

namespace datrevo {

void NameChildFolders(FolderTree& tree, std::span<const FatDirectoryEntry> entries,
                      std::uint32_t parentCluster) {
    FolderNodeList& nodes = tree.nodes();
    std::unordered_set<std::size_t> namedByLiveEntry;
    std::unordered_set<std::size_t> markedDeletedHere;
    for (const FatDirectoryEntry& entry : entries) {
        const std::ptrdiff_t found = nodes.firstBySelfAndParent(entry.firstCluster, parentCluster);
        if (found < 0) continue;
        const auto index = static_cast<std::size_t>(found);
        if (entry.deleted && namedByLiveEntry.count(index) != 0) continue;
        FolderNode& node = nodes[index];
        if (entry.deleted) {
            if (!node.deleted) markedDeletedHere.insert(index);
            node.deleted = true;
        } else {
            // A deleted entry read before this one no longer speaks for the folder.
            if (markedDeletedHere.erase(index) != 0) node.deleted = false;
            namedByLiveEntry.insert(index);
        }
        // The item and every node it shows take the name.
        tree.renameFolder(node.treeItem, entry.name);
    }
}

void ExpandFatFolder(FolderTree& tree, ItemId item, const DiskReader& disk,
                     const FatLayout& layout) {
    for (std::size_t index : tree.nodes().byItem(item)) {
        FolderNode& node = tree.nodes()[index];
        if (node.selfNumber == kCatchAllNumber) node.loaded = true;
        if (node.loaded) continue;
        node.loaded = true;
        const std::uint32_t self = node.selfNumber;
        const DirectoryBytes directory =
            ReadDirectoryChain(disk, layout, self, EndMarkRule::EndsDirectory);
        NameChildFolders(
            tree, DecodeDirectoryEntries(directory, KindOf(layout), EndMarkRule::EndsDirectory),
            self);
    }
}

void NameAllFatFolders(FolderTree& tree, const DiskReader& disk, const FatLayout& layout,
                       std::stop_token stop) {
    // Each step reads a folder's directory: the stop is looked at every time.
    for (std::size_t i = 0; i < tree.nodes().size() && !stop.stop_requested(); ++i)
        ExpandFatFolder(tree, tree.nodes()[i].treeItem, disk, layout);
}

void PassDeletionDown(FolderTree& tree) {
    FolderNodeList& nodes = tree.nodes();
    std::vector<ItemId> pending;
    for (std::size_t i = 0; i < nodes.size(); ++i)
        if (nodes[i].deleted) pending.push_back(nodes[i].treeItem);
    std::unordered_set<ItemId> visited;
    while (!pending.empty()) {
        const ItemId item = pending.back();
        pending.pop_back();
        if (!visited.insert(item).second) continue;
        for (ItemId child : tree.model().children(item)) {
            for (std::size_t index : nodes.byItem(child)) nodes[index].deleted = true;
            pending.push_back(child);
        }
    }
}

}  // namespace datrevo
