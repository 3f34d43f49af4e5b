// Opening the chosen disk for reading, through a broker when the user may not
// open the device directly.
#pragma once

#include <optional>
#include <string>

#include "disk/device_opener.h"
#include "disk/disk_description.h"
#include "disk/drive_slots.h"

namespace datrevo {

// Makes sure the disk in slot disk.index can be read. It can when the slot's
// own read-only open worked. When that open was refused for lack of rights
// (EACCES, EPERM) on a device (not an image file) and a broker is given, the
// broker is asked for a read-only descriptor, which then serves the slot.
// Nothing when the disk can be read; otherwise the message for the user.
std::optional<std::string> OpenDiskForReading(DriveSlots& slots, const DiskDescription& disk,
                                              DeviceOpener* broker);

}  // namespace datrevo
