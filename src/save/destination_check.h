// Refusing a destination on the disk being recovered.
#pragma once

#include <string>

namespace datrevo {

// The message refusing `destination`, or an empty text when it may be used.
//
// The destination's file system is traced down to what stores it: its block
// device, the whole disk of a partition, the devices beneath a device-mapper
// or RAID device ("slaves"), the backing file of a loop device and the device
// that file lies on. A FUSE mount of a block device (ntfs-3g) is traced
// through the mount table to that device.
//
// A block device as the disk: the destination may not be stored on that
// device, on its whole disk or on any partition of it, nor on a device
// stacked on one of them ("holders"); a loop device as the disk: nor in its
// backing file. An image file as the disk: the destination may not be the
// image itself, nor a file system mounted from the image through a loop
// device. Files are compared by device and inode, never by name.
// A destination that does not exist yet is judged by its nearest existing
// parent folder. `sysRoot` holds `sys/` and `proc/self/mountinfo`; tests
// point it at a fake tree.
std::string DestinationRefusal(const std::string& destination, const std::string& diskPath,
                               const std::string& sysRoot = "/");

// Whether two block devices ("major:minor") share a whole disk: either is a
// partition of the other's disk, or a stacked device built on it.
bool OnSameDisk(const std::string& device, const std::string& otherDevice,
                const std::string& sysRoot);

inline constexpr const char* kDestinationOnDiskMessage =
    "The destination folder lies on the disk being recovered. Writing there could overwrite the "
    "very data to be recovered: choose a folder on another disk.";
inline constexpr const char* kDestinationIsImageMessage =
    "The destination is the disk image being recovered: choose a folder.";
inline constexpr const char* kDestinationInImageMessage =
    "The destination folder lies on a file system stored in the disk image being recovered "
    "(mounted through a loop device). Writing there would change the image: choose a folder on "
    "another disk.";

}  // namespace datrevo
