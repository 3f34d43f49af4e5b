#include "save/destination_check.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <set>
#include <sstream>
#include <system_error>
#include <utility>

#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace datrevo {
namespace {

namespace fs = std::filesystem;

// Stacked devices, partitions and loop files followed: levels. Real stacks
// are a few levels deep; a looping fake tree stops here.
constexpr int kMaxStackedDeviceLevels = 8;

using FileIdentity = std::pair<std::uint64_t, std::uint64_t>;  // device, inode

FileIdentity IdentityOf(const struct stat& info) {
    return {static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
}

std::string DeviceText(dev_t device) {
    return std::to_string(major(device)) + ":" + std::to_string(minor(device));
}

// What a device is built on.
struct Underlying {
    std::set<std::string> devices;  // "major:minor", the device itself included
    std::set<FileIdentity> files;   // backing files of loop devices
};

// The sysfs folder of a block device, resolved.
std::optional<fs::path> SysfsFolder(const std::string& sysRoot, const std::string& device) {
    std::error_code code;
    const fs::path link = fs::path(sysRoot) / "sys/dev/block" / device;
    fs::path resolved = fs::canonical(link, code);
    if (code) return std::nullopt;
    return resolved;
}

std::string FirstLine(const fs::path& file) {
    std::ifstream in(file);
    std::string text;
    std::getline(in, text);
    return text;
}

std::string ReadDevFile(const fs::path& folder) { return FirstLine(folder / "dev"); }

// The block device mounted as an anonymous device (a FUSE file system on a
// block device, as ntfs-3g mounts one), from the mount table: the source of
// the mount whose device is `device`, when that source is a block device.
std::optional<std::string> MountedBlockDevice(const std::string& sysRoot,
                                              const std::string& device) {
    std::ifstream table(fs::path(sysRoot) / "proc/self/mountinfo");
    for (std::string line; std::getline(table, line);) {
        // "36 35 0:52 / /mnt rw,nosuid - fuseblk /dev/loop3 rw,..."
        std::istringstream fields(line);
        std::string id, parent, number;
        if (!(fields >> id >> parent >> number) || number != device) continue;
        const std::size_t separator = line.find(" - ");
        if (separator == std::string::npos) continue;
        std::istringstream tail(line.substr(separator + 3));
        std::string type, source;
        if (!(tail >> type >> source) || source.empty() || source[0] != '/') continue;
        struct stat info {};
        if (::stat(source.c_str(), &info) == 0 && S_ISBLK(info.st_mode))
            return DeviceText(info.st_rdev);
    }
    return std::nullopt;
}

// Everything `device` is stored on: itself, the whole disk of a partition,
// the devices beneath a stacked device, the backing file of a loop device
// and, with `followFiles`, the device that backing file lies on.
void DevicesBeneath(const std::string& sysRoot, const std::string& device, bool followFiles,
                    int level, Underlying& out) {
    if (!out.devices.insert(device).second || level > kMaxStackedDeviceLevels) return;
    const std::optional<fs::path> folder = SysfsFolder(sysRoot, device);
    if (!folder) {
        if (const auto mounted = MountedBlockDevice(sysRoot, device))
            DevicesBeneath(sysRoot, *mounted, followFiles, level + 1, out);
        return;
    }
    std::error_code code;
    if (fs::exists(*folder / "partition", code)) {
        const std::string parent = ReadDevFile(folder->parent_path());
        if (!parent.empty()) DevicesBeneath(sysRoot, parent, followFiles, level + 1, out);
    }
    for (const auto& slave : fs::directory_iterator(*folder / "slaves", code)) {
        std::error_code resolveCode;
        const std::string below = ReadDevFile(fs::canonical(slave.path(), resolveCode));
        if (!resolveCode && !below.empty())
            DevicesBeneath(sysRoot, below, followFiles, level + 1, out);
    }
    const std::string backing = FirstLine(*folder / "loop/backing_file");
    struct stat file {};
    if (!backing.empty() && ::stat(backing.c_str(), &file) == 0) {
        out.files.insert(IdentityOf(file));
        if (followFiles)
            DevicesBeneath(sysRoot, DeviceText(file.st_dev), followFiles, level + 1, out);
    }
}

Underlying Beneath(const std::string& sysRoot, const std::string& device, bool followFiles) {
    Underlying out;
    DevicesBeneath(sysRoot, device, followFiles, 0, out);
    return out;
}

// `device`, its partitions and every device stacked on them ("holders").
void DevicesAbove(const std::string& sysRoot, const std::string& device, int level,
                  std::set<std::string>& out) {
    if (!out.insert(device).second || level > kMaxStackedDeviceLevels) return;
    const std::optional<fs::path> folder = SysfsFolder(sysRoot, device);
    if (!folder) return;
    std::error_code code;
    for (const auto& entry : fs::directory_iterator(*folder, code)) {
        std::error_code entryCode;
        if (!entry.is_directory(entryCode) || entry.is_symlink(entryCode)) continue;
        if (!fs::exists(entry.path() / "partition", entryCode)) continue;
        const std::string partition = ReadDevFile(entry.path());
        if (!partition.empty()) DevicesAbove(sysRoot, partition, level + 1, out);
    }
    for (const auto& holder : fs::directory_iterator(*folder / "holders", code)) {
        std::error_code resolveCode;
        const std::string above = ReadDevFile(fs::canonical(holder.path(), resolveCode));
        if (!resolveCode && !above.empty()) DevicesAbove(sysRoot, above, level + 1, out);
    }
}

template <typename T>
bool Meet(const std::set<T>& one, const std::set<T>& other) {
    for (const T& value : one)
        if (other.count(value) != 0) return true;
    return false;
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
    const Underlying stored = Beneath(sysRoot, DeviceText(target.st_dev), true);

    if (S_ISREG(disk.st_mode)) {
        if (IdentityOf(target) == IdentityOf(disk)) return kDestinationIsImageMessage;
        if (stored.files.count(IdentityOf(disk)) != 0) return kDestinationInImageMessage;
        return {};
    }
    if (!S_ISBLK(disk.st_mode)) return {};
    const std::string source = DeviceText(disk.st_rdev);
    if (target.st_dev == disk.st_rdev) return kDestinationOnDiskMessage;
    const Underlying sourceBelow = Beneath(sysRoot, source, false);
    if (Meet(stored.devices, sourceBelow.devices) || Meet(stored.files, sourceBelow.files))
        return kDestinationOnDiskMessage;
    std::set<std::string> above;
    for (const std::string& device : sourceBelow.devices) DevicesAbove(sysRoot, device, 0, above);
    if (Meet(stored.devices, above)) return kDestinationOnDiskMessage;
    return {};
}

bool OnSameDisk(const std::string& device, const std::string& otherDevice,
                const std::string& sysRoot) {
    return Meet(Beneath(sysRoot, device, false).devices,
                Beneath(sysRoot, otherDevice, false).devices);
}

}  // namespace datrevo
