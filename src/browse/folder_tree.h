// The tree of the wizard's stages and, in the result stage, the found folders
// with their folder nodes and three-state check boxes.
#pragma once

#include <cstdint>
#include <string>

#include "browse/folder_node.h"
#include "browse/tree_model.h"

namespace datrevo {

// Wizard stages the tree is built for.
inline constexpr int kStageInventory = -1;
inline constexpr int kStageDisk = 0;
inline constexpr int kStagePartition = 1;
inline constexpr int kStageFileSystems = 2;
inline constexpr int kStageResults = 3;

class FolderTree {
public:
    TreeModel& model() { return model_; }
    const TreeModel& model() const { return model_; }
    FolderNodeList& nodes() { return nodes_; }
    const FolderNodeList& nodes() const { return nodes_; }

    // Rebuilds the tree for a stage with its single root item: "My Computer"
    // (stage -1), "Disk <n>" (0, 1 and others), "File Systems" (2), "Root" (3).
    // The folder-node list is kept.
    ItemId createStage(int stage, int selectedDisk);
    ItemId root() const { return model_.root(); }

    // Renames the root item to "Root", inserting one when there is none.
    void SetRootText();

    // Inserts a folder item as the last child of `parent` (text `name`,
    // closed-folder image, unchecked box, and an unchecked box on the root)
    // and appends its folder node.
    ItemId InsertFolderItem(ItemId parent, const std::string& name, std::uint32_t selfNumber,
                            std::uint32_t parentNumber, std::uint64_t dateValue,
                            std::uint64_t timeValue, bool deleted);

    // The texts of the item's ancestors below the root and its own, joined
    // by "\". Empty for the root item.
    std::string FolderPath(ItemId item) const;
    // Whether the folder shown by `item` was found deleted (its first node).
    bool isDeletedFolder(ItemId item) const;

    // A click on an item's check box: a checked or partly checked item is
    // unchecked with everything below it, any other is checked with
    // everything below it; then the ancestors are recomputed.
    void ToggleCheck(ItemId item);

    // Renames an item and every folder node it shows.
    void renameFolder(ItemId item, const std::string& name);

    // Releases the folder-node list (going back from the results).
    void releaseFolders() { nodes_.clear(); }

    // The name of a folder that has none: "DIR_<n>", n counting from 1 over
    // the whole run of the program.
    std::string nextUnnamedFolderName() { return "DIR_" + std::to_string(++unnamedFolders_); }

private:
    void setSubtree(ItemId item, CheckState state);
    void recomputeAncestors(ItemId item, bool checking);

    TreeModel model_;
    FolderNodeList nodes_;
    std::uint32_t unnamedFolders_ = 0;
};

}  // namespace datrevo
