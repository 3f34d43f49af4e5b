#include "disk/disk_description.h"

#include <cmath>

namespace datrevo {

std::string DiskName(int index) { return "Disk" + std::to_string(index); }

std::string DeviceItemText(const DiskDescription& disk) {
    const std::string media = disk.mediaType.find("Removable media other than") != std::string::npos
                                  ? std::string(kMediaRemovable)
                                  : disk.mediaType;
    return media + " (" + DiskName(disk.index) + ")";
}

bool IsOfferedDisk(const DiskDescription& disk) {
    const std::string text = DeviceItemText(disk);
    if (text.size() <= 8) return false;
    return disk.mediaType.find("Removable") != std::string::npos || disk.mediaType == kMediaImage;
}

std::int32_t GeometrySizeMegabytes(const DiskDescription& disk) {
    const double bytes =
        static_cast<double>(disk.totalCylinders) * static_cast<double>(disk.bytesPerSector) *
        static_cast<double>(disk.sectorsPerTrack) * static_cast<double>(disk.totalHeads);
    const double megabytes = std::floor(bytes / 1048576.0);
    if (megabytes > 2147483647.0) return 2147483647;
    return static_cast<std::int32_t>(megabytes);
}

std::int32_t CapacityMegabytes(const DiskDescription& disk) {
    if (disk.sizeInBytes == 0) return GeometrySizeMegabytes(disk);
    const std::uint64_t megabytes = disk.sizeInBytes / 1048576;
    return megabytes > 2147483647u ? 2147483647 : static_cast<std::int32_t>(megabytes);
}

std::optional<std::string> UnsupportedSectorSizeMessage(const DiskDescription& disk) {
    if (disk.bytesPerSector == 512) return std::nullopt;
    return DiskName(disk.index) + " (" + disk.deviceId + ") has " +
           std::to_string(disk.bytesPerSector) +
           "-byte logical sectors; only disks with 512-byte sectors can be read yet.";
}

CurrentDisk CurrentDiskValues(const DiskDescription& disk) {
    CurrentDisk current;
    current.modelText = disk.model;
    current.totalSectors64 = disk.totalSectors;
    current.sizeMegabytes = CapacityMegabytes(disk);
    current.sizeText = std::to_string(current.sizeMegabytes) + " MB";
    current.cylindersText = std::to_string(disk.totalCylinders);
    current.headsText = std::to_string(disk.totalHeads);
    current.sectorsPerTrackText = std::to_string(disk.sectorsPerTrack);
    return current;
}

}  // namespace datrevo
