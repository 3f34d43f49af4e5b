#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "disk/disk_inventory.h"
#include "support/image_fixture.h"

namespace datrevo {
namespace {
namespace fs = std::filesystem;

void Write(const fs::path& path, const std::string& text) {
    fs::create_directories(path.parent_path());
    std::ofstream(path) << text << "\n";
}

// A fake sysfs and udev tree: a USB player, a fixed SATA disk, an SD card, a loop device.
class FakeSysfs : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = test::MakeTempDir("sysfs");
        AddDisk("sda", "8:0", "0", "ATA", "Samsung SSD", "1000215216", "ata");
        AddDisk("sdb", "8:16", "0", "Apple", "iPod", "16128000", "usb");
        Write(root_ / "run/udev/data/b8:16",
              "E:ID_BUS=usb\nE:ID_SERIAL_SHORT=000A27001B2C\n"
              "E:ID_PATH=pci-0000:00:14.0-usb-0:2:1.0-scsi-0:0:0:0");
        AddDisk("mmcblk0", "179:0", "0", "", "SD32G", "62333952", "");
        AddDisk("loop0", "7:0", "0", "", "", "2048", "");
        Write(root_ / "proc/sys/kernel/hostname", "workbench");
    }
    void TearDown() override { fs::remove_all(root_); }

    void AddDisk(const std::string& name, const std::string& dev, const std::string& removable,
                 const std::string& vendor, const std::string& model, const std::string& size,
                 const std::string& bus) {
        const fs::path dir = root_ / "sys/block" / name;
        Write(dir / "dev", dev);
        Write(dir / "removable", removable);
        Write(dir / "size", size);
        if (!vendor.empty()) Write(dir / "device/vendor", vendor);
        if (!model.empty()) Write(dir / "device/model", model);
        Write(dir / "device/rev", "1.62");
        Write(dir / "queue/logical_block_size", "512");
        if (!bus.empty()) Write(root_ / "run/udev/data" / ("b" + dev), "E:ID_BUS=" + bus);
    }

    InventoryOptions Options() const {
        InventoryOptions options;
        options.root = root_;
        return options;
    }

    fs::path root_;
};

TEST_F(FakeSysfs, OffersRemovableAndUsbDisksButNeverFixedOnes) {
    DriveSlots slots;
    const DiskInventory inventory = TakeDiskInventory(Options(), slots);
    ASSERT_EQ(inventory.disks.size(), 2u);
    EXPECT_EQ(inventory.disks[0].deviceId, "/dev/mmcblk0");
    EXPECT_EQ(inventory.disks[1].deviceId, "/dev/sdb");
    EXPECT_EQ(inventory.itemTexts,
              (std::vector<std::string>{"Removable Media (Disk0)", "Removable Media (Disk1)"}));
    EXPECT_EQ(slots.path(1), "/dev/sdb");
    EXPECT_FALSE(slots.occupied(2));
}

TEST_F(FakeSysfs, DetailsListHasTheFourteenRows) {
    DriveSlots slots;
    const DiskInventory inventory = TakeDiskInventory(Options(), slots);
    DetailsList details;
    CurrentDisk current;
    ASSERT_TRUE(ShowDiskDetails(inventory, 1, details, current));
    ASSERT_EQ(details.size(), 14u);
    EXPECT_EQ(details[0].name, "1. Model :");
    EXPECT_EQ(details[0].value, "Apple iPod");
    EXPECT_EQ(details[2].value, "USB");
    EXPECT_EQ(details[3].name, "4. Capacity(size) :");
    EXPECT_EQ(details[6].name, "7. Sectors :");
    EXPECT_EQ(details[6].value, "16128000");
    EXPECT_EQ(details[11].value, "000A27001B2C");
    EXPECT_EQ(details[12].value, "workbench");
    EXPECT_EQ(details[13].name, "14. Physical Device ID :");
    EXPECT_EQ(current.modelText, "Apple iPod");
    EXPECT_EQ(current.totalSectors64, 16128000u);
    EXPECT_EQ(current.headsText, "255");
    EXPECT_FALSE(ShowDiskDetails(inventory, 5, details, current));
    EXPECT_TRUE(details.empty());
}

