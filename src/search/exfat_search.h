// The Standard search of an exFAT partition: the boot region (the backup
// when the main one is damaged), the walk from the root with deleted entry
// sets, the scan of the free clusters for lost folders, and the result
// stored as FolderTable and EntryTable rows and the folder tree.
#pragma once

#include <cstdint>
#include <stop_token>
#include <string>

#include "disk/disk_reader.h"
#include "fat/fat_layout.h"
#include "recovery/recovery_context.h"
#include "search/search_phases.h"

namespace datrevo {

// Reads the boot region of the exFAT volume at `start` into `layout` (kind
// exFAT). False, with the reason (naming both regions), when neither the
// main nor the backup region holds a valid boot sector and checksum.
// `usedBackup` tells which region was read.
bool ReadExfatPartitionLayout(const DiskReader& disk, std::uint64_t start, FatLayout& layout,
                              std::string& reason, bool& usedBackup);

// The message shown when a Standard search finds no valid boot region.
std::string ExfatBootRegionMessage(const std::string& reason);

// Validation of the partition in context.search: its layout into
// context.partitionLayout, context.bootRecordValid set.
bool ValidateExfatPartition(RecoveryContext& context);

// The Standard search, on a result tree started by the caller. A partition
// that did not validate is read again, and its reason shown when it still
// fails. `stop` ends the walk and the scan; `abandon` also the storing.
SearchOutcome RunExfatStandardSearch(RecoveryContext& context, const DiskReader& reader,
                                     std::stop_token stop, std::stop_token abandon);

}  // namespace datrevo
