// Disks the user may not open directly, read through a descriptor a broker
// (udisks2 on a desktop) hands out; and the broker's disks in the inventory.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>

#include "disk/device_access.h"
#include "disk/disk_inventory.h"
#include "disk/file_source.h"
#include "support/image_fixture.h"

namespace datrevo {
namespace {
namespace fs = std::filesystem;

// A device whose own open was refused with `error`.
class UnopenedSource final : public SectorSource {
public:
    UnopenedSource(std::string path, int error) : path_(std::move(path)), error_(error) {}
    bool isOpen() const override { return false; }
    int openError() const override { return error_; }
    std::uint64_t sizeInBytes() const override { return 0; }
    SourceRead readAt(std::uint64_t, std::span<std::uint8_t>) const override { return {0, error_}; }
    const std::string& name() const override { return path_; }

private:
    std::string path_;
    int error_;
};

// A broker that hands out what the test says, and remembers what it was asked.
class ScriptedBroker final : public DeviceOpener {
public:
    BrokeredOpen openReadOnly(const std::string& devicePath) override {
        asked.push_back(devicePath);
        return next;
    }
    std::vector<DiskDescription> listDisks() override { return disks; }

    BrokeredOpen next;
    std::vector<std::string> asked;
    std::vector<DiskDescription> disks;
};

DiskDescription CardReader(int index = 0) {
    DiskDescription disk;
    disk.index = index;
    disk.mediaType = kMediaRemovable;
    disk.deviceId = "/dev/sdz";
    return disk;
}

TEST(BrokeredOpen, DeviceRefusedForLackOfRightsIsReadThroughTheBrokersDescriptor) {
    const auto image = test::FixtureImage("fat16");
    DriveSlots slots;
    slots.assign(0, std::make_shared<UnopenedSource>("/dev/sdz", EACCES));
    ScriptedBroker broker;
    broker.next.fd = ::open(image->path().c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(broker.next.fd, 0);

    EXPECT_EQ(OpenDiskForReading(slots, CardReader(), &broker), std::nullopt);
    EXPECT_EQ(broker.asked, std::vector<std::string>{"/dev/sdz"});
    const DiskReader reader = slots.reader(0, nullptr);
    ASSERT_TRUE(reader.isOpen());
    EXPECT_EQ(reader.totalSectors(), image->sizeInBytes() / 512);
    EXPECT_EQ(slots.path(0), "/dev/sdz");
    SectorBuffer mbr{};
    EXPECT_EQ(reader.readSector(0, mbr), 1);
    EXPECT_EQ(mbr[510], 0x55);
    EXPECT_EQ(mbr[511], 0xAA);
    // Asked once: the slot now holds the descriptor.
    EXPECT_EQ(OpenDiskForReading(slots, CardReader(), &broker), std::nullopt);
    EXPECT_EQ(broker.asked.size(), 1u);
    EXPECT_TRUE(image->unchanged());
}

TEST(BrokeredOpen, RefusalSaysWhoRefusedWhyAndWhatToDo) {
    DriveSlots slots;
    slots.assign(0, std::make_shared<UnopenedSource>("/dev/sdz", EPERM));
    ScriptedBroker broker;
    broker.next.refusal = "Not authorized to perform operation";
    const auto message = OpenDiskForReading(slots, CardReader(), &broker);
    ASSERT_TRUE(message.has_value());
    EXPECT_NE(message->find("/dev/sdz"), std::string::npos);
    EXPECT_NE(message->find("udisks2"), std::string::npos);
    EXPECT_NE(message->find("Not authorized to perform operation"), std::string::npos);
    EXPECT_NE(message->find("'disk' group"), std::string::npos);
    EXPECT_FALSE(slots.reader(0, nullptr).isOpen());
}

TEST(BrokeredOpen, DescriptorOpenForWritingIsClosedAndNotUsed) {
    const fs::path dir = test::MakeTempDir("brokered-writable");
    const fs::path scratch = dir / "scratch";
    std::ofstream(scratch) << std::string(4096, 'x');
    DriveSlots slots;
    slots.assign(0, std::make_shared<UnopenedSource>("/dev/sdz", EACCES));
    ScriptedBroker broker;
    broker.next.fd = ::open(scratch.c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_GE(broker.next.fd, 0);

    const auto message = OpenDiskForReading(slots, CardReader(), &broker);
    ASSERT_TRUE(message.has_value());
    EXPECT_NE(message->find("not read-only"), std::string::npos);
    EXPECT_FALSE(slots.reader(0, nullptr).isOpen());
    errno = 0;
    EXPECT_EQ(::fcntl(broker.next.fd, F_GETFD), -1);  // closed, not kept
    EXPECT_EQ(errno, EBADF);
    fs::remove_all(dir);
}

TEST(BrokeredOpen, BrokerIsAskedOnlyForDevicesRefusedForLackOfRights) {
    ScriptedBroker broker;
    broker.next.refusal = "should not be asked";

    DriveSlots missing;  // a device that went away: the broker cannot help
    missing.assign(0, std::make_shared<UnopenedSource>("/dev/sdz", ENOENT));
    auto message = OpenDiskForReading(missing, CardReader(), &broker);
    ASSERT_TRUE(message.has_value());
    EXPECT_NE(message->find("attached"), std::string::npos);

    DriveSlots image;  // an image file the user may not read is the user's to fix
    image.assign(0, std::make_shared<UnopenedSource>("/home/card.img", EACCES));
    DiskDescription file = CardReader();
    file.mediaType = kMediaImage;
    file.deviceId = "/home/card.img";
    message = OpenDiskForReading(image, file, &broker);
    ASSERT_TRUE(message.has_value());
    EXPECT_NE(message->find("Permission denied"), std::string::npos);

    DriveSlots alone;  // no broker: the fix is named, as before
    alone.assign(0, std::make_shared<UnopenedSource>("/dev/sdz", EACCES));
    message = OpenDiskForReading(alone, CardReader(), nullptr);
    ASSERT_TRUE(message.has_value());
    EXPECT_NE(message->find("run as root"), std::string::npos);

    EXPECT_TRUE(broker.asked.empty());
}

TEST(BrokeredOpen, ReadableDiskIsLeftAsItIs) {
    const auto image = test::FixtureImage("fat16");
    DriveSlots slots;
    slots.assign(0, image->path());
    DiskDescription disk = CardReader();
    disk.deviceId = image->path();
    ScriptedBroker broker;
    EXPECT_EQ(OpenDiskForReading(slots, disk, &broker), std::nullopt);
    EXPECT_TRUE(broker.asked.empty());
    EXPECT_TRUE(image->unchanged());
}

void Write(const fs::path& path, const std::string& text) {
    fs::create_directories(path.parent_path());
    std::ofstream(path) << text << "\n";
}

TEST(BrokerInventory, AddsTheDisksSysfsDoesNotShowAndFillsWhatItLeftEmpty) {
    const fs::path root = test::MakeTempDir("broker-sysfs");
    // sysfs shows a card reader with no model text and no udev entry.
    Write(root / "sys/block/sdb/dev", "8:16");
    Write(root / "sys/block/sdb/removable", "1");
    Write(root / "sys/block/sdb/size", "62333952");
    ScriptedBroker broker;
    DiskDescription reader;
    reader.deviceId = "/dev/sdb";
    reader.model = "Generic Card Reader";
    reader.serialNumber = "000000001";
    reader.interfaceType = "usb";
    reader.mediaType = kMediaRemovable;
    DiskDescription stick;  // not in sysfs (a sandbox shows no /sys/block)
    stick.deviceId = "/dev/sdz";
    stick.model = "Datrevo Stick";
    stick.serialNumber = "FAKE0001";
    stick.interfaceType = "usb";
    stick.sizeInBytes = 16 * 1024 * 1024;
    DiskDescription fixed;  // a fixed disk stays out of the offer
    fixed.deviceId = "/dev/nvme0n1";
    fixed.mediaType = kMediaFixed;
    fixed.interfaceType = "";
    fixed.sizeInBytes = 512ull << 30;
    broker.disks = {reader, stick, fixed};

    InventoryOptions options;
    options.root = root;
    options.broker = &broker;
    const std::vector<DiskDescription> disks = ListDisks(options);
    ASSERT_EQ(disks.size(), 3u);
    EXPECT_EQ(disks[0].deviceId, "/dev/sdb");
    EXPECT_EQ(disks[0].model, "Generic Card Reader");
    EXPECT_EQ(disks[0].serialNumber, "000000001");
    EXPECT_EQ(disks[0].totalSectors, 62333952u);  // sysfs's own values stay
    EXPECT_EQ(disks[0].index, 0);
    EXPECT_EQ(disks[1].deviceId, "/dev/sdz");
    EXPECT_EQ(disks[1].index, 1);
    EXPECT_EQ(disks[1].mediaType, kMediaRemovable);  // on the USB bus
    EXPECT_EQ(disks[1].interfaceType, "USB");
    EXPECT_EQ(disks[1].serialNumber, "FAKE0001");
    EXPECT_EQ(disks[1].totalSectors, 32768u);
    EXPECT_EQ(disks[1].totalHeads, 255u);
    EXPECT_EQ(disks[2].index, -1);

    DriveSlots slots;
    const DiskInventory inventory = TakeDiskInventory(options, slots);
    ASSERT_EQ(inventory.disks.size(), 2u);
    EXPECT_EQ(slots.path(1), "/dev/sdz");
    fs::remove_all(root);
}

}  // namespace
}  // namespace datrevo
