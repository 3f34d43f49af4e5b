#include "disk/disk_inventory.h"

#include <fcntl.h>
#include <linux/hdreg.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "base/limits.h"
#include "disk/file_source.h"

namespace datrevo {
namespace fs = std::filesystem;
namespace {

// Longest model text a recovery log can carry.
constexpr std::size_t kMaxModelTextBytes = 49;

std::string Trim(std::string text) {
    const auto notBlank = [](unsigned char c) { return !std::isspace(c); };
    text.erase(text.begin(), std::find_if(text.begin(), text.end(), notBlank));
    text.erase(std::find_if(text.rbegin(), text.rend(), notBlank).base(), text.end());
    return text;
}

std::string ReadTextFile(const fs::path& path) {
    std::ifstream in(path);
    if (!in) return {};
    std::stringstream text;
    text << in.rdbuf();
    return Trim(text.str());
}

std::uint64_t ReadNumberFile(const fs::path& path) {
    const std::string text = ReadTextFile(path);
    if (text.empty()) return 0;
    try {
        return std::stoull(text);
    } catch (...) {
        return 0;
    }
}

// udev keeps the device's properties as "E:KEY=value" lines.
std::string UdevProperty(const fs::path& database, const std::string& key) {
    std::ifstream in(database);
    std::string line;
    const std::string prefix = "E:" + key + "=";
    while (std::getline(in, line))
        if (line.rfind(prefix, 0) == 0) return Trim(line.substr(prefix.size()));
    return {};
}

bool IsDiskName(const std::string& name) {
    static const char* const kSkipped[] = {"loop", "ram", "zram", "dm-", "md", "sr", "fd", "nbd"};
    for (const char* prefix : kSkipped)
        if (name.rfind(prefix, 0) == 0) return false;
    return true;
}

// Geometry as the disk reports it, or the 255-head 63-sector form.
void SetGeometry(DiskDescription& disk, const std::string& devicePath, bool queryDevice) {
    disk.totalHeads = 255;
    disk.sectorsPerTrack = 63;
    if (queryDevice) {
        const int fd = ::open(devicePath.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
        if (fd >= 0) {
            hd_geometry geometry{};
            if (::ioctl(fd, HDIO_GETGEO, &geometry) == 0 && geometry.heads != 0 &&
                geometry.sectors != 0) {
                disk.totalHeads = geometry.heads;
                disk.sectorsPerTrack = geometry.sectors;
            }
            ::close(fd);
        }
    }
    disk.totalCylinders =
        disk.totalSectors / (static_cast<std::uint64_t>(disk.totalHeads) * disk.sectorsPerTrack);
}

std::string InterfaceName(const std::string& bus, const std::string& deviceName) {
    if (bus == "usb") return "USB";
    if (bus == "ata") return "IDE";
    if (bus == "scsi") return "SCSI";
    if (deviceName.rfind("mmcblk", 0) == 0) return "SD";
    if (deviceName.rfind("nvme", 0) == 0) return "NVMe";
    std::string upper = bus;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return upper;
}

DiskDescription DescribeBlockDevice(const fs::path& root, const fs::path& sysDir,
                                    const std::string& systemName, bool queryDevice) {
    DiskDescription disk;
    const std::string name = sysDir.filename().string();
    const std::string dev = ReadTextFile(sysDir / "dev");  // "major:minor"
    const fs::path udev = root / "run/udev/data" / ("b" + dev);
    const std::string bus = UdevProperty(udev, "ID_BUS");

    const bool removable =
        ReadNumberFile(sysDir / "removable") == 1 || bus == "usb" || name.rfind("mmcblk", 0) == 0;
    disk.mediaType = removable ? kMediaRemovable : kMediaFixed;
    const std::string vendor = ReadTextFile(sysDir / "device/vendor");
    const std::string model = ReadTextFile(sysDir / "device/model");
    disk.model = Trim(vendor.empty() ? model : vendor + " " + model);
    if (disk.model.empty()) disk.model = name;
    disk.interfaceType = InterfaceName(bus, name);
    disk.firmwareRevision = ReadTextFile(sysDir / "device/rev");
    disk.serialNumber = UdevProperty(udev, "ID_SERIAL_SHORT");
    disk.pnpDeviceId = UdevProperty(udev, "ID_PATH");
    disk.systemName = systemName;
    disk.deviceId = "/dev/" + name;
    const std::uint64_t logical = ReadNumberFile(sysDir / "queue/logical_block_size");
    disk.bytesPerSector = logical == 0 ? 512 : static_cast<std::uint32_t>(logical);
    disk.totalSectors = ReadNumberFile(sysDir / "size");  // always in 512-byte units
    disk.sizeInBytes = disk.totalSectors * 512;
    SetGeometry(disk, disk.deviceId, queryDevice);
    return disk;
}

// A disk as the broker describes it: interfaceType holds its bus name.
DiskDescription BrokerDisk(DiskDescription disk, const std::string& systemName) {
    const std::string bus = disk.interfaceType;
    const std::string name = fs::path(disk.deviceId).filename().string();
    const bool removable = disk.mediaType == kMediaRemovable || bus == "usb" || bus == "sdio" ||
                           name.rfind("mmcblk", 0) == 0;
    disk.mediaType = removable ? kMediaRemovable : kMediaFixed;
    disk.interfaceType = InterfaceName(bus, name);
    if (disk.model.empty()) disk.model = name;
    if (disk.bytesPerSector == 0) disk.bytesPerSector = 512;
    if (disk.totalSectors == 0) disk.totalSectors = disk.sizeInBytes / 512;
    if (disk.sizeInBytes == 0) disk.sizeInBytes = disk.totalSectors * 512;
    disk.systemName = systemName;
    SetGeometry(disk, disk.deviceId, false);
    return disk;
}

// Completes what sysfs left empty from the broker's view of the same disk.
void FillFromBroker(DiskDescription& disk, const DiskDescription& brokered) {
    const std::string name = fs::path(disk.deviceId).filename().string();
    if ((disk.model.empty() || disk.model == name) && !brokered.model.empty())
        disk.model = brokered.model;
    if (disk.serialNumber.empty()) disk.serialNumber = brokered.serialNumber;
    if (disk.firmwareRevision.empty()) disk.firmwareRevision = brokered.firmwareRevision;
    if (disk.mediaType != kMediaRemovable && brokered.mediaType == kMediaRemovable) {
        disk.mediaType = kMediaRemovable;
        disk.interfaceType = brokered.interfaceType;
    }
}

void AddBrokerDisks(std::vector<DiskDescription>& disks, DeviceOpener& broker,
                    const std::string& systemName) {
    for (DiskDescription& listed : broker.listDisks()) {
        if (listed.deviceId.empty()) continue;
        const DiskDescription brokered = BrokerDisk(std::move(listed), systemName);
        const auto same = std::find_if(disks.begin(), disks.end(), [&](const DiskDescription& d) {
            return d.deviceId == brokered.deviceId;
        });
        if (same != disks.end())
            FillFromBroker(*same, brokered);
        else
            disks.push_back(brokered);
    }
}

std::string HostName(const fs::path& root) {
    std::string name = ReadTextFile(root / "proc/sys/kernel/hostname");
    if (name.empty()) name = ReadTextFile(root / "etc/hostname");
    return name;
}

}  // namespace

DiskDescription DescribeImage(const std::string& path, int index) {
    DiskDescription disk;
    disk.index = index;
    disk.mediaType = kMediaImage;
    // The file's name stands for the model text, which a recovery log stores
    // in at most 49 bytes; a longer name is cut there, at a character boundary.
    disk.model = fs::path(path).filename().string();
    if (disk.model.size() > kMaxModelTextBytes) {
        std::size_t cut = kMaxModelTextBytes;
        while (cut > 0 && (static_cast<unsigned char>(disk.model[cut]) & 0xC0) == 0x80) --cut;
        disk.model.resize(cut);
    }
    disk.interfaceType = "File";
    disk.deviceId = path;
    disk.pnpDeviceId = path;
    disk.systemName = HostName("/");
    const FileSource source(path);  // read-only; also sizes block devices
    disk.sizeInBytes = source.sizeInBytes();
    disk.totalSectors = disk.sizeInBytes / limits::kSectorSize;
    SetGeometry(disk, path, false);
    return disk;
}

std::vector<DiskDescription> ListDisks(const InventoryOptions& options) {
    std::vector<DiskDescription> disks;
    const fs::path blockDir = options.root / "sys/block";
    std::vector<fs::path> entries;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(blockDir, error))
        entries.push_back(entry.path());
    std::sort(entries.begin(), entries.end());

