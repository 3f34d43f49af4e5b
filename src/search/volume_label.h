// The label of a FAT volume: the label entry of its root directory
// (attribute 0x08), which is the name mkfs.fat, mlabel and other systems
// set and show. The entry is a name for the volume, not a file.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "disk/disk_reader.h"
#include "fat/fat_layout.h"
#include "recovery/recovery_context.h"

namespace datrevo {

// The label of the volume with this layout: the 11 name bytes of the first
// live label entry of its root directory, trailing spaces cut, as UTF-8
// (code page 437). Nothing when there is no such entry or it is blank.
std::optional<std::string> FatVolumeLabel(const DiskReader& disk, const FatLayout& layout);

// The label of the "FAT16" or "FAT32" partition starting at `firstSector`,
// read through its boot record; nothing for other kinds or a boot record
// that cannot be read.
std::optional<std::string> PartitionVolumeLabel(const DiskReader& disk, std::uint64_t firstSector,
                                                VolumeKind kind);

// The label of the volume of the current result (FAT results only).
std::optional<std::string> ResultVolumeLabel(const RecoveryContext& context);

}  // namespace datrevo
