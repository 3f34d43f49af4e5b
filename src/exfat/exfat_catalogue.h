// The exFAT walk's result in the catalogue and the folder tree, in the form
// the FAT engine gives them: folders numbered by their first cluster (the
// root 0, a folder whose directory was not read 4294967294), the catch-all
// folder "Miscellaneous_001", date and time cells as FAT date and time words
// (an exFAT timestamp's own fields). Files go to the EntryTable, one row each
// with its parent folder's number, as NTFS files do.
#pragma once

#include <cstdint>
#include <stop_token>
#include <vector>

#include "browse/file_row.h"
#include "browse/folder_tree.h"
#include "catalogue/catalogue.h"
#include "exfat/exfat_walk.h"

namespace datrevo {

// Appends a FolderTable row per folder (after the catch-all row, inserted
// first) and an EntryTable row per file, then builds the tree from the
// folder rows under the tree's root. The FolderTable keeps its rows, sorted
// by parent. False when stopped; the tree then holds what was built.
bool StoreExfatListing(const ExfatListing& listing, Catalogue& catalogue, FolderTree& tree,
                       std::stop_token stop = {});

// The file list's rows of the files of one folder, from the EntryTable rows
// StoreExfatListing wrote: name, type, size, FAT date and time texts; the
// hidden columns hold the entry's sector, the folder's number and the first cluster.
void FillExfatFileRows(std::vector<FileRow>& rows, const CatalogueTable& entryTable,
                       std::uint32_t folderNumber, std::stop_token stop = {});

}  // namespace datrevo