    const std::string systemName = HostName(options.root);
    const bool queryDevice = options.queryDeviceGeometry && options.root == fs::path("/");
    for (const fs::path& sysDir : entries) {
        if (!IsDiskName(sysDir.filename().string())) continue;
        disks.push_back(DescribeBlockDevice(options.root, sysDir, systemName, queryDevice));
    }
    if (options.broker != nullptr) AddBrokerDisks(disks, *options.broker, systemName);
    int next = 0;
    for (DiskDescription& disk : disks) disk.index = IsOfferedDisk(disk) ? next++ : -1;
    for (const std::string& image : options.images) disks.push_back(DescribeImage(image, next++));
    return disks;
}

DiskInventory TakeDiskInventory(const InventoryOptions& options, DriveSlots& slots) {
    DiskInventory inventory;
    slots.clear();
    for (DiskDescription& disk : ListDisks(options)) {
        if (disk.index < 0 || disk.index >= limits::kDriveSlots) continue;
        slots.assign(disk.index, disk.deviceId);
        inventory.itemTexts.push_back(DeviceItemText(disk));
        inventory.disks.push_back(std::move(disk));
    }
    std::sort(inventory.itemTexts.begin(), inventory.itemTexts.end());
    return inventory;
}

DetailsList DiskDetailsRows(const DiskDescription& disk) {
    return {
        {"1. Model :", disk.model},
        {"2. MediaType :", disk.mediaType},
        {"3. Interface Type :", disk.interfaceType},
        {"4. Capacity(size) :", std::to_string(CapacityMegabytes(disk)) + " MB"},
        {"5. Cylinders :", std::to_string(disk.totalCylinders)},
        {"6. Heads :", std::to_string(disk.totalHeads)},
        {"7. Sectors :", std::to_string(disk.totalSectors)},
        {"8. Bytes per Sector :", std::to_string(disk.bytesPerSector)},
        {"9. Sector per Track :", std::to_string(disk.sectorsPerTrack)},
        {"10. Firmware Revision ID :", disk.firmwareRevision},
        {"11. PNP Device ID :", disk.pnpDeviceId},
        {"12. Serial Number :", disk.serialNumber},
        {"13. System Name :", disk.systemName},
        {"14. Physical Device ID :", disk.deviceId},
    };
}

const DiskDescription* FindDisk(const DiskInventory& inventory, int index) {
    for (const DiskDescription& disk : inventory.disks)
        if (disk.index == index) return &disk;
    return nullptr;
}

bool ShowDiskDetails(const DiskInventory& inventory, int index, DetailsList& details,
                     CurrentDisk& current) {
    details.clear();
    for (const DiskDescription& disk : inventory.disks) {
        if (disk.index != index) continue;
        details = DiskDetailsRows(disk);
        current = CurrentDiskValues(disk);
        return true;
    }
    return false;
}

}  // namespace datrevo
