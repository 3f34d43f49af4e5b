// Reading the GUID partition table of a disk whose MBR holds the protective
// entry (type 0xEE): the primary header at sector 1, or, when that header or
// its entry array is damaged, the backup in the disk's last sector. The FAT,
// NTFS and exFAT volumes of EFI system and basic data partitions go into the
// same partition list as those of an MBR.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "disk/disk_reader.h"
#include "partition/partition_list.h"

namespace datrevo {

struct GptTableResult {
    bool read = false;               // a sound header and entry array were found
    bool fromBackup = false;         // ... in the backup at the end of the disk
    bool partitionsListed = false;   // at least one partition was added
    std::vector<std::string> notes;  // damage found and entries left out, for the user
};

GptTableResult ListGptPartitions(const DiskReader& disk, std::uint64_t diskSectors,
                                 DiskPartitionList& list);

}  // namespace datrevo
