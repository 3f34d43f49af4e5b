// exFAT entry sets from crafted bytes: names, lengths, chains, times, the
// set checksum, deleted sets, and sets that do not hold together.
#include <gtest/gtest.h>

#include "exfat/exfat_entry_set.h"
#include "exfat/exfat_time.h"
#include "exfat_test_support.h"

namespace datrevo {
namespace {

using test::CraftedSet;

TEST(ExfatEntrySet, DecodesNameLengthsAndChainFlag) {
    CraftedSet crafted;
    crafted.name = u"A rather long file name that spans several name entries.mp3";
    crafted.streamFlags = 0x01;  // FAT chain
    crafted.firstCluster = 77;
    crafted.dataLength = 9000;
    crafted.validDataLength = 4096;
    const std::vector<std::uint8_t> bytes = crafted.bytes();
    const ExfatSetDecode decoded = DecodeExfatEntrySet(bytes);
    ASSERT_EQ(decoded.outcome, ExfatDecode::Decoded) << decoded.reason;
    EXPECT_EQ(decoded.set.name, "A rather long file name that spans several name entries.mp3");
    EXPECT_EQ(decoded.set.entryCount, 2u + 4u);
    EXPECT_FALSE(decoded.set.noFatChain);
    EXPECT_FALSE(decoded.set.deleted);
    EXPECT_EQ(decoded.set.firstCluster, 77u);
    EXPECT_EQ(decoded.set.dataLength, 9000u);
    EXPECT_EQ(decoded.set.validDataLength, 4096u);
}

TEST(ExfatEntrySet, NonAsciiNamesBecomeUtf8) {
    CraftedSet crafted;
    crafted.name = u"Привет \U0001F3B5 日本.mp3";  // a surrogate pair among them
    const ExfatSetDecode decoded = DecodeExfatEntrySet(crafted.bytes());
    ASSERT_EQ(decoded.outcome, ExfatDecode::Decoded) << decoded.reason;
    EXPECT_EQ(decoded.set.name, "Привет \xF0\x9F\x8E\xB5 日本.mp3");
}

TEST(ExfatEntrySet, DeletedSetKeepsItsNameAndChecksum) {
    CraftedSet crafted;
    crafted.name = u"old notes.txt";
    const std::vector<std::uint8_t> bytes = crafted.bytes(true);
    ASSERT_EQ(bytes[0], 0x05);
    ASSERT_EQ(bytes[32], 0x40);
    ASSERT_EQ(bytes[64], 0x41);
    const ExfatSetDecode decoded = DecodeExfatEntrySet(bytes);
    ASSERT_EQ(decoded.outcome, ExfatDecode::Decoded) << decoded.reason;
    EXPECT_TRUE(decoded.set.deleted);
    EXPECT_EQ(decoded.set.name, "old notes.txt");
}

TEST(ExfatEntrySet, BadSetChecksumIsDamaged) {
    std::vector<std::uint8_t> bytes = CraftedSet{}.bytes();
    bytes[64 + 2] ^= 0x01;  // one letter of the name
    const ExfatSetDecode decoded = DecodeExfatEntrySet(bytes);
    EXPECT_EQ(decoded.outcome, ExfatDecode::Damaged);
    EXPECT_NE(decoded.reason.find("checksum"), std::string::npos) << decoded.reason;
}

TEST(ExfatEntrySet, SetsThatDoNotHoldTogetherAreDamaged) {
    const std::vector<std::uint8_t> good = CraftedSet{}.bytes();
    // Half deleted: a new set took the File entry's slot only.
    std::vector<std::uint8_t> mixed = good;
    mixed[32] = 0x40;
    EXPECT_EQ(DecodeExfatEntrySet(mixed).outcome, ExfatDecode::Damaged);
    // Cut short at the end of the directory.
    EXPECT_EQ(DecodeExfatEntrySet(std::span<const std::uint8_t>(good.data(), 64)).outcome,
              ExfatDecode::Damaged);
    // SecondaryCount outside 2..18.
    std::vector<std::uint8_t> count = good;
    count[1] = 1;
    EXPECT_EQ(DecodeExfatEntrySet(count).outcome, ExfatDecode::Damaged);
    count[1] = 19;
    EXPECT_EQ(DecodeExfatEntrySet(count).outcome, ExfatDecode::Damaged);
    // A name longer than its File Name entries hold.
    std::vector<std::uint8_t> name = good;
    name[32 + 3] = 16;
    EXPECT_EQ(DecodeExfatEntrySet(name).outcome, ExfatDecode::Damaged);
    name[32 + 3] = 0;
    EXPECT_EQ(DecodeExfatEntrySet(name).outcome, ExfatDecode::Damaged);
}

TEST(ExfatEntrySet, ValidDataLengthAboveDataLengthIsDamaged) {
    CraftedSet crafted;
    crafted.dataLength = 100;
    crafted.validDataLength = 101;
    const ExfatSetDecode decoded = DecodeExfatEntrySet(crafted.bytes());
    EXPECT_EQ(decoded.outcome, ExfatDecode::Damaged);
    EXPECT_NE(decoded.reason.find("ValidDataLength"), std::string::npos);
}

TEST(ExfatEntrySet, OtherEntriesAreNotThis) {
    std::vector<std::uint8_t> bytes = CraftedSet{}.bytes();
    for (int type : {0x00, 0x81, 0x82, 0x83, 0xC0, 0xC1, 0x40}) {
        bytes[0] = static_cast<std::uint8_t>(type);
        EXPECT_EQ(DecodeExfatEntrySet(bytes).outcome, ExfatDecode::NotThis) << type;
    }
}

TEST(ExfatTimestamps, TenMillisecondPartAndUtcOffset) {
    // 2021-03-04 05:06:06 stored, plus 1.23 s, written at UTC+02:00.
    const std::uint32_t stamp = (41u << 25) | (3u << 21) | (4u << 16) | (5u << 11) | (6u << 5) | 3u;
    const ExfatTime t = DecodeExfatTime(stamp, 123, 0x80 | 8);
    EXPECT_EQ(t.year(), 2021);
    EXPECT_EQ(t.month(), 3);
    EXPECT_EQ(t.day(), 4);
    EXPECT_EQ(t.hour(), 5);
    EXPECT_EQ(t.minute(), 6);
    EXPECT_EQ(t.second(), 7);
    EXPECT_EQ(t.centiseconds(), 23);
    EXPECT_TRUE(t.utcOffsetValid);
    EXPECT_EQ(t.utcOffsetMinutes, 120);
    std::int64_t unix = 0;
    ASSERT_TRUE(ExfatTimeToUnix(t, unix));
    EXPECT_EQ(unix, 1614834367 - 2 * 3600);  // 2021-03-04 05:06:07 UTC, two hours earlier
}

TEST(ExfatTimestamps, NegativeOffsetsInvalidOffsetsAndBadIncrements) {
    const std::uint32_t stamp = (41u << 25) | (3u << 21) | (4u << 16);
    const ExfatTime west = DecodeExfatTime(stamp, 0, 0x80 | 0x7C);  // -4 * 15 minutes
    EXPECT_EQ(west.utcOffsetMinutes, -60);
    const ExfatTime noOffset = DecodeExfatTime(stamp, 250, 0x7C);
    EXPECT_FALSE(noOffset.utcOffsetValid);
    EXPECT_EQ(noOffset.tenMs, 0);  // above 199 counts as 0
    std::int64_t unix = 0;
    EXPECT_FALSE(ExfatTimeToUnix(DecodeExfatTime(0, 0, 0), unix));  // month 0
}

TEST(ExfatRootEntries, BitmapUpcaseAndLabel) {
    std::vector<std::uint8_t> entry(32, 0);
    entry[0] = 0x81;
    entry[20] = 2;
    entry[24] = 192;
    ExfatAllocationBitmapEntry bitmap;
    ASSERT_EQ(DecodeExfatClusterEntry(entry, exfat_entry::kAllocationBitmap, bitmap),
              ExfatDecode::Decoded);
    EXPECT_EQ(bitmap.firstCluster, 2u);
    EXPECT_EQ(bitmap.dataLength, 192u);
    EXPECT_EQ(DecodeExfatClusterEntry(entry, exfat_entry::kUpcaseTable, bitmap),
              ExfatDecode::NotThis);

    std::vector<std::uint8_t> label(32, 0);
    label[0] = 0x83;
    label[1] = 3;
    label[2] = 'S';
    label[4] = 'D';
    label[6] = 'X';
    std::string text;
    ASSERT_EQ(DecodeExfatVolumeLabel(label, text), ExfatDecode::Decoded);
    EXPECT_EQ(text, "SDX");
    label[1] = 12;
    EXPECT_EQ(DecodeExfatVolumeLabel(label, text), ExfatDecode::Damaged);
}

}  // namespace
}  // namespace datrevo
