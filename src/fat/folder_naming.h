// Naming the folders of a FAT result tree from their parents' directories.
//
// The searches find folders by their clusters, so a folder below the root is
// known only as "Dir<n>" until its parent's directory is read: the entry
// whose first cluster is the folder's gives it its name, and marks it
// deleted when the entry is.
#pragma once

#include <cstdint>
#include <span>
#include <stop_token>

#include "browse/folder_tree.h"
#include "disk/disk_reader.h"
#include "fat/fat_directory.h"
#include "fat/fat_layout.h"

namespace datrevo {

// Names every tree folder that is a child of `parentCluster` and has an entry
// among `entries`: the first folder node whose own cluster is the entry's
// first cluster and whose parent is `parentCluster` takes the entry's name,
// and is marked deleted when the entry is. An entry in use wins over a
// deleted entry of the same cluster (a deleted folder whose cluster was given
// to a new folder); between entries alike, the later one wins.
void NameChildFolders(FolderTree& tree, std::span<const FatDirectoryEntry> entries,
                      std::uint32_t parentCluster);

// What expanding a folder item does on FAT: every folder node shown by the
// item that is not loaded yet is marked loaded and its directory (through its
// cluster chain, to the end mark) names its child folders. The catch-all
// folder has no directory: it is only marked loaded.
void ExpandFatFolder(FolderTree& tree, ItemId item, const DiskReader& disk,
                     const FatLayout& layout);

// Expands every folder of the tree once, in node-list order: the names the
// folders get when the user has opened each of them. When `stop` is
// requested the folders not yet reached keep the names they have.
void NameAllFatFolders(FolderTree& tree, const DiskReader& disk, const FatLayout& layout,
                       std::stop_token stop = {});

// A folder inside a deleted folder is deleted too, whatever its own entry
// says (a deleted folder's directory keeps its entries as they were): marks
// every node below a deleted node deleted, as the file list does when it
// lists the folders.
void PassDeletionDown(FolderTree& tree);

}  // namespace datrevo
