#include <gtest/gtest.h>

#include "log/log_decoder.h"
#include "log/log_encoder.h"
#include "log_samples.h"

namespace datrevo {
namespace {

using test::ByteSpeller;
using test::SampleFatLog;
using test::SampleHeader;
using test::SampleNtfsLog;

// The header of SampleHeader(kind), spelled field by field.
ByteSpeller SpelledHeader(const std::string& kind) {
    ByteSpeller out;
    out.text("VantorrelWIN7SR2009").le32(10).text("Apple iPod");
    out.u8(1).u8(2).u8(2).u8(1);
    out.u8(static_cast<std::uint8_t>(kind.size())).text(kind);
    out.u8(16).text("Standard Search ");
    out.le64(63).le64(0x1'0000'0010ull);
    for (std::uint32_t v : {245u, 8u, 32u, 533u, 32u, 1011u, 40u, 285u}) out.le32(v);
    for (int i = 0; i < 4; ++i) out.le32(0);
    for (std::uint32_t v : {245u, 8u, 32u, 533u, 32u, 1011u, 40u, 285u}) out.le32(v);
    for (int i = 0; i < 4; ++i) out.le32(0);
    out.u8(static_cast<std::uint8_t>(kind.size())).text(kind);
    return out;
}

TEST(LogLayout, FatLogEndsRightAfterTheLastFolderRecord) {
    LogContents contents = SampleHeader("FAT32");
    contents.folders = {{"DOCS", 3, 0, 0x3A65, 0x71C3, 1}};
    contents.files = {{"ignored.txt", 1, 2, 3, 4, 5, 0}};  // FAT logs carry no file rows

    ByteSpeller expected = SpelledHeader("FAT32");
    expected.le32(1);
    expected.le32(29).text("DOCS").le32(3).le32(0).le64(0x3A65).le64(0x71C3).u8(1);

    const EncodedLog encoded = EncodeRecoveryLog(contents);
    ASSERT_TRUE(encoded.ok()) << encoded.error;
    EXPECT_EQ(encoded.bytes, expected.bytes);
    // Fixed offsets: signature at 0, model length at 19, model text at 23.
    EXPECT_EQ(encoded.bytes[19], 10);
    EXPECT_EQ(encoded.bytes[23], 'A');
}

TEST(LogLayout, NtfsLogWithoutFoldersHasTheFileRowsRightAfterAZeroCount) {
    LogContents contents = SampleHeader("NTFS");
    contents.files = {
        {"big.avi", 6291700, 80, 5, 0x01C99DA3'12345678ll, 40960, 1},
        {"x", 0xFFFFFFFFu, 81, 5, 0, 0, 0},
    };
    ByteSpeller expected = SpelledHeader("NTFS");
    expected.le32(0);  // no folders
    expected.le32(2);
    expected.le32(7).text("big.avi").le32(6291700).le32(80).le32(5);
    expected.le64(0x01C99DA3'12345678ull).le32(40960).le32(1);
    expected.le32(1).text("x").le32(0xFFFFFFFFu).le32(81).le32(5).le64(0).le32(0).le32(0);

    const EncodedLog encoded = EncodeRecoveryLog(contents);
    ASSERT_TRUE(encoded.ok()) << encoded.error;
    EXPECT_EQ(encoded.bytes, expected.bytes);
}

TEST(LogLayout, EncodeThenDecodeGivesTheSameContents) {
    for (const LogContents& contents : {SampleNtfsLog(), SampleFatLog()}) {
        const EncodedLog encoded = EncodeRecoveryLog(contents);
        ASSERT_TRUE(encoded.ok());
        const DecodedLog decoded = DecodeRecoveryLog(encoded.bytes);
        ASSERT_EQ(decoded.status, LogDecodeStatus::Decoded) << decoded.problem;
        EXPECT_EQ(decoded.contents, contents);
    }
}

TEST(LogLayout, FiletimeAbove32BitsIsKeptWhole) {
    const DecodedLog decoded = DecodeRecoveryLog(EncodeRecoveryLog(SampleNtfsLog()).bytes);
    ASSERT_EQ(decoded.status, LogDecodeStatus::Decoded);
    EXPECT_EQ(decoded.contents.folders[0].dateValue, 0x01C99DA3'12345678ull);
    EXPECT_EQ(decoded.contents.files[1].date, 0x01CA0000'00000001ll);
    EXPECT_EQ(decoded.contents.files[1].size, 3000000000u);
}

TEST(LogSave, TextsLongerThanTheirFieldAreRefused) {
    LogContents longModel = SampleHeader("FAT16");
    longModel.modelText = std::string(50, 'M');
    EXPECT_FALSE(EncodeRecoveryLog(longModel).ok());
    longModel.modelText = std::string(49, 'M');
    EXPECT_TRUE(EncodeRecoveryLog(longModel).ok());

    LogContents longModeText = SampleHeader("FAT16");
    longModeText.searchModeText = std::string(50, 'S');
    EXPECT_FALSE(EncodeRecoveryLog(longModeText).ok());

    LogContents longName = SampleHeader("FAT16");
    longName.folders = {{std::string(256, 'a'), 3, 0, 0, 0, 0}};
    const EncodedLog refused = EncodeRecoveryLog(longName);
    EXPECT_FALSE(refused.ok());
    EXPECT_NE(refused.error.find("255"), std::string::npos);
    EXPECT_TRUE(refused.bytes.empty());
}

TEST(LogLoad, NamesAreLimitedTo255CharactersNotBytes) {
    std::string wide;
    for (int i = 0; i < 255; ++i) wide += "\xC3\xA9";  // 255 characters, 510 bytes
    LogContents contents = SampleHeader("NTFS");
    contents.folders = {{wide, 64, 5, 0, 0, 0}};
    DecodedLog decoded = DecodeRecoveryLog(EncodeRecoveryLog(contents).bytes);
    ASSERT_EQ(decoded.status, LogDecodeStatus::Decoded) << decoded.problem;
    EXPECT_EQ(decoded.contents.folders[0].name, wide);

    // 256 one-byte characters, spelled by hand since the encoder refuses them.
    ByteSpeller log = SpelledHeader("FAT32");
    log.le32(1).le32(256 + 25).text(std::string(256, 'a')).le32(3).le32(0).le64(0).le64(0).u8(0);
    decoded = DecodeRecoveryLog(log.bytes);
    EXPECT_EQ(decoded.status, LogDecodeStatus::Damaged);
}

TEST(LogLoad, EightBitNamesAreReadAsWindows1252) {
    ByteSpeller log = SpelledHeader("FAT32");
    log.le32(1).le32(5 + 25).text("Caf\xE9\x80").le32(3).le32(0).le64(0).le64(0).u8(0);
    const DecodedLog decoded = DecodeRecoveryLog(log.bytes);
    ASSERT_EQ(decoded.status, LogDecodeStatus::Decoded) << decoded.problem;
    EXPECT_EQ(decoded.contents.folders[0].name, "Caf\xC3\xA9\xE2\x82\xAC");
}

TEST(LogLoad, DamagedSignatureStillLoads) {
    std::vector<std::uint8_t> bytes = EncodeRecoveryLog(SampleFatLog()).bytes;
    for (int i = 0; i < 19; ++i) bytes[static_cast<std::size_t>(i)] = 'x';
    const DecodedLog decoded = DecodeRecoveryLog(bytes);
    ASSERT_EQ(decoded.status, LogDecodeStatus::Decoded);
    EXPECT_EQ(decoded.contents, SampleFatLog());
}

TEST(LogLoad, FolderRecordLengthBelowTheFixedPartIsDamage) {
    ByteSpeller log = SpelledHeader("FAT32");
    log.le32(1).le32(24).le32(3).le32(0).le64(0).le64(0).u8(0);
    EXPECT_EQ(DecodeRecoveryLog(log.bytes).status, LogDecodeStatus::Damaged);
}

}  // namespace
}  // namespace datrevo
