// Validation of an NTFS partition from its boot sector or from the backup at
// the end of the volume.
#include <gtest/gtest.h>

#include "ntfs_session.h"
#include "recovery/ntfs_layout.h"
#include "support/image_fixture.h"

namespace datrevo {
namespace {

using test::NtfsSession;

std::vector<std::uint8_t> DiskBytes() {
    return test::ReadGzip(std::string(DATREVO_FIXTURE_DIR) + "/images/ntfs-disk.img.gz");
}

TEST(NtfsValidation, ThePartitionOfTheFixtureDisk) {
    auto image = test::FixtureImage("ntfs-disk");
    NtfsSession session(image->path(), 2048, 2048 + 8192);
    ASSERT_TRUE(session.validate());
    EXPECT_EQ(session.layout.sectorsPerCluster, 8u);
    EXPECT_EQ(session.layout.cluster0Start, 2048u);
    // The log keeps the geometry in the layout fields, under the kind "NTFS".
    FatLayout stored;
    StoreNtfsGeometry(session.layout, stored);
    EXPECT_EQ(stored.kind, VolumeKind::Ntfs);
    EXPECT_GT(session.values.mftStart, 2048u);
    EXPECT_GT(session.values.mftMirrorStart, 2048u);
    EXPECT_EQ(session.values.recordSectors, 2u);
    EXPECT_EQ(session.values.indexBlockSectors, 8u);
}

TEST(NtfsValidation, ADamagedBootSectorFallsBackToTheBackup) {
    auto bytes = DiskBytes();
    std::fill_n(bytes.begin() + 2048 * 512, 512, 0);
    auto image = test::CraftedImage(bytes);
    NtfsSession session(image->path(), 2048, 2048 + 8192);
    ASSERT_TRUE(session.validate());
    EXPECT_EQ(session.layout.sectorsPerCluster, 8u);

    // Three sectors per cluster in the boot sector: the backup's value wins.
    auto odd = DiskBytes();
    odd[2048 * 512 + 13] = 3;
    auto oddImage = test::CraftedImage(odd);
    NtfsSession oddSession(oddImage->path(), 2048, 2048 + 8192);
    ASSERT_TRUE(oddSession.validate());
    EXPECT_EQ(oddSession.layout.sectorsPerCluster, 8u);
}

TEST(NtfsValidation, NoSoundCopyMeansInvalid) {
    auto bytes = DiskBytes();
    bytes[2048 * 512 + 13] = 3;
    bytes[(2048 + 8191) * 512 + 13] = 3;
    auto odd = test::CraftedImage(bytes);
    NtfsSession oddSession(odd->path(), 2048, 2048 + 8192);
    EXPECT_FALSE(oddSession.validate());
    EXPECT_EQ(oddSession.layout.sectorsPerCluster, 0u);

    auto zeroed = DiskBytes();
    std::fill_n(zeroed.begin() + 2048 * 512, 512, 0);
    std::fill_n(zeroed.begin() + (2048 + 8191) * 512, 512, 0);
    auto image = test::CraftedImage(zeroed);
    NtfsSession session(image->path(), 2048, 2048 + 8192);
    EXPECT_FALSE(session.validate());

    // A FAT partition is no NTFS volume.
    auto fat = test::FixtureImage("fat16");
    NtfsSession fatSession(fat->path());
    EXPECT_FALSE(fatSession.validate());
}

TEST(NtfsValidation, EveryPartitionOfThePublicAutodetectImages) {
    for (const char* member :
         {"10-ntfs-autodetect/10-ntfs-part1.dd", "10-ntfs-autodetect/10-ntfs-part2.dd",
          "10-ntfs-autodetect/10-ntfs-part3.dd"}) {
        auto image = test::PublicZipImage("dftt/10b-ntfs-autodetect.zip", member);
        if (!image) GTEST_SKIP() << "public images absent";
        NtfsSession session(image->path());
        EXPECT_TRUE(session.validate()) << member;
    }
    auto disk =
        test::PublicZipImage("dftt/10b-ntfs-autodetect.zip", "10-ntfs-autodetect/10-ntfs-disk.dd");
    for (const auto& [start, length] :
         {std::pair<std::uint64_t, std::uint64_t>{63, 96327}, {96390, 96390}}) {
        NtfsSession session(disk->path(), start, start + length);
        EXPECT_TRUE(session.validate()) << start;
    }
}

}  // namespace
}  // namespace datrevo
