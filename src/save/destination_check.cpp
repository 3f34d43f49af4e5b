#include "save/destination_check.h"

#include <filesystem>
#include <fstream>
#include <optional>
#include <set>
#include <system_error>

#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace datrevo {
namespace {

namespace fs = std::filesystem;

// Device-mapper and RAID devices built on devices built on others: levels followed.
constexpr int kMaxStackedDeviceLevels = 8;

std::string DeviceText(dev_t device) {
    return std::to_string(major(device)) + ":" + std::to_string(minor(device));
}

// The sysfs folder of a block device, resolved.
std::optional<fs::path> SysfsFolder(const std::string& sysRoot, const std::string& device) {
    std::error_code code;
    const fs::path link = fs::path(sysRoot) / "sys/dev/block" / device;
    fs::path resolved = fs::canonical(link, code);
    if (code) return std::nullopt;
    return resolved;
}

std::string ReadDevFile(const fs::path& folder) {
    std::ifstream in(folder / "dev");
    std::string text;
    std::getline(in, text);
    return text;
}

// The whole disks under a device: itself or its parent disk for a partition,
// and the disks beneath a stacked device ("slaves").
void WholeDisks(const std::string& sysRoot, const std::string& device, int level,
                std::set<std::string>& out) {
    out.insert(device);
    if (level > kMaxStackedDeviceLevels) return;
    const std::optional<fs::path> folder = SysfsFolder(sysRoot, device);
    if (!folder) return;
    std::error_code code;
    if (fs::exists(*folder / "partition", code)) {
        const std::string parent = ReadDevFile(folder->parent_path());
        if (!parent.empty()) out.insert(parent);
    }
    for (const auto& slave : fs::directory_iterator(*folder / "slaves", code)) {
        const std::string below = ReadDevFile(fs::canonical(slave.path(), code));
        if (!below.empty() && out.count(below) == 0) WholeDisks(sysRoot, below, level + 1, out);
    }
}

// The nearest existing folder at or above the path.
std::optional<fs::path> ExistingAncestor(const std::string& destination) {
    std::error_code code;
    fs::path path = fs::absolute(destination, code);
    if (code) return std::nullopt;
    for (int guard = 0; guard < 4096 && !path.empty(); ++guard) {
        if (fs::exists(path, code)) return path;
        if (path == path.parent_path()) break;
        path = path.parent_path();
    }
    return std::nullopt;
}

}  // namespace

std::string DestinationRefusal(const std::string& destination, const std::string& diskPath,
                               const std::string& sysRoot) {
    struct stat disk {};
    if (diskPath.empty() || ::stat(diskPath.c_str(), &disk) != 0) return {};
    const std::optional<fs::path> existing = ExistingAncestor(destination);
    if (!existing) return {};
    struct stat target {};
    if (::stat(existing->c_str(), &target) != 0) return {};

    if (S_ISREG(disk.st_mode)) {
        if (target.st_dev == disk.st_dev && target.st_ino == disk.st_ino) return kDestinationIsImageMessage;
        return {};
    }
    if (!S_ISBLK(disk.st_mode)) return {};
    if (target.st_dev == disk.st_rdev) return kDestinationOnDiskMessage;
    if (OnSameDisk(DeviceText(disk.st_rdev), DeviceText(target.st_dev), sysRoot)) return kDestinationOnDiskMessage;
    return {};
}

bool OnSameDisk(const std::string& device, const std::string& otherDevice, const std::string& sysRoot) {
    std::set<std::string> oneSide;
    std::set<std::string> otherSide;
    WholeDisks(sysRoot, device, 0, oneSide);
    WholeDisks(sysRoot, otherDevice, 0, otherSide);
    for (const std::string& disk : otherSide)
        if (oneSide.count(disk) != 0) return true;
    return false;
}

}  // namespace datrevo
