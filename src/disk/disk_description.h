// What the inventory knows of one disk, and the values kept for the disk the
// user picked (its model text, size and geometry).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace datrevo {

inline constexpr const char* kMediaRemovable = "Removable Media";
inline constexpr const char* kMediaFixed = "Fixed hard disk media";
inline constexpr const char* kMediaImage = "Disk Image";

struct DiskDescription {
    int index = 0;  // the drive slot, and the number in "Disk<index>"
    std::string mediaType;
    std::string model;
    std::string interfaceType;
    std::uint64_t totalCylinders = 0;
    std::uint32_t totalHeads = 0;
    std::uint32_t sectorsPerTrack = 0;
    std::uint32_t bytesPerSector = 512;
    std::uint64_t totalSectors = 0;  // in 512-byte units, whatever the logical sector size
    std::uint64_t sizeInBytes = 0;   // of the device or image file (0: not known)
    std::string firmwareRevision;
    std::string pnpDeviceId;
    std::string serialNumber;
    std::string systemName;
    std::string deviceId;  // the path read: /dev/sdb, or the image file
};

// "Disk" followed by the index.
std::string DiskName(int index);
// The device tree's text for the disk: "Removable Media (Disk1)".
std::string DeviceItemText(const DiskDescription& disk);
// Whether the inventory offers the disk: removable media and image files.
bool IsOfferedDisk(const DiskDescription& disk);

// Values of the disk last shown, read by the partition reader, the
// lost-partition search, the wizard and the recovery log.
struct CurrentDisk {
    std::string modelText;
    std::uint64_t totalSectors64 = 0;  // end sector for the range fields
    std::int32_t sizeMegabytes = 0;
    std::string sizeText;  // "%ld MB"
    std::string cylindersText;
    std::string headsText;
    std::string sectorsPerTrackText;
};

// Size in megabytes from the geometry: cylinders x bytes per sector x sectors
// per track x heads / 1048576, cut to an integer.
std::int32_t GeometrySizeMegabytes(const DiskDescription& disk);

// The disk's capacity in megabytes: its byte size / 1048576, cut to an
// integer (a geometry leaves out the last partial cylinder and counts its
// sectors in the device's own units). From the geometry when the byte size is
// not known.
std::int32_t CapacityMegabytes(const DiskDescription& disk);

// The medium is read in 512-byte sectors. For a disk whose logical sector is
// another size, the text that refuses it; nothing for a disk that can be read.
std::optional<std::string> UnsupportedSectorSizeMessage(const DiskDescription& disk);

CurrentDisk CurrentDiskValues(const DiskDescription& disk);

}  // namespace datrevo
