// The inventory of the disks a user can recover from, read from sysfs and the
// udev database, plus the disk-image files the user added.
//
// /sys/block/<dev>/{removable,size,dev,device/model,device/vendor,device/rev,
// queue/logical_block_size} and /run/udev/data/b<major>:<minor> (ID_BUS,
// ID_SERIAL_SHORT, ID_PATH) are read below `root`, so tests can point the
// inventory at a fake tree.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "base/details_list.h"
#include "disk/device_opener.h"
#include "disk/disk_description.h"
#include "disk/drive_slots.h"

namespace datrevo {

struct InventoryOptions {
    std::filesystem::path root = "/";
    std::vector<std::string> images;  // image files added by the user, in order
    bool queryDeviceGeometry = true;  // ask the device itself (HDIO_GETGEO) when root is "/"
    // A broker (udisks2) whose disks complete the list: a disk sysfs does not
    // show is added, and what sysfs leaves empty (model, serial, bus) is taken
    // from it. Also the one asked to open a device the user may not open.
    DeviceOpener* broker = nullptr;
};

// Every disk found, offered or not, in sysfs order, then the broker's disks
// that sysfs does not show, then the images.
// Offered disks are numbered 0, 1, ... in that order; the others get -1.
std::vector<DiskDescription> ListDisks(const InventoryOptions& options);

struct DiskInventory {
    std::vector<DiskDescription> disks;  // the offered disks, by index
    std::vector<std::string> itemTexts;  // device tree texts, sorted by text
};

// Lists the offered disks and puts their paths into the drive slots (at most
// ten; later disks are left out).
DiskInventory TakeDiskInventory(const InventoryOptions& options, DriveSlots& slots);

// The fourteen details rows of a disk.
DetailsList DiskDetailsRows(const DiskDescription& disk);

// The disk of slot `index`, or nothing.
const DiskDescription* FindDisk(const DiskInventory& inventory, int index);

// Fills `details` with the rows of disk `index` and returns its current-disk
// values; false when the inventory holds no such disk.
bool ShowDiskDetails(const DiskInventory& inventory, int index, DetailsList& details,
                     CurrentDisk& current);

// Describes an image file as a disk of the inventory.
DiskDescription DescribeImage(const std::string& path, int index);

}  // namespace datrevo
