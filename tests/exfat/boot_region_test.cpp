// The exFAT boot region: the fixture's values, the checksum sector, the
// backup region when the main one is damaged, and the fields refused.
#include <gtest/gtest.h>

#include <cstring>

#include "exfat/exfat_boot_region.h"
#include "exfat_test_support.h"
#include "support/image_fixture.h"

namespace datrevo {
namespace {

using test::CraftedImage;
using test::ExfatReaderFor;
using test::FixtureImage;

// The fixture's bytes, unpacked once for all the tests here.
std::vector<std::uint8_t> ExfatBytes() {
    static const std::vector<std::uint8_t> bytes =
        test::ReadGzip(std::string(DATREVO_FIXTURE_DIR) + "/images/exfat.img.gz");
    return bytes;
}

void Put32(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        bytes[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (8 * i));
}

// Rewrites the checksum sector of the region at `sector` after a change.
void Reseal(std::vector<std::uint8_t>& bytes, std::size_t sector) {
    const std::span<const std::uint8_t> region(bytes.data() + sector * 512, 12 * 512);
    const std::uint32_t sum = ExfatBootChecksum(region, 512);
    for (std::size_t i = 0; i < 512; i += 4) Put32(bytes, (sector + 11) * 512 + i, sum);
}

std::span<const std::uint8_t> Region(const std::vector<std::uint8_t>& bytes,
                                     std::size_t sector = 0) {
    return {bytes.data() + sector * 512, 12 * 512};
}

TEST(ExfatBootRegion, FixtureVolumeParameters) {
    const auto image = FixtureImage("exfat");
    const ExfatBootRead read = ReadExfatBootRegion(ExfatReaderFor(*image), 0);
    ASSERT_EQ(read.decode.outcome, ExfatDecode::Decoded) << read.decode.reason;
    EXPECT_FALSE(read.usedBackup);
    const ExfatBootSector& b = read.decode.boot;
    EXPECT_EQ(b.volumeLength, 16384u);
    EXPECT_EQ(b.fatOffset, 2048u);
    EXPECT_EQ(b.fatLength, 16u);
    EXPECT_EQ(b.clusterHeapOffset, 4096u);
    EXPECT_EQ(b.clusterCount, 1536u);
    EXPECT_EQ(b.rootCluster, 5u);
    EXPECT_EQ(b.bytesPerSector(), 512u);
    EXPECT_EQ(b.bytesPerCluster(), 4096u);
    EXPECT_EQ(b.numberOfFats, 1u);
}

TEST(ExfatBootRegion, ChecksumSectorMustRepeatTheSum) {
    std::vector<std::uint8_t> bytes = ExfatBytes();
    ASSERT_EQ(DecodeExfatBootRegion(Region(bytes)).outcome, ExfatDecode::Decoded);
    // A byte of the boot code changed: the sector still decodes, the region does not.
    bytes[200] ^= 0x5A;
    EXPECT_EQ(DecodeExfatBootSector(Region(bytes)).outcome, ExfatDecode::Decoded);
    const ExfatBootDecode region = DecodeExfatBootRegion(Region(bytes));
    EXPECT_EQ(region.outcome, ExfatDecode::Damaged);
    EXPECT_NE(region.reason.find("checksum"), std::string::npos) << region.reason;
    // VolumeFlags and PercentInUse change while mounted and are outside the sum.
    bytes[200] ^= 0x5A;
    bytes[exfat_boot::kVolumeFlags] ^= 0x02;
    bytes[exfat_boot::kPercentInUse] = 77;
    EXPECT_EQ(DecodeExfatBootRegion(Region(bytes)).outcome, ExfatDecode::Decoded);
}

TEST(ExfatBootRegion, BackupRegionUsedWhenTheMainOneIsGone) {
    std::vector<std::uint8_t> bytes = ExfatBytes();
    std::memset(bytes.data(), 0, 12 * 512);
    const auto image = CraftedImage(bytes);
    const ExfatBootRead read = ReadExfatBootRegion(ExfatReaderFor(*image), 0);
    ASSERT_EQ(read.decode.outcome, ExfatDecode::Decoded);
    EXPECT_TRUE(read.usedBackup);
    EXPECT_EQ(read.decode.boot.clusterCount, 1536u);
    EXPECT_EQ(read.decode.boot.rootCluster, 5u);
}

TEST(ExfatBootRegion, BackupRegionUsedWhenTheMainChecksumFails) {
    std::vector<std::uint8_t> bytes = ExfatBytes();
    bytes[11 * 512 + 3] ^= 1;
    const auto image = CraftedImage(bytes);
    const ExfatBootRead read = ReadExfatBootRegion(ExfatReaderFor(*image), 0);
    ASSERT_EQ(read.decode.outcome, ExfatDecode::Decoded);
    EXPECT_TRUE(read.usedBackup);
    EXPECT_NE(read.decode.reason.find("checksum"), std::string::npos);
}

TEST(ExfatBootRegion, BothRegionsDamagedIsDamagedWithBothReasons) {
    std::vector<std::uint8_t> bytes = ExfatBytes();
    bytes[11 * 512] ^= 1;
    bytes[23 * 512] ^= 1;
    const auto image = CraftedImage(bytes);
    const ExfatBootRead read = ReadExfatBootRegion(ExfatReaderFor(*image), 0);
    EXPECT_EQ(read.decode.outcome, ExfatDecode::Damaged);
    EXPECT_NE(read.decode.reason.find("backup"), std::string::npos) << read.decode.reason;
}

TEST(ExfatBootRegion, OtherFileSystemsAreNotThis) {
    std::vector<std::uint8_t> bytes(12 * 512, 0);
    EXPECT_EQ(DecodeExfatBootRegion(bytes).outcome, ExfatDecode::NotThis);
    std::memcpy(bytes.data() + 3, "NTFS    ", 8);
    EXPECT_EQ(DecodeExfatBootSector(bytes).outcome, ExfatDecode::NotThis);
    std::memcpy(bytes.data() + 3, "EXFAT   ", 8);
    EXPECT_EQ(DecodeExfatBootSector(std::span<const std::uint8_t>(bytes.data(), 100)).outcome,
              ExfatDecode::Damaged);
}

struct BadField {
    const char* name;
    std::size_t offset;
    int width;
    std::uint64_t value;
};

class ExfatBootLimits : public ::testing::TestWithParam<BadField> {};

TEST_P(ExfatBootLimits, FieldOutsideTheLimitsIsRefusedByName) {
    std::vector<std::uint8_t> bytes = ExfatBytes();
    const BadField& bad = GetParam();
    for (int i = 0; i < bad.width; ++i)
        bytes[bad.offset + static_cast<std::size_t>(i)] =
            static_cast<std::uint8_t>(bad.value >> (8 * i));
    Reseal(bytes, 0);
    const ExfatBootDecode decoded = DecodeExfatBootRegion(Region(bytes));
    EXPECT_EQ(decoded.outcome, ExfatDecode::Damaged);
    EXPECT_NE(decoded.reason.find(bad.name), std::string::npos) << decoded.reason;
}

INSTANTIATE_TEST_SUITE_P(
    Fields, ExfatBootLimits,
    ::testing::Values(
        BadField{"BytesPerSectorShift", exfat_boot::kBytesPerSectorShift, 1, 8},
        BadField{"BytesPerSectorShift", exfat_boot::kBytesPerSectorShift, 1, 13},
        BadField{"SectorsPerClusterShift", exfat_boot::kSectorsPerClusterShift, 1, 17},
        BadField{"NumberOfFats", exfat_boot::kNumberOfFats, 1, 3},
        BadField{"NumberOfFats", exfat_boot::kNumberOfFats, 1, 0},
        BadField{"VolumeLength", exfat_boot::kVolumeLength, 8, 100},
        BadField{"VolumeLength", exfat_boot::kVolumeLength, 8, ~std::uint64_t{0}},
        BadField{"FatOffset", exfat_boot::kFatOffset, 4, 10},
        BadField{"FatOffset", exfat_boot::kFatOffset, 4, 4090},
        BadField{"FatLength", exfat_boot::kFatLength, 4, 1},
        BadField{"ClusterCount", exfat_boot::kClusterCount, 4, 0},
        BadField{"ClusterCount", exfat_boot::kClusterCount, 4, 1537},
        BadField{"ClusterHeapOffset", exfat_boot::kClusterHeapOffset, 4, 0xFFFFFFFF},
        BadField{"FirstClusterOfRootDirectory", exfat_boot::kFirstClusterOfRootDirectory, 4, 1},
        BadField{"FirstClusterOfRootDirectory", exfat_boot::kFirstClusterOfRootDirectory, 4, 1538},
        BadField{"non-zero byte", 40, 1, 1},
        BadField{"signature", exfat_boot::kBootSignature, 2, 0}));

}  // namespace
}  // namespace datrevo
