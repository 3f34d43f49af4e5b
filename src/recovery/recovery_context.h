// Everything one recovery keeps for as long as it runs: the disks and their
// partitions, the catalogue, the folder tree, the volume layouts and the
// search values. The front end (the window, or one run of the command line)
// owns exactly one; routines get it, or the pieces of it they need, by
// reference. There are no process-wide variables besides it.
#pragma once

#include <cstdint>
#include <string>

#include "base/observer.h"
#include "base/prompter.h"
#include "base/search_mode.h"
#include "base/volume_kind.h"
#include "browse/folder_tree.h"
#include "catalogue/catalogue.h"
#include "catalogue/entry_rows.h"
#include "base/details_list.h"
#include "disk/disk_inventory.h"
#include "disk/drive_slots.h"
#include "fat/fat_layout.h"
#include "fat/fat_search_scope.h"
#include "ntfs/ntfs_values.h"
#include "partition/partition_list.h"

namespace datrevo {

// The values of the wizard that a search runs with and the log stores.
struct SearchContext {
    SearchMode mode = SearchMode::Standard;
    int selectedDisk = 0;    // drive slot
    int partitionIndex = 0;  // from 0
    VolumeKind partitionKind = VolumeKind::None;
    std::string searchModeText;  // "Standard Search", "Advance Search"
    std::uint64_t searchStart = 0;
    std::uint64_t searchEnd = 0;  // one past the last sector searched
    // Standard search only: a quick look that walks the folders from the root
    // (FAT) without reading the whole partition for lost folders. NTFS walks
    // its MFT either way.
    bool quick = false;
};

class RecoveryContext {
public:
    RecoveryContext(RecoveryObserver& frontEndObserver, Prompter& frontEndPrompter)
        : observer(frontEndObserver), prompter(frontEndPrompter) {}
    RecoveryContext(const RecoveryContext&) = delete;
    RecoveryContext& operator=(const RecoveryContext&) = delete;

    // A reader of the selected disk that reports read failures to the observer.
    DiskReader selectedDisk() const { return slots.reader(search.selectedDisk, &observer); }
    DiskPartitionList& selectedPartitions() {
        return partitions.at(static_cast<std::size_t>(search.selectedDisk));
    }

    RecoveryObserver& observer;
    Prompter& prompter;

    InventoryOptions inventoryOptions;
    DiskInventory inventory;
    DriveSlots slots;
    CurrentDisk currentDisk;
    DetailsList details;
    PartitionLists partitions;

    Catalogue catalogue;
    // EntryTable's rows by parent, shared by the file lists and the save of a
    // result; rebuilt on the first request after the table changes.
    EntryRowIndexCache entryIndex{catalogue.EntryTable};
    FolderTree folders;

    FatLayout partitionLayout;
    FatLayout activeLayout;
    bool bootRecordValid = false;
    FatSearchState fatState;
    NtfsValues partitionNtfs;
    NtfsValues activeNtfs;
    MftRunList mftRuns;

    SearchContext search;
};

}  // namespace datrevo
