#include "browse/build_folder_tree.h"

#include <algorithm>
#include <string>
#include <vector>

#include "catalogue/catalogue.h"

namespace datrevo {
namespace {

constexpr std::int32_t kCatchAll = static_cast<std::int32_t>(kCatchAllNumber);
constexpr std::int32_t kRoot = static_cast<std::int32_t>(kNtfsRootRecord);

class TreeBuilder {
public:
    TreeBuilder(CatalogueTable& table, FolderTree& tree) : table_(table), tree_(tree) {}

    ItemId insertRow(ItemId parent, int row, std::uint32_t parentNumber) {
        std::string name = table_.cell(row, folder_col::Name);
        if (name.empty()) name = tree_.nextUnnamedFolderName();
        return tree_.InsertFolderItem(
            parent, name, static_cast<std::uint32_t>(table_.cellSigned32(row, folder_col::Self)),
            parentNumber, static_cast<std::uint64_t>(table_.cellSigned64(row, folder_col::Date)),
            static_cast<std::uint64_t>(
                static_cast<std::int64_t>(table_.cellSigned32(row, folder_col::Time))),
            table_.cell(row, folder_col::Deleted) == "1");
    }
    std::uint32_t parentOf(int row) const {
        return static_cast<std::uint32_t>(table_.cellSigned32(row, folder_col::Parent));
    }
    bool isFolder(int row) const { return table_.cell(row, folder_col::Type) == kTypeFolder; }

    // After the sort by parent: every folder row is inserted at most once,
    // which bounds the tree by the table even when damaged rows make parent
    // links loop.
    void startChildPass() { inserted_.assign(static_cast<std::size_t>(table_.count()), false); }

    // Inserts, under `item`, the folder rows whose parent is `key`. The rows
    // of the root's children were placed at the top level already.
    void addChildFolders(std::int32_t key, ItemId item) {
        if (key == kRoot) return;
        const auto [first, last] = table_.equalRange(folder_col::Parent, std::to_string(key));
        for (int row = first; row < last; ++row) {
            if (!isFolder(row) || inserted_[static_cast<std::size_t>(row)]) continue;
            inserted_[static_cast<std::size_t>(row)] = true;
            insertRow(item, row, parentOf(row));
        }
    }

    // A folder row still not in the tree is part of a parent loop (a deleted
    // folder whose parent's record was reused by one of its own subfolders):
    // the first such row goes under the catch-all folder, its subfolders
    // follow through the walk. False when none is left.
    bool rescueDetachedFolder(ItemId catchAllItem) {
        for (int row = 0; row < table_.count(); ++row) {
            const auto index = static_cast<std::size_t>(row);
            if (inserted_[index] || !isFolder(row)) continue;
            const std::int32_t parent = table_.cellSigned32(row, folder_col::Parent);
            const std::int32_t self = table_.cellSigned32(row, folder_col::Self);
            if (parent == kRoot || self == kRoot || self == kCatchAll) continue;
            inserted_[index] = true;
            insertRow(catchAllItem, row, kCatchAllNumber);
            return true;
        }
        return false;
    }

private:
    CatalogueTable& table_;
    FolderTree& tree_;
    std::vector<bool> inserted_;
};

}  // namespace

void BuildFolderTree(CatalogueTable& folderTable, FolderTree& tree, RecoveryObserver& observer) {
    if (tree.root() == kNoItem) tree.SetRootText();
    const ItemId root = tree.root();
    TreeBuilder builder(folderTable, tree);
    FolderNodeList& nodes = tree.nodes();
    // Nodes of an earlier result stay in the list; this build walks its own.
    const std::size_t firstNode = nodes.size();
    const int rows = folderTable.count();
    for (int row = 0; row < rows; ++row) {
        std::int32_t parent = folderTable.cellSigned32(row, folder_col::Parent);
        const std::int32_t self = folderTable.cellSigned32(row, folder_col::Self);
        if (parent == kCatchAll && self == kCatchAll) {
            parent = kRoot;
            folderTable.setCell(row, folder_col::Parent, "5");
        }
        if (parent == kRoot && self != kRoot && builder.isFolder(row))
            builder.insertRow(root, row, kNtfsRootRecord);
    }
    tree.model().setExpanded(root, true);
    tree.SetRootText();

    folderTable.sortByColumn(folder_col::Parent);
    builder.startChildPass();
    observer.progress(0, "Completed ");
    int lastPercent = 0;
    ItemId catchAllItem = kNoItem;
    for (std::size_t i = firstNode; i < nodes.size() && catchAllItem == kNoItem; ++i)
        if (nodes[i].selfNumber == kCatchAllNumber) catchAllItem = nodes[i].treeItem;
    // The list grows at its tail while it is walked, so the walk is
    // breadth-first; it visits each node once.
    std::size_t index = firstNode;
    std::size_t visited = 0;
    while (true) {
        while (index < nodes.size()) {
            const std::uint32_t self = nodes[index].selfNumber;
            builder.addChildFolders(static_cast<std::int32_t>(self), nodes[index].treeItem);
            // A folder listed twice in a row gets its children once.
            std::size_t next = index + 1;
            while (next < nodes.size() && nodes[next].selfNumber == self) ++next;
            visited += next - index;
            index = next;
            const int percent =
                static_cast<int>(std::min<std::size_t>(visited * 100 / (nodes.size() - firstNode), 100));
            if (percent > lastPercent) {
                lastPercent = percent;
                observer.statusText("Currently Enumerating " + std::to_string(visited) + " / " +
                                    std::to_string(rows));
                observer.progress(percent, "Completed ");
            }
        }
        if (catchAllItem == kNoItem || !builder.rescueDetachedFolder(catchAllItem)) break;
    }
    folderTable.deleteAll();
}

}  // namespace datrevo
