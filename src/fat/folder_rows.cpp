#include "fat/folder_rows.h"

#include <algorithm>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "base/decimal.h"
#include "browse/catch_all_folder.h"
#include "browse/folder_row_tree.h"
#include "catalogue/catalogue.h"
#include "fat/fat_directory.h"
#include "fat/fat_kind.h"
#include "fat/folder_naming.h"
#include "base/progress_meter.h"

namespace datrevo {
namespace {

// The root directory's entries, read as the searches read it: an end mark
// ends its sector only.
std::vector<FatDirectoryEntry> ReadRootForNaming(const DiskReader& disk, const FatLayout& layout) {
    const FatKind kind = KindOf(layout);
    const DirectoryBytes root =
        kind == FatKind::Fat32
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

}  // namespace

void InsertCatchAllRow(CatalogueTable& folders, int index) {
    const FatDateTimeWords now = CatchAllFatWordsNow();
    InsertCatchAllFolderRow(folders, index, 0, now.date, now.time);
}

// How many rows the long loops go between two looks at the stop request.
constexpr int kRowsBetweenStopChecks = 4096;

void LinkParentFolders(CatalogueTable& folders, RecoveryObserver& observer, std::stop_token stop) {
    const int count = folders.count();
    std::vector<std::uint32_t> selves(static_cast<std::size_t>(count));
    for (int row = 0; row < count; ++row)
        selves[static_cast<std::size_t>(row)] = folders.cellUnsigned(row, folder_col::Self);
    // Sorted by "self" already; sorting again costs little and keeps the
    // lookup sound on a table that is not.
    std::vector<std::uint32_t> sorted = selves;
    std::sort(sorted.begin(), sorted.end());

    ProgressMeter progress(observer);
    for (int row = 0; row < count; ++row) {
        if (row % kRowsBetweenStopChecks == 0 && stop.stop_requested()) return;
        const std::uint32_t parent = folders.cellUnsigned(row, folder_col::Parent);
        if (parent == 0) continue;
        if (!std::binary_search(sorted.begin(), sorted.end(), parent))
            folders.setUnsigned(row, folder_col::Parent, kCatchAllNumber);
        if (row > 0) {
            const int percent =
                PercentOf(static_cast<std::uint64_t>(row), static_cast<std::uint64_t>(count));
            if (percent != progress.shown()) {
                observer.statusText("Searching Lost Directories " + std::to_string(row) + "/" +
                                    std::to_string(count));
                progress.set(percent);
            }
        }
    }
}

void StoreFolderRows(FatSearchScope& scope, const FatLayout& layout, const StoreOptions& options) {
    CatalogueTable& folders = scope.catalogue.FolderTable;
    FolderTree& tree = scope.folders;
    ProgressMeter progress(scope.observer);

    NameRootRows(folders, ReadRootForNaming(scope.disk, layout), scope.state);

    const std::size_t firstNode = tree.nodes().size();
    progress.reset();
    FolderRowTreeOptions treeOptions;
    treeOptions.rootNumber = 0;
    treeOptions.stop = scope.abandon;
    if (options.advanceProgress)
        treeOptions.onWalk = [&](std::size_t walked, std::size_t total) {
            const int percent = PercentOf(walked, total);
            if (percent > progress.shown()) progress.set(percent);
        };
    BuildTreeFromFolderRows(folders, tree, treeOptions);
    // Subfolders found below the root's folders count as something found.
    for (std::size_t i = firstNode; i < tree.nodes().size(); ++i)
        if (tree.nodes()[i].parentNumber != 0) scope.state.foundAnything = true;

    if (options.emptyTable) folders.deleteAll();
    if (options.expandAndCollapse) {
        for (std::size_t i = firstNode; i < tree.nodes().size(); ++i) {
            if (scope.abandon.stop_requested()) break;  // each step reads a directory
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
