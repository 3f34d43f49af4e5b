#include <gtest/gtest.h>

#include "browse/folder_tree.h"

namespace datrevo {
namespace {

class ResultTree : public ::testing::Test {
protected:
    void SetUp() override {
        root = tree.createStage(kStageResults, 0);
        a = tree.InsertFolderItem(root, "A", 3, 0, 0, 0, false);
        b = tree.InsertFolderItem(a, "B", 4, 3, 0, 0, false);
        c = tree.InsertFolderItem(a, "C", 5, 3, 0, 0, true);
        d = tree.InsertFolderItem(root, "D", 6, 0, 0, 0, false);
    }
    CheckState State(ItemId item) const { return tree.model().item(item).check; }

    FolderTree tree;
    ItemId root = 0, a = 0, b = 0, c = 0, d = 0;
};

TEST_F(ResultTree, InsertedFoldersGetNodesAndUncheckedBoxes) {
    EXPECT_EQ(tree.model().item(root).text, "Root");
    EXPECT_EQ(tree.nodes().size(), 4u);
    EXPECT_EQ(tree.nodes()[2].name, "C");
    EXPECT_TRUE(tree.nodes()[2].deleted);
    EXPECT_EQ(tree.nodes().firstBySelf(4), 1);
    EXPECT_EQ(State(root), CheckState::Unchecked);
    EXPECT_EQ(tree.model().item(b).image, kImageFolder);
}

TEST_F(ResultTree, PathsJoinAncestorsBelowTheRoot) {
    EXPECT_EQ(tree.FolderPath(root), "");
    EXPECT_EQ(tree.FolderPath(a), "A");
    EXPECT_EQ(tree.FolderPath(b), "A\\B");
}

TEST_F(ResultTree, CheckingTheLastChildChecksTheParent) {
    tree.ToggleCheck(b);
    EXPECT_EQ(State(a), CheckState::Partial);
    EXPECT_EQ(State(root), CheckState::Partial);
    tree.ToggleCheck(c);
    EXPECT_EQ(State(a), CheckState::Checked);
    EXPECT_EQ(State(root), CheckState::Partial);  // D is still unchecked
}

TEST_F(ResultTree, UncheckingOneChildOfACheckedFolderMakesItPartial) {
    tree.ToggleCheck(a);
    EXPECT_EQ(State(b), CheckState::Checked);
    EXPECT_EQ(State(c), CheckState::Checked);
    tree.ToggleCheck(b);
    EXPECT_EQ(State(a), CheckState::Partial);
}

TEST_F(ResultTree, ClickingAPartialItemUnchecksItsWholeSubtree) {
    tree.ToggleCheck(b);
    ASSERT_EQ(State(a), CheckState::Partial);
    tree.ToggleCheck(a);
    EXPECT_EQ(State(a), CheckState::Unchecked);
    EXPECT_EQ(State(b), CheckState::Unchecked);
    EXPECT_EQ(State(root), CheckState::Unchecked);
}

TEST_F(ResultTree, RenamingAFolderRenamesItsNode) {
    tree.renameFolder(b, "Album");
    EXPECT_EQ(tree.model().item(b).text, "Album");
    EXPECT_EQ(tree.nodes()[1].name, "Album");
    EXPECT_EQ(tree.FolderPath(b), "A\\Album");
}

TEST(FolderTreeStages, EachStageHasItsRoot) {
    FolderTree tree;
    EXPECT_EQ(tree.model().item(tree.createStage(kStageInventory, 0)).text, "My Computer");
    EXPECT_EQ(tree.model().item(tree.createStage(kStagePartition, 2)).text, "Disk 2");
    EXPECT_EQ(tree.model().item(tree.createStage(kStageFileSystems, 2)).text, "File Systems");
    tree.model().clear();
    tree.SetRootText();
    EXPECT_EQ(tree.model().item(tree.root()).text, "Root");
}

}  // namespace
}  // namespace datrevo
