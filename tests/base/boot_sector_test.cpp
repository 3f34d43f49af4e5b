// One classifier of boot sectors for the partition table, the lost-partition
// search and both Advance searches.
#include <gtest/gtest.h>

#include <array>
#include <cstring>

#include "base/boot_sector.h"

namespace datrevo {
namespace {

using Sector = std::array<std::uint8_t, 512>;

Sector Signed() {
    Sector sector{};
    sector[510] = 0x55;
    sector[511] = 0xAA;
    return sector;
}

void Put(Sector& sector, std::size_t at, const char* text) {
    std::memcpy(sector.data() + at, text, std::strlen(text));
}

BootSectorClass Classify(const Sector& sector, FatTextRule rule) {
    return ClassifyBootSector(ByteView(sector.data(), sector.size()), rule);
}

TEST(BootSectorClassifier, SignatureIsReportedBesideTheKind) {
    Sector sector{};
    Put(sector, 3, "NTFS    ");
    const BootSectorClass unsigned_ = Classify(sector, FatTextRule::WholeName);
    EXPECT_FALSE(unsigned_.signature);
    EXPECT_EQ(unsigned_.kind, BootSectorKind::Ntfs);
    sector[510] = 0x55;
    EXPECT_FALSE(HasBootSignature(ByteView(sector.data(), sector.size())));
    sector[511] = 0xAA;
    EXPECT_TRUE(Classify(sector, FatTextRule::WholeName).signature);
}

TEST(BootSectorClassifier, WholeNamesAndDigitsAreTheTwoFatRules) {
    Sector fat32 = Signed();
    Put(fat32, 82, "FAT32   ");
    EXPECT_EQ(Classify(fat32, FatTextRule::WholeName).kind, BootSectorKind::Fat32);
    EXPECT_EQ(Classify(fat32, FatTextRule::Digits).kind, BootSectorKind::Fat32);

    // Only the digits: the lost-partition and Advance searches take it, the
    // partition table does not.
    Sector digits = Signed();
    Put(digits, 85, "32");
    EXPECT_EQ(Classify(digits, FatTextRule::WholeName).kind, BootSectorKind::None);
    EXPECT_EQ(Classify(digits, FatTextRule::Digits).kind, BootSectorKind::Fat32);

    Sector fat16 = Signed();
    Put(fat16, 54, "FAT16   ");
    EXPECT_EQ(Classify(fat16, FatTextRule::WholeName).kind, BootSectorKind::Fat16);
    EXPECT_EQ(Classify(fat16, FatTextRule::Digits).kind, BootSectorKind::Fat16);
    EXPECT_TRUE(Classify(fat16, FatTextRule::Digits).isFat());
}

TEST(BootSectorClassifier, ExfatComesFirstAndFatComesBeforeNtfs) {
    // exFAT's own fields may hold "32" at 85: its name decides first.
    Sector exfat = Signed();
    Put(exfat, 3, "EXFAT   ");
    Put(exfat, 85, "32");
    EXPECT_EQ(Classify(exfat, FatTextRule::Digits).kind, BootSectorKind::Exfat);
    EXPECT_FALSE(Classify(exfat, FatTextRule::Digits).isFat());

    Sector both = Signed();
    Put(both, 3, "NTFS    ");
    Put(both, 82, "FAT32");
    EXPECT_EQ(Classify(both, FatTextRule::WholeName).kind, BootSectorKind::Fat32);

    Sector ntfs = Signed();
    Put(ntfs, 3, "NTFS    ");
    EXPECT_EQ(Classify(ntfs, FatTextRule::Digits).kind, BootSectorKind::Ntfs);
}

TEST(BootSectorClassifier, NtfsNameWinsOverFatDigitsInsideItsOwnFields) {
    // Bytes 56-63 of an NTFS boot sector are the $MFTMirr cluster number, 80-83
    // the index block size and 84 on its boot code: "16" at 57 is the cluster
    // 0x363100 + n, a real value on a volume with its mirror half way in.
    Sector ntfs = Signed();
    Put(ntfs, 3, "NTFS    ");
    Put(ntfs, 57, "16");
    EXPECT_EQ(Classify(ntfs, FatTextRule::Digits).kind, BootSectorKind::Ntfs);
    Put(ntfs, 85, "32");
    EXPECT_EQ(Classify(ntfs, FatTextRule::Digits).kind, BootSectorKind::Ntfs);
}

TEST(BootSectorClassifier, ShortBuffersAreNeverReadPast) {
    const std::array<std::uint8_t, 8> tiny = {0xEB, 0x52, 0x90, 'N', 'T', 'F', 'S', ' '};
    const BootSectorClass found =
        ClassifyBootSector(ByteView(tiny.data(), tiny.size()), FatTextRule::Digits);
    EXPECT_FALSE(found.signature);
    EXPECT_EQ(found.kind, BootSectorKind::Ntfs);
    EXPECT_EQ(ClassifyBootSector(ByteView(), FatTextRule::WholeName).kind, BootSectorKind::None);
}

}  // namespace
}  // namespace datrevo
