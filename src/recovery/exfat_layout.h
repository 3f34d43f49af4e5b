// An exFAT volume's geometry in the FAT layout's fields, so that the recovery
// context and the recovery log carry it as they carry FAT's and NTFS's.
//
// All numbers are 512-byte disk sectors, absolute from the disk's sector 0:
//   "SPF"             FatLength
//   "SPC"             sectors per cluster
//   "Root Sectors"    ClusterCount (exFAT has no fixed root area)
//   "Root Start"      FirstClusterOfRootDirectory
//   "Reserve Sectors" FatOffset: the sectors before the first FAT
//   "Cluster0Start"   where cluster 0 would lie: the heap start less two
//                     clusters, modulo 2^32 (a heap that starts closer to the
//                     volume start than two clusters wraps, and unwraps again)
//   "firstFAT"        the first FAT; the volume starts FatOffset before it
//   "secondFAT"       the second FAT, 0 when the volume has one
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "disk/disk_reader.h"
#include "exfat/exfat_boot_region.h"
#include "exfat/exfat_volume.h"
#include "fat/fat_layout.h"

namespace datrevo {

// Fills `layout` (kind exFAT) from a decoded boot sector of the volume at
// `volumeStart`. False, with the reason, when the volume reaches past disk
// sector 2^32 - 1, which the layout's 32-bit fields cannot hold.
bool StoreExfatGeometry(std::uint64_t volumeStart, const ExfatBootSector& boot, FatLayout& layout,
                        std::string& reason);

// The volume the layout describes, with 512-byte sectors, and its allocation
// bitmap loaded from the root directory (when it can be read). Nothing, with
// the reason, when the fields are not an exFAT geometry (a hostile log).
std::unique_ptr<ExfatVolume> OpenExfatVolume(const DiskReader& disk, const FatLayout& layout,
                                             std::string* reason = nullptr);

}  // namespace datrevo
