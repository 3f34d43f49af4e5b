#include "fat/folder_rows.h"

#include <algorithm>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "base/decimal.h"
#include "catalogue/catalogue.h"
#include "fat/fat_directory.h"
#include "fat/fat_kind.h"
#include "fat/folder_naming.h"
#include "fat/progress_reporter.h"

namespace datrevo {
namespace {

// The root directory's entries, read as the searches read it: an end mark
// ends its sector only.
std::vector<FatDirectoryEntry> ReadRootForNaming(const DiskReader& disk, const FatLayout& layout) {
    const FatKind kind = KindOf(layout);
    const DirectoryBytes root = kind == FatKind::Fat32
        ? ReadDirectoryChain(disk, layout, layout.rootStart, EndMarkRule::EndsSector)
        : ReadFixedRoot(disk, layout);
    return DecodeDirectoryEntries(root, kind, EndMarkRule::EndsSector);
}

// Names the rows of the root's folders from the root directory's entries:
// the first row in table order whose "self" is the entry's cluster and whose
// "parent" is 0. An entry in use wins over a deleted one of the same cluster;
// otherwise the later entry wins.
void NameRootRows(CatalogueTable& folders, const std::vector<FatDirectoryEntry>& entries,
                  FatSearchState& state) {
    std::unordered_map<std::uint32_t, int> rootRowBySelf;
    const auto [first, last] = folders.equalRange(folder_col::Parent, "0");
    for (int row = first; row < last; ++row)
        rootRowBySelf.try_emplace(folders.cellUnsigned(row, folder_col::Self), row);
    std::unordered_set<int> namedByLiveEntry;
    for (const FatDirectoryEntry& entry : entries) {
        state.foundAnything = true;
        const auto found = rootRowBySelf.find(entry.firstCluster);
        if (found == rootRowBySelf.end()) continue;
        const int row = found->second;
        if (entry.deleted && namedByLiveEntry.count(row) != 0) continue;
        folders.setCell(row, folder_col::Name, entry.name);
        if (entry.deleted) {
            folders.setCell(row, folder_col::Deleted, "1");
        } else {
            folders.setCell(row, folder_col::Deleted, "");
            namedByLiveEntry.insert(row);
        }
    }
}

ItemId InsertRow(const CatalogueTable& folders, int row, FolderTree& tree, ItemId parentItem,
                 std::string name) {
    return tree.InsertFolderItem(
        parentItem, name, folders.cellUnsigned(row, folder_col::Self),
        folders.cellUnsigned(row, folder_col::Parent),
        static_cast<std::uint64_t>(folders.cellSigned64(row, folder_col::Date)),
        static_cast<std::uint64_t>(static_cast<std::int64_t>(folders.cellSigned32(row, folder_col::Time))),
        folders.cell(row, folder_col::Deleted) == "1");
}

}  // namespace

void InsertCatchAllRow(CatalogueTable& folders, int index) {
    const int row = folders.insertRow(index, kCatchAllName);
    folders.setCell(row, folder_col::Sector, "0");
    folders.setUnsigned(row, folder_col::Self, kCatchAllNumber);
    folders.setCell(row, folder_col::Parent, "0");
    folders.setCell(row, folder_col::Date, "0");
    folders.setCell(row, folder_col::Time, "0");
    folders.setCell(row, folder_col::Size, "0");
    folders.setCell(row, folder_col::Attr, "16");
    folders.setCell(row, folder_col::SysId, "0");
    folders.setCell(row, folder_col::Type, kTypeFolder);
}

void LinkParentFolders(CatalogueTable& folders, RecoveryObserver& observer) {
    const int count = folders.count();
    std::vector<std::uint32_t> selves(static_cast<std::size_t>(count));
    for (int row = 0; row < count; ++row)
        selves[static_cast<std::size_t>(row)] = folders.cellUnsigned(row, folder_col::Self);
    // Sorted by "self" already; sorting again costs little and keeps the
    // lookup sound on a table that is not.
    std::vector<std::uint32_t> sorted = selves;
    std::sort(sorted.begin(), sorted.end());

    ProgressReporter progress(observer);
    for (int row = 0; row < count; ++row) {
        const std::uint32_t parent = folders.cellUnsigned(row, folder_col::Parent);
        if (parent == 0) continue;
        if (!std::binary_search(sorted.begin(), sorted.end(), parent))
            folders.setUnsigned(row, folder_col::Parent, kCatchAllNumber);
        if (row > 0) {
            const int percent = Percent(static_cast<std::uint64_t>(row), static_cast<std::uint64_t>(count));
            if (percent != progress.last()) {
                observer.statusText("Searching Lost Directories " + std::to_string(row) + "/" +
                                    std::to_string(count));
                progress.set(percent);
            }
        }
    }
}

namespace {

// AddChildFolders that inserts each row once at most: `inserted` marks the
// rows already in the tree.
std::size_t AddChildRows(std::uint32_t parentCluster, const CatalogueTable& folders,
                         FolderTree& tree, ItemId parentItem, FatSearchState& state,
                         std::vector<bool>* inserted) {
    const auto [first, last] = folders.equalRange(folder_col::Parent, UnsignedText(parentCluster));
    std::size_t count = 0;
    for (int row = first; row < last; ++row) {
        if (folders.cell(row, folder_col::Type) != kTypeFolder) continue;
        if (inserted != nullptr) {
            if ((*inserted)[static_cast<std::size_t>(row)]) continue;
            (*inserted)[static_cast<std::size_t>(row)] = true;
        }
        std::string name = folders.cell(row, folder_col::Name);
        if (name.empty()) name = tree.nextUnnamedFolderName();
        InsertRow(folders, row, tree, parentItem, std::move(name));
        ++count;
    }
    if (count > 0) state.foundAnything = true;
    return count;
}

}  // namespace

std::size_t AddChildFolders(std::uint32_t parentCluster, const CatalogueTable& folders,
                            FolderTree& tree, ItemId parentItem, FatSearchState& state) {
    return AddChildRows(parentCluster, folders, tree, parentItem, state, nullptr);
}

void StoreFolderRows(FatSearchScope& scope, const FatLayout& layout, const StoreOptions& options) {
    CatalogueTable& folders = scope.catalogue.FolderTable;
    FolderTree& tree = scope.folders;
    ProgressReporter progress(scope.observer);

    NameRootRows(folders, ReadRootForNaming(scope.disk, layout), scope.state);

    if (tree.root() == kNoItem) tree.SetRootText();
    const ItemId root = tree.root();
    const std::size_t firstNode = tree.nodes().size();
    std::vector<bool> inserted(static_cast<std::size_t>(folders.count()), false);
    for (int row = 0; row < folders.count(); ++row) {
        if (folders.cellUnsigned(row, folder_col::Parent) != 0) continue;
        inserted[static_cast<std::size_t>(row)] = true;
        InsertRow(folders, row, tree, root, folders.cell(row, folder_col::Name));
    }
    tree.model().setExpanded(root, true);
    tree.SetRootText();
    progress.reset();

    // Breadth-first: the node list grows at its tail while it is walked. A
    // cluster's children are added under its first node only and every row is
    // inserted once, so a folder table that names a cluster twice, or a
    // folder as its own child, cannot make the walk endless.
    std::unordered_set<std::uint32_t> walked;
    std::size_t next = firstNode;
    auto walk = [&] {
        for (; next < tree.nodes().size(); ++next) {
            const std::uint32_t self = tree.nodes()[next].selfNumber;
            if (!walked.insert(self).second) continue;
            AddChildRows(self, folders, tree, tree.nodes()[next].treeItem, scope.state, &inserted);
            if (options.advanceProgress) {
                const int percent = Percent(next - firstNode + 1, tree.nodes().size() - firstNode);
                if (percent > progress.last()) progress.set(percent);
            }
        }
    };
    walk();

    // Folders whose parents form a loop (a folder that is its own parent, two
    // folders each naming the other) hang from nothing that reaches the root:
    // they join the catch-all folder with what lies below them.
    ItemId catchAllItem = kNoItem;
    for (std::size_t i = firstNode; i < tree.nodes().size() && catchAllItem == kNoItem; ++i)
        if (tree.nodes()[i].selfNumber == kCatchAllNumber) catchAllItem = tree.nodes()[i].treeItem;
    if (catchAllItem != kNoItem) {
        for (int row = 0; row < folders.count(); ++row) {
            if (inserted[static_cast<std::size_t>(row)]) continue;
            if (folders.cell(row, folder_col::Type) != kTypeFolder) continue;
            inserted[static_cast<std::size_t>(row)] = true;
            std::string name = folders.cell(row, folder_col::Name);
            if (name.empty()) name = tree.nextUnnamedFolderName();
            InsertRow(folders, row, tree, catchAllItem, std::move(name));
            walk();
        }
    }

    if (options.emptyTable) folders.deleteAll();
    if (options.expandAndCollapse) {
        for (std::size_t i = firstNode; i < tree.nodes().size(); ++i) {
            const ItemId item = tree.nodes()[i].treeItem;
            ExpandFatFolder(tree, item, scope.disk, layout);
            tree.model().setExpanded(item, true);
        }
        for (std::size_t i = firstNode; i < tree.nodes().size(); ++i) {
            const ItemId item = tree.nodes()[i].treeItem;
            tree.model().setExpanded(item, false);
            tree.model().setImage(item, kImageFolder);
        }
    }
}

}  // namespace datrevo
