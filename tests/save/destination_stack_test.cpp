// A destination whose file system is stored, through loop devices, stacked
// devices or a FUSE mount, on the disk being recovered. The sysfs tree and
// the mount table are fakes under a temporary root that describe the real
// device of a temporary folder as a loop device, a partition or a mapped
// device.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>

#include <sys/stat.h>
#include <sys/sysmacros.h>

#include "save/destination_check.h"
#include "save_support.h"

namespace datrevo {
namespace {

namespace fs = std::filesystem;

std::string DeviceText(dev_t device) {
    return std::to_string(major(device)) + ":" + std::to_string(minor(device));
}

std::string DeviceOf(const fs::path& path) {
    struct stat info {};
    EXPECT_EQ(::stat(path.c_str(), &info), 0) << path;
    return DeviceText(info.st_dev);
}

// A block device node of this machine, for a disk given as a device; not
// the device that temporary folders lie on.
std::optional<fs::path> SomeBlockDevice() {
    const std::string temporary = DeviceOf(fs::temp_directory_path());
    std::error_code code;
    for (const auto& entry : fs::directory_iterator("/dev", code)) {
        struct stat info {};
        if (::stat(entry.path().c_str(), &info) == 0 && S_ISBLK(info.st_mode) &&
            DeviceText(info.st_rdev) != temporary)
            return entry.path();
    }
    return std::nullopt;
}

dev_t RdevOf(const fs::path& path) {
    struct stat info {};
    ::stat(path.c_str(), &info);
    return info.st_rdev;
}

// A fake root with sys/dev/block links to device folders.
class FakeSys {
public:
    FakeSys() { fs::create_directories(rootPath() / "sys/dev/block"); }
    std::string root() const { return folder_.path.string(); }
    fs::path rootPath() const { return folder_.path; }