TEST_F(FakeSysfs, AddedImagesFollowTheDevices) {
    auto options = Options();
    const auto image = test::CraftedImage(std::vector<std::uint8_t>(100 * 512));
    options.images = {image->path()};
    DriveSlots slots;
    const DiskInventory inventory = TakeDiskInventory(options, slots);
    ASSERT_EQ(inventory.disks.size(), 3u);
    EXPECT_EQ(inventory.disks[2].mediaType, "Disk Image");
    EXPECT_EQ(inventory.disks[2].totalSectors, 100u);
    EXPECT_EQ(DeviceItemText(inventory.disks[2]), "Disk Image (Disk2)");
    EXPECT_EQ(slots.path(2), image->path());
}

TEST_F(FakeSysfs, CapacityComesFromTheByteSizeWhateverTheLogicalSectorSize) {
    Write(root_ / "sys/block/mmcblk0/queue/logical_block_size", "4096");
    DriveSlots slots;
    const DiskInventory inventory = TakeDiskInventory(Options(), slots);
    DetailsList details;
    CurrentDisk current;
    ASSERT_TRUE(ShowDiskDetails(inventory, 0, details, current));
    // 62333952 units of 512 bytes are 30436.5 MiB, 4096-byte sectors or not.
    EXPECT_EQ(details[3].value, "30436 MB");
    EXPECT_EQ(details[7].value, "4096");
    EXPECT_EQ(current.sizeMegabytes, 30436);
    EXPECT_EQ(current.totalSectors64, 62333952u);
    ASSERT_TRUE(UnsupportedSectorSizeMessage(inventory.disks[0]));
    EXPECT_EQ(*UnsupportedSectorSizeMessage(inventory.disks[0]),
              "Disk0 (/dev/mmcblk0) has 4096-byte logical sectors; only disks with 512-byte "
              "sectors can be read yet.");
    EXPECT_FALSE(UnsupportedSectorSizeMessage(inventory.disks[1]));  // the iPod: 512
    ASSERT_TRUE(ShowDiskDetails(inventory, 1, details, current));
    EXPECT_EQ(details[3].value, "7875 MB");  // 16128000 x 512 bytes
    EXPECT_EQ(FindDisk(inventory, 1), &inventory.disks[1]);
    EXPECT_EQ(FindDisk(inventory, 7), nullptr);
}

TEST(DiskDescription, ImageCapacityKeepsTheLastPartialCylinder) {
    const auto image = test::CraftedImage(std::vector<std::uint8_t>(20 * 1048576));
    const DiskDescription disk = DescribeImage(image->path(), 0);
    EXPECT_EQ(disk.sizeInBytes, 20u * 1048576u);
    EXPECT_EQ(CapacityMegabytes(disk), 20);
    EXPECT_EQ(CurrentDiskValues(disk).sizeText, "20 MB");
    EXPECT_FALSE(UnsupportedSectorSizeMessage(disk));
}

TEST(DiskDescription, SampleDiskIsNoSmallerThanItsPartition) {
    const auto image = test::SampleImage("music-player");
    const DiskDescription disk = DescribeImage(image->path(), 0);
    // 83968 sectors: 41 MiB; the partition alone is 40 MiB.
    EXPECT_EQ(CapacityMegabytes(disk), 41);
}

TEST(DiskDescription, ImageNameStandsForTheModelCutToWhatALogCarries) {
    const auto dir = test::MakeTempDir("names");
    const std::string name = std::string(47, 'a') + "\xC3\xA9\xC3\xA9.img";  // 47 + 2 + 2 + 4 bytes
    const auto path = dir / name;
    std::ofstream(path) << std::string(512, '\0');
    const DiskDescription disk = DescribeImage(path.string(), 0);
    EXPECT_EQ(disk.model, std::string(47, 'a') + "\xC3\xA9");  // 49 bytes, no broken character
    EXPECT_EQ(DescribeImage((dir / "card.img").string(), 0).model, "card.img");
    fs::remove_all(dir);
}

TEST(DiskDescription, SizeComesFromTheGeometryCutToWholeMegabytes) {
    DiskDescription disk;
    disk.totalCylinders = 1024;
    disk.totalHeads = 255;
    disk.sectorsPerTrack = 63;
    disk.bytesPerSector = 512;
    EXPECT_EQ(GeometrySizeMegabytes(disk), 8032);
}

TEST(DiskDescription, CardReaderMediaIsNamedRemovableMedia) {
    DiskDescription disk;
    disk.index = 4;
    disk.mediaType = "Removable media other than floppy";
    EXPECT_EQ(DeviceItemText(disk), "Removable Media (Disk4)");
    EXPECT_TRUE(IsOfferedDisk(disk));
    disk.mediaType = "Fixed hard disk media";
    EXPECT_FALSE(IsOfferedDisk(disk));
}

}  // namespace
}  // namespace datrevo
