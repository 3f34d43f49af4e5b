// Refusing a destination on the disk being recovered.
#pragma once

#include <string>

namespace datrevo {

// The message refusing `destination`, or an empty text when it may be used.
//
// A block device as the disk: the destination's file system may not lie on
// that device, on its whole disk or on any partition of it, nor on a device
// (device-mapper, RAID) built on one of them; sysfs under `sysRoot` says which
// whole disk a device belongs to. An image file as the disk: the destination
// may not be the image itself (the writer also never replaces it).
// A destination that does not exist yet is judged by its nearest existing
// parent folder.
std::string DestinationRefusal(const std::string& destination, const std::string& diskPath,
                               const std::string& sysRoot = "/");

// Whether two block devices ("major:minor") share a whole disk: either is a
// partition of the other's disk, or a stacked device built on it.
bool OnSameDisk(const std::string& device, const std::string& otherDevice, const std::string& sysRoot);

inline constexpr const char* kDestinationOnDiskMessage =
    "The destination folder lies on the disk being recovered. Writing there could overwrite the "
    "very data to be recovered: choose a folder on another disk.";
inline constexpr const char* kDestinationIsImageMessage =
    "The destination is the disk image being recovered: choose a folder.";

}  // namespace datrevo