    // A device folder below sys/devices, reachable as sys/dev/block/<dev>.
    fs::path device(const std::string& relative, const std::string& dev) {
        const fs::path folder = rootPath() / "sys/devices" / relative;
        fs::create_directories(folder);
        std::ofstream(folder / "dev") << dev << "\n";
        fs::create_directory_symlink(folder, rootPath() / "sys/dev/block" / dev);
        return folder;
    }
    static void backingFile(const fs::path& device, const fs::path& file) {
        fs::create_directories(device / "loop");
        std::ofstream(device / "loop/backing_file") << file.string() << "\n";
    }
    static void link(const fs::path& from, const std::string& kind, const fs::path& to) {
        fs::create_directories(from / kind);
        fs::create_directory_symlink(to, from / kind / to.filename());
    }
    void mountinfo(const std::string& line) {
        fs::create_directories(rootPath() / "proc/self");
        std::ofstream(rootPath() / "proc/self/mountinfo")
            << "22 1 8:1 / / rw,relatime - ext4 /dev/sda1 rw\n"
            << line << "\n";
    }

private:
    test::TempFolder folder_;
};

struct ImageAndDestination {
    test::TempFolder folder;
    fs::path image = folder.path / "card.img";
    fs::path destination = folder.path / "mounted";
    ImageAndDestination() {
        std::ofstream(image) << "image bytes";
        fs::create_directory(destination);
    }
};

TEST(DestinationStack, AFileSystemMountedFromTheImageThroughALoopDeviceIsRefused) {
    ImageAndDestination disk;
    FakeSys sys;
    const fs::path loop = sys.device("virtual/block/loop7", DeviceOf(disk.destination));
    FakeSys::backingFile(loop, disk.image);
    EXPECT_EQ(DestinationRefusal(disk.destination.string(), disk.image.string(), sys.root()),
              kDestinationInImageMessage);
    EXPECT_EQ(DestinationRefusal((disk.destination / "new/folder").string(), disk.image.string(),
                                 sys.root()),
              kDestinationInImageMessage)
        << "a folder still to be created is judged by its parent";
}

TEST(DestinationStack, TheBackingFileIsComparedByIdentityNotByName) {
    ImageAndDestination disk;
    const fs::path otherName = disk.folder.path / "same-inode.img";
    fs::create_hard_link(disk.image, otherName);
    const fs::path otherFile = disk.folder.path / "other.img";
    std::ofstream(otherFile) << "image bytes";
    {
        FakeSys sys;
        FakeSys::backingFile(sys.device("virtual/block/loop7", DeviceOf(disk.destination)),
                             otherName);
        EXPECT_EQ(DestinationRefusal(disk.destination.string(), disk.image.string(), sys.root()),
                  kDestinationInImageMessage);
    }
    {
        FakeSys sys;
        FakeSys::backingFile(sys.device("virtual/block/loop7", DeviceOf(disk.destination)),
                             otherFile);
        EXPECT_EQ(DestinationRefusal(disk.destination.string(), disk.image.string(), sys.root()),
                  "")
            << "a loop device of another image with the same bytes";
    }
}

TEST(DestinationStack, APartitionOfTheLoopDeviceAndAMappedDeviceOnItAreTracedToTheImage) {
    ImageAndDestination disk;
    {
        FakeSys sys;
        const fs::path loop = sys.device("virtual/block/loop7", "7:7");
        FakeSys::backingFile(loop, disk.image);
        const fs::path partition =
            sys.device("virtual/block/loop7/loop7p1", DeviceOf(disk.destination));
        std::ofstream(partition / "partition") << "1\n";
        EXPECT_EQ(DestinationRefusal(disk.destination.string(), disk.image.string(), sys.root()),
                  kDestinationInImageMessage);
    }
    {
        FakeSys sys;
        const fs::path loop = sys.device("virtual/block/loop7", "7:7");
        FakeSys::backingFile(loop, disk.image);
        const fs::path partition = sys.device("virtual/block/loop7/loop7p1", "259:3");
        std::ofstream(partition / "partition") << "1\n";
        const fs::path mapped = sys.device("virtual/block/dm-3", DeviceOf(disk.destination));
        FakeSys::link(mapped, "slaves", partition);
        EXPECT_EQ(DestinationRefusal(disk.destination.string(), disk.image.string(), sys.root()),
                  kDestinationInImageMessage);
    }
}

TEST(DestinationStack, AFuseMountOfTheLoopDeviceIsTracedThroughTheMountTable) {
    const std::optional<fs::path> node = SomeBlockDevice();
    if (!node) GTEST_SKIP() << "no block device node in /dev";
    ImageAndDestination disk;
    FakeSys sys;
    // The destination's device has no sysfs folder (an anonymous FUSE device);
    // the mount table names the block device it was mounted from.
    FakeSys::backingFile(sys.device("virtual/block/loop9", DeviceText(RdevOf(*node))), disk.image);
    sys.mountinfo("88 22 " + DeviceOf(disk.destination) + " / /mnt/card rw,nosuid - fuseblk " +
                  node->string() + " rw,user_id=0");
    EXPECT_EQ(DestinationRefusal(disk.destination.string(), disk.image.string(), sys.root()),
              kDestinationInImageMessage);
}

TEST(DestinationStack, ADeviceStackedOnTheSourceDeviceIsRefused) {
    const std::optional<fs::path> node = SomeBlockDevice();
    if (!node) GTEST_SKIP() << "no block device node in /dev";
    test::TempFolder destination;
    FakeSys sys;
    const fs::path source = sys.device("block/sdz", DeviceText(RdevOf(*node)));
    const fs::path mapped = sys.device("virtual/block/dm-5", DeviceOf(destination.path));
    EXPECT_EQ(DestinationRefusal(destination.path.string(), node->string(), sys.root()), "")
        << "nothing links the two yet";
    // Only the source side tells: it lists the mapped device as its holder.
    FakeSys::link(source, "holders", mapped);
    EXPECT_EQ(DestinationRefusal(destination.path.string(), node->string(), sys.root()),
              kDestinationOnDiskMessage);
}

TEST(DestinationStack, ASourceLoopDeviceAndADestinationLoopDeviceOnOneFileAreRefused) {
    const std::optional<fs::path> node = SomeBlockDevice();
    if (!node) GTEST_SKIP() << "no block device node in /dev";
    ImageAndDestination disk;
    FakeSys sys;
    FakeSys::backingFile(sys.device("virtual/block/loop3", DeviceText(RdevOf(*node))), disk.image);
    FakeSys::backingFile(sys.device("virtual/block/loop4", DeviceOf(disk.destination)), disk.image);
    EXPECT_EQ(DestinationRefusal(disk.destination.string(), node->string(), sys.root()),
              kDestinationOnDiskMessage);
}

}  // namespace
}  // namespace datrevo
