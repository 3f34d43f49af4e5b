// Building the NTFS result tree from FolderTable.
#include <gtest/gtest.h>

#include "browse/build_folder_tree.h"
#include "catalogue/catalogue.h"
#include "support/recording_observer.h"

namespace datrevo {
namespace {

void Folder(CatalogueTable& table, const std::string& name, std::uint32_t self,
            std::uint32_t parent, bool deleted = false) {
    const int row = table.appendRow(name);
    table.setUnsigned(row, folder_col::Self, self);
    table.setUnsigned(row, folder_col::Parent, parent);
    table.setCell(row, folder_col::Date, "132000000000000000");
    table.setCell(row, folder_col::Type, kTypeFolder);
    if (deleted) table.setCell(row, folder_col::Deleted, "1");
}

std::vector<std::string> Paths(const FolderTree& tree) {
    std::vector<std::string> paths;
    for (const FolderNode& node : tree.nodes()) paths.push_back(tree.FolderPath(node.treeItem));
    return paths;
}

TEST(BuildFolderTree, RootChildrenThenBreadthFirstAndTheTableIsEmptied) {
    Catalogue catalogue;
    CatalogueTable& table = catalogue.FolderTable;
    Folder(table, "Miscellaneous_001", kCatchAllNumber, kCatchAllNumber);
    Folder(table, ".", 5, 5);
    Folder(table, "B", 70, 64);
    Folder(table, "A", 64, 5, true);
    Folder(table, "", 71, 64);
    table.sortByColumn(folder_col::Parent);
    FolderTree tree;
    tree.createStage(kStageResults, 0);
    test::RecordingObserver observer;
    BuildFolderTree(table, tree, observer);
    EXPECT_EQ(table.count(), 0);
    const auto paths = Paths(tree);
    // The caller sorted by parent; the catch-all folder holds nothing and is
    // not listed.
    EXPECT_EQ(paths, (std::vector<std::string>{"A", "A\\B", "A\\DIR_1"}));
    EXPECT_TRUE(tree.nodes()[0].deleted);
    EXPECT_EQ(tree.nodes()[0].dateValue, 132000000000000000u);
    EXPECT_EQ(tree.model().item(tree.root()).text, "Root");
    EXPECT_EQ(observer.lastCaption, "Completed ");
}

TEST(BuildFolderTree, FoldersWhoseParentsLoopEndUnderTheCatchAllFolder) {
    Catalogue catalogue;
    CatalogueTable& table = catalogue.FolderTable;
    Folder(table, "Miscellaneous_001", kCatchAllNumber, 5);
    Folder(table, "X", 80, 81);  // each the other's parent: a deleted folder
    Folder(table, "Y", 81, 80);  // whose parent's record was reused below it
    Folder(table, "Z", 5, 90);   // a damaged record claiming the root's number
    Folder(table, "W", 90, 5);
    table.sortByColumn(folder_col::Parent);
    FolderTree tree;
    tree.createStage(kStageResults, 0);
    BuildFolderTree(table, tree, SilentObserver());
    const auto paths = Paths(tree);
    // Z is W's child but lends the root's children no second place.
    EXPECT_EQ(paths, (std::vector<std::string>{"Miscellaneous_001", "W", "W\\Z",
                                               "Miscellaneous_001\\Y", "Miscellaneous_001\\Y\\X"}));
    EXPECT_EQ(tree.nodes()[3].parentNumber, kCatchAllNumber);
}

}  // namespace
}  // namespace datrevo
