#include "log/fat_tree_rebuild.h"

#include <algorithm>
#include <string>
#include <vector>

#include "catalogue/catalogue.h"

namespace datrevo {
namespace {

// FAT dates and times are 16-bit words; the cells hold them in decimal.
constexpr std::uint64_t kFatWordMask = 0xFFFF;

class FatTreeBuilder {
public:
    FatTreeBuilder(CatalogueTable& table, FolderTree& tree)
        : table_(table), tree_(tree), inserted_(static_cast<std::size_t>(table.count()), false) {}

    void insertRow(ItemId parent, int row) {
        inserted_[static_cast<std::size_t>(row)] = true;
        std::string name = table_.cell(row, folder_col::Name);
        if (name.empty()) name = tree_.nextUnnamedFolderName();
        tree_.InsertFolderItem(
            parent, name, table_.cellUnsigned(row, folder_col::Self),
            table_.cellUnsigned(row, folder_col::Parent),
            static_cast<std::uint64_t>(table_.cellSigned64(row, folder_col::Date)) & kFatWordMask,
            static_cast<std::uint64_t>(table_.cellSigned64(row, folder_col::Time)) & kFatWordMask,
            table_.cell(row, folder_col::Deleted) == "1");
    }

    // The folder rows whose parent is `cluster`, not inserted yet, in table order.
    void addChildFolders(std::uint32_t cluster, ItemId item) {
        const auto [first, last] = table_.equalRange(folder_col::Parent, std::to_string(cluster));
        for (int row = first; row < last; ++row)
            if (!inserted_[static_cast<std::size_t>(row)] &&
                table_.cell(row, folder_col::Type) == kTypeFolder)
                insertRow(item, row);
    }

private:
    CatalogueTable& table_;
    FolderTree& tree_;
    std::vector<bool> inserted_;
};

}  // namespace

bool RebuildFatFolderTree(CatalogueTable& folderTable, FolderTree& tree,
                          RecoveryObserver& observer, std::stop_token stop) {
    if (tree.root() == kNoItem) tree.SetRootText();
    const ItemId root = tree.root();
    FatTreeBuilder builder(folderTable, tree);
    const auto [firstTop, lastTop] = folderTable.equalRange(folder_col::Parent, "0");
    for (int row = firstTop; row < lastTop; ++row) builder.insertRow(root, row);
    tree.model().setExpanded(root, true);
    tree.SetRootText();

    FolderNodeList& nodes = tree.nodes();
    const auto folderCount = static_cast<std::size_t>(folderTable.count());
    int lastPercent = 0;
    for (std::size_t index = 0; index < nodes.size(); ++index) {
        if (stop.stop_requested()) return false;
        builder.addChildFolders(nodes[index].selfNumber, nodes[index].treeItem);
        const std::size_t walked = index + 1;
        const int percent = folderCount == 0
                                ? 100
                                : static_cast<int>(std::min<std::size_t>(walked * 100 / folderCount, 100));
        if (percent > lastPercent) {
            lastPercent = percent;
            observer.progress(percent, "Completed ");
        }
    }
    folderTable.deleteAll();
    for (std::size_t index = 0; index < nodes.size(); ++index) nodes[index].loaded = true;
    return true;
}

}  // namespace datrevo
