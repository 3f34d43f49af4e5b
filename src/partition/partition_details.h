// The details of the partition the user picked, as the details list and the
// partition page's fields show them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "base/search_mode.h"
#include "base/volume_kind.h"
#include "base/details_list.h"
#include "disk/disk_description.h"

namespace datrevo {

inline constexpr const char* kUnknownPartition = "Unknown Partition";

// The text for a partition kind that no engine searches, or nothing. Every
// listed kind (FAT16, FAT32, NTFS, exFAT) is searched today.
std::optional<std::string> UnsupportedKindMessage(VolumeKind kind);

// "The partition extends past the end of the disk (N of M sectors readable)"
// for a partition [first, end) on a disk of `diskSectors` sectors, or nothing
// when it ends within the disk (or the disk's size is not known).
std::optional<std::string> PastDiskEndWarning(std::uint64_t first, std::uint64_t end,
                                              std::uint64_t diskSectors);

// Positions of the partition-type choice: "FAT16", "FAT32", "NTFS", "UNKNOWN",
// then "exFAT" (after the four, so that their positions stay).
enum class PartitionTypeChoice { Fat16 = 0, Fat32 = 1, Ntfs = 2, Unknown = 3, Exfat = 4 };
PartitionTypeChoice ChoiceForKind(VolumeKind kind);
VolumeKind KindOfChoice(PartitionTypeChoice choice);

struct PartitionDetails {
    DetailsList rows;
    std::string modeText;  // "Standard Search" or "Advance Search"
    PartitionTypeChoice typeChoice = PartitionTypeChoice::Unknown;
    bool typeChoiceEnabled = false;  // the choice and the two sector fields
    std::int64_t startField = 0;
    std::int64_t endField = 0;
};

// `kind` is the listed partition's kind, or Unknown for the "Unknown
// Partition" item. `partitionIndex` counts from 0; `first`/`end` are the
// partition's bounds.
// A partition that extends past the end of the disk gets one more row that
// says so.
PartitionDetails ShowPartitionDetails(VolumeKind kind, int partitionIndex, int diskNumber,
                                      SearchMode mode, std::uint64_t first, std::uint64_t end,
                                      const CurrentDisk& disk);

}  // namespace datrevo
