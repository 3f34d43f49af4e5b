// The volume kind's texts: the recovery log, the catalogue's volume rows and
// the partition items store them, so each must stay exactly as it is and
// turn back into its kind.
#include <gtest/gtest.h>

#include "base/volume_kind.h"

namespace datrevo {
namespace {

constexpr VolumeKind kEveryKind[] = {VolumeKind::None,   VolumeKind::Fat12, VolumeKind::Fat16,
                                     VolumeKind::Fat32,  VolumeKind::Ntfs,  VolumeKind::Exfat,
                                     VolumeKind::Unknown};

TEST(VolumeKindText, TheStoredTextsAreTheLogFormatsOwn) {
    EXPECT_EQ(VolumeKindText(VolumeKind::Fat16), "FAT16");
    EXPECT_EQ(VolumeKindText(VolumeKind::Fat32), "FAT32");
    EXPECT_EQ(VolumeKindText(VolumeKind::Ntfs), "NTFS");
    EXPECT_EQ(VolumeKindText(VolumeKind::Fat12), "FAT12");
    EXPECT_EQ(VolumeKindText(VolumeKind::Exfat), "exFAT");
    EXPECT_EQ(VolumeKindText(VolumeKind::Unknown), "UNKNOWN");
    EXPECT_EQ(VolumeKindText(VolumeKind::None), "");
}

TEST(VolumeKindText, EveryKindComesBackFromItsText) {
    for (VolumeKind kind : kEveryKind)
        EXPECT_EQ(VolumeKindFromText(VolumeKindText(kind)), kind) << VolumeKindText(kind);
}

TEST(VolumeKindText, TextsAreComparedExactly) {
    EXPECT_EQ(VolumeKindFromText("ntfs"), VolumeKind::Unknown);
    EXPECT_EQ(VolumeKindFromText("FAT16 "), VolumeKind::Unknown);
    EXPECT_EQ(VolumeKindFromText("EXFAT"), VolumeKind::Unknown);
    EXPECT_EQ(VolumeKindFromText(""), VolumeKind::None);
}

TEST(VolumeKindText, OnlyFat16AndFat32AreForTheFatEngine) {
    for (VolumeKind kind : kEveryKind)
        EXPECT_EQ(IsFatKind(kind), kind == VolumeKind::Fat16 || kind == VolumeKind::Fat32)
            << VolumeKindText(kind);
}

}  // namespace
}  // namespace datrevo
