// The details of the partition the user picked, as the details list and the
// partition page's fields show them.
#pragma once

#include <cstdint>
#include <string>

#include "base/search_mode.h"
#include "catalogue/details_list.h"
#include "disk/disk_description.h"

namespace datrevo {

inline constexpr const char* kUnknownPartition = "Unknown Partition";

// Positions of the partition-type choice: "FAT16", "FAT32", "NTFS", "UNKNOWN".
enum class PartitionTypeChoice { Fat16 = 0, Fat32 = 1, Ntfs = 2, Unknown = 3 };
PartitionTypeChoice ChoiceForKind(const std::string& kind);
const char* ChoiceText(PartitionTypeChoice choice);

struct PartitionDetails {
    DetailsList rows;
    std::string modeText;            // "Standard Search" or "Advance Search"
    PartitionTypeChoice typeChoice = PartitionTypeChoice::Unknown;
    bool typeChoiceEnabled = false;  // the choice and the two sector fields
    std::int64_t startField = 0;
    std::int64_t endField = 0;
};

// `partitionIndex` counts from 0; `first`/`end` are the partition's bounds.
PartitionDetails ShowPartitionDetails(const std::string& kind, int partitionIndex,
                                      int diskNumber, SearchMode mode, std::uint64_t first,
                                      std::uint64_t end, const CurrentDisk& disk);

}  // namespace datrevo
