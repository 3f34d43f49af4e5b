#include "browse/folder_row_tree.h"

#include <string>
#include <unordered_set>
#include <vector>

#include "base/decimal.h"
#include "catalogue/catalogue.h"

namespace datrevo {
namespace {

// FAT dates and times are 16-bit words.
constexpr std::uint64_t kFatWordMask = 0xFFFF;

class RowInserter {
public:
    RowInserter(const CatalogueTable& table, FolderTree& tree, const FolderRowTreeOptions& options)
        : table_(table),
          tree_(tree),
          options_(options),
          inserted_(static_cast<std::size_t>(table.count()), false) {}

    bool isFolder(int row) const { return table_.cell(row, folder_col::Type) == kTypeFolder; }
    bool inserted(int row) const { return inserted_[static_cast<std::size_t>(row)]; }
    void markInserted(int row) { inserted_[static_cast<std::size_t>(row)] = true; }
    std::uint32_t self(int row) const { return table_.cellUnsigned(row, folder_col::Self); }
    std::uint32_t parent(int row) const { return table_.cellUnsigned(row, folder_col::Parent); }

    // An empty name (a folder whose entry was not found) becomes "DIR_<n>".
    void insert(ItemId parentItem, int row, std::uint32_t parentNumber) {
        markInserted(row);
        std::string name = table_.cell(row, folder_col::Name);
        if (name.empty()) name = tree_.nextUnnamedFolderName();
        auto date = static_cast<std::uint64_t>(table_.cellSigned64(row, folder_col::Date));
        auto time = static_cast<std::uint64_t>(
            static_cast<std::int64_t>(table_.cellSigned32(row, folder_col::Time)));
        if (options_.fatWordTimes) {
            date &= kFatWordMask;
            time = static_cast<std::uint64_t>(table_.cellSigned64(row, folder_col::Time)) &
                   kFatWordMask;
        }
        tree_.InsertFolderItem(parentItem, name, self(row), parentNumber, date, time,
                               table_.cell(row, folder_col::Deleted) == "1");
    }

    // The folder rows whose parent is `number`, not inserted yet, in table order.
    void addChildren(std::uint32_t number, ItemId item) {
        const auto [first, last] = table_.equalRange(folder_col::Parent, UnsignedText(number));
        for (int row = first; row < last; ++row)
            if (!inserted(row) && isFolder(row)) insert(item, row, number);
    }

    // Whether any folder row is left for the catch-all folder: one that no
    // walk from the root reaches without passing through the catch-all.
    // Follows the walk below, by numbers instead of nodes.
    bool anyOrphan(std::uint32_t rootNumber) const {
        std::vector<bool> reached(inserted_.size(), false);
        std::unordered_set<std::uint32_t> seen{rootNumber, kCatchAllNumber};
        std::vector<std::uint32_t> pending{rootNumber};
        while (!pending.empty()) {
            const std::uint32_t number = pending.back();
            pending.pop_back();
            const auto [first, last] = table_.equalRange(folder_col::Parent, UnsignedText(number));
            for (int row = first; row < last; ++row) {
                if (!isFolder(row) || reached[static_cast<std::size_t>(row)]) continue;
                reached[static_cast<std::size_t>(row)] = true;
                if (seen.insert(self(row)).second) pending.push_back(self(row));
            }
        }
        for (int row = 0; row < table_.count(); ++row) {
            if (!isFolder(row) || reached[static_cast<std::size_t>(row)]) continue;
            if (self(row) == kCatchAllNumber || self(row) == rootNumber) continue;
            return true;
        }
        return false;
    }

private:
    const CatalogueTable& table_;
    FolderTree& tree_;
    const FolderRowTreeOptions& options_;
    std::vector<bool> inserted_;
};

}  // namespace

bool BuildTreeFromFolderRows(const CatalogueTable& folders, FolderTree& tree,
                             const FolderRowTreeOptions& options) {
    if (tree.root() == kNoItem) tree.SetRootText();
    const ItemId root = tree.root();
    RowInserter rows(folders, tree, options);
    const std::uint32_t rootNumber = options.rootNumber;
    FolderNodeList& nodes = tree.nodes();
    // Nodes of an earlier result stay in the list; this build walks its own.
    const std::size_t firstNode = nodes.size();
    const bool catchAllUsed = options.catchAllHoldsFiles || rows.anyOrphan(rootNumber);

    const auto [firstTop, lastTop] =
        folders.equalRange(folder_col::Parent, UnsignedText(rootNumber));
    for (int row = firstTop; row < lastTop; ++row) {
        if (!rows.isFolder(row)) continue;
        if (rows.self(row) == rootNumber || (rows.self(row) == kCatchAllNumber && !catchAllUsed)) {
            rows.markInserted(row);  // the root directory's own record, or an empty catch-all
            continue;
        }
        rows.insert(root, row, rootNumber);
    }
    tree.model().setExpanded(root, true);
    tree.SetRootText();

    // Breadth-first: the node list grows at its tail while it is walked. A
    // number's children are added under its first node only.
    std::unordered_set<std::uint32_t> walked;
    std::size_t next = firstNode;
    const auto walk = [&] {
        for (; next < nodes.size(); ++next) {
            if (options.stop.stop_requested()) return false;
            const std::uint32_t self = nodes[next].selfNumber;
            if (walked.insert(self).second) rows.addChildren(self, nodes[next].treeItem);
            if (options.onWalk) options.onWalk(next - firstNode + 1, nodes.size() - firstNode);
        }
        return true;
    };
    if (!walk()) return false;

    ItemId catchAllItem = kNoItem;
    for (std::size_t i = firstNode; i < nodes.size() && catchAllItem == kNoItem; ++i)
        if (nodes[i].selfNumber == kCatchAllNumber) catchAllItem = nodes[i].treeItem;
    if (catchAllItem == kNoItem) return true;
    for (int row = 0; row < folders.count(); ++row) {
        if (rows.inserted(row) || !rows.isFolder(row)) continue;
        if (rows.self(row) == kCatchAllNumber || rows.self(row) == rootNumber) continue;
        rows.insert(catchAllItem, row, kCatchAllNumber);
        if (!walk()) return false;
    }
    return true;
}

}  // namespace datrevo
