// A broker that opens devices for a user who may not open them directly: on
// a desktop, udisks2 on the system bus asks the user (polkit) and hands back
// a read-only descriptor. The core defines the seam; the window implements it
// over D-Bus, tests with a fake service. Without a broker everything is read
// directly, as before.
#pragma once

#include <string>
#include <vector>

#include "disk/disk_description.h"

namespace datrevo {

struct BrokeredOpen {
    int fd = -1;          // a descriptor now owned by the caller; -1 when refused
    std::string refusal;  // why not, in the broker's words, when fd is -1
};

class DeviceOpener {
public:
    virtual ~DeviceOpener() = default;

    // Asks for a read-only descriptor of the block device `devicePath`.
    virtual BrokeredOpen openReadOnly(const std::string& devicePath) = 0;
    // The whole-disk block devices the broker knows of, described as the
    // inventory describes a disk (index unset); empty without a broker.
    virtual std::vector<DiskDescription> listDisks() = 0;
};

}  // namespace datrevo
