#include <gtest/gtest.h>

#include "base/byte_view.h"
#include "base/decimal.h"
#include "base/text_codec.h"

namespace datrevo {
namespace {

TEST(DecimalCells, UnsignedConversionWrapsNegativeAndSaturates) {
    EXPECT_EQ(ParseUnsigned32("-1"), 4294967295u);
    EXPECT_EQ(ParseUnsigned32("268435455"), 268435455u);
    EXPECT_EQ(ParseUnsigned32("99999999999"), 4294967295u);
    EXPECT_EQ(ParseUnsigned32(""), 0u);
    EXPECT_EQ(ParseUnsigned32("12abc"), 12u);  // stops at the first non-digit
    EXPECT_EQ(UnsignedText(static_cast<std::uint32_t>(-1)), "4294967295");
}

TEST(DecimalCells, SignedConversionsSaturateAtTheirRange) {
    EXPECT_EQ(ParseSigned32("4294967295"), 2147483647);
    EXPECT_EQ(ParseSigned32("-99999999999"), -2147483647 - 1);
    EXPECT_EQ(ParseSigned64("127000000000000000"), 127000000000000000);
    EXPECT_EQ(ParseSigned64("-9223372036854775808"), INT64_MIN);
    EXPECT_EQ(ParseSigned64("99999999999999999999999"), INT64_MAX);
    EXPECT_EQ(ParseSigned64(" -5"), -5);
}

TEST(ByteView, ReadsOutsideTheBufferGiveZeroNeverMemoryBeyond) {
    const std::uint8_t bytes[] = {0x01, 0x02, 0x03, 0x04, 0x05};
    const ByteView view(bytes, sizeof bytes);
    EXPECT_EQ(view.le32(0), 0x04030201u);
    EXPECT_EQ(view.le32(2), 0u);  // would run one byte past the end
    EXPECT_EQ(view.le16(3), 0x0504u);
    EXPECT_EQ(view.u8(5), 0u);
    EXPECT_EQ(view.le64(SIZE_MAX - 2), 0u);  // offset + width overflows
    EXPECT_FALSE(view.has(SIZE_MAX, 2));
    EXPECT_FALSE(view.matches(4, "\x05x"));
    EXPECT_EQ(view.sub(3, 9).size(), 0u);
}

TEST(TextCodec, Utf16NamesDecodeWithSurrogatePairs) {
    // "Ab", U+1F3B5 (musical note, a surrogate pair), "é".
    const std::uint8_t name[] = {'A', 0, 'b', 0, 0x3C, 0xD8, 0xB5, 0xDF, 0xE9, 0x00};
    EXPECT_EQ(Utf16LeToUtf8(name), "Ab\xF0\x9F\x8E\xB5\xC3\xA9");
    EXPECT_EQ(Utf8Length("Ab\xF0\x9F\x8E\xB5\xC3\xA9"), 4u);
}

TEST(TextCodec, AsciiNamesAndNamesWithOneWideUnitDecodeAlike) {
    const std::uint8_t ascii[] = {'a', 0, 0, 0, '~', 0, 'z'};  // odd length: the last byte is cut
    EXPECT_EQ(Utf16LeToUtf8(ascii), std::string("a\0~", 3));
    const std::uint8_t last[] = {'a', 0, 'b', 0, 0x80, 0};  // U+0080 at the end
    EXPECT_EQ(Utf16LeToUtf8(last), "ab\xC2\x80");
    const std::uint8_t high[] = {'a', 0, 'b', 1};  // U+0162
    EXPECT_EQ(Utf16LeToUtf8(high), "a\xC5\xA2");
    EXPECT_EQ(Utf16LeToUtf8({}), "");
}

TEST(TextCodec, UnpairedSurrogatesBecomeReplacementCharacters) {
    const std::uint8_t lone[] = {0x00, 0xD8, 'x', 0, 0x00, 0xDC};
    const std::string text = Utf16LeToUtf8(lone);
    EXPECT_EQ(text, "\xEF\xBF\xBDx\xEF\xBF\xBD");
    EXPECT_TRUE(IsValidUtf8(text));
}

TEST(TextCodec, ShortNamesAreCodePage437) {
    const std::uint8_t name[] = {'C', 'A', 'F', 0x90, 0x81, 0xE1};  // É ü ß
    EXPECT_EQ(Cp437ToUtf8(name), "CAF\xC3\x89\xC3\xBC\xC3\x9F");
}

TEST(TextCodec, RejectsMalformedUtf8) {
    EXPECT_TRUE(IsValidUtf8("plain"));
    EXPECT_FALSE(IsValidUtf8("\xC3"));          // cut sequence
    EXPECT_FALSE(IsValidUtf8("\xC0\x80"));      // overlong
    EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));  // surrogate
}

}  // namespace
}  // namespace datrevo
