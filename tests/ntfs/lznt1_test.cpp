// The LZNT1 decoder on chunks crafted byte by byte: literals, overlapping
// back-references, the offset/length split that moves with the position,
// stored chunks, short chunks, and damaged input that must stay inside its
// buffers.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ntfs/lznt1.h"

namespace datrevo {
namespace {

using Bytes = std::vector<std::uint8_t>;

// A chunk header and its data: compressed or stored.
Bytes Chunk(const Bytes& data, bool compressed = true) {
    const auto header =
        static_cast<std::uint16_t>((compressed ? 0xB000 : 0x3000) | (data.size() - 1));
    Bytes out{static_cast<std::uint8_t>(header & 0xFF), static_cast<std::uint8_t>(header >> 8)};
    out.insert(out.end(), data.begin(), data.end());
    return out;
}

Bytes Join(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& part : parts) out.insert(out.end(), part.begin(), part.end());
    return out;
}

std::string Text(const Bytes& out, std::size_t from, std::size_t count) {
    return std::string(out.begin() + static_cast<std::ptrdiff_t>(from),
                       out.begin() + static_cast<std::ptrdiff_t>(from + count));
}

TEST(Lznt1, LiteralsAndAnOverlappingBackReference) {
    // "abc", then offset 3 length 9 (4 offset bits at position 3): token 0x2006.
    const Bytes in = Chunk({0x08, 'a', 'b', 'c', 0x06, 0x20});
    Bytes out(8192, 0xEE);
    const Lznt1Result result = DecompressLznt1(in, out);
    EXPECT_EQ(result.status, Lznt1Status::Decoded);
    ASSERT_EQ(result.produced, 12u);
    EXPECT_EQ(Text(out, 0, 12), "abcabcabcabc");
    EXPECT_EQ(out[12], 0xEE);  // nothing written past what was produced
}

TEST(Lznt1, OffsetTakesMoreBitsOncePositionPassesSixteen) {
    // 20 literals "ABCDEFGHIJKLMNOPQRST", then at position 20 (5 offset bits,
    // 11 length bits) offset 20 length 5: token (19 << 11) | 2 = 0x9802.
    // Read with the 4-bit split it would mean offset 10 length 2053.
    Bytes data;
    const std::string letters = "ABCDEFGHIJKLMNOPQRST";
    data.push_back(0x00);
    for (int i = 0; i < 8; ++i) data.push_back(static_cast<std::uint8_t>(letters[i]));
    data.push_back(0x00);
    for (int i = 8; i < 16; ++i) data.push_back(static_cast<std::uint8_t>(letters[i]));
    data.push_back(0x10);  // four literals, then a back-reference
    for (int i = 16; i < 20; ++i) data.push_back(static_cast<std::uint8_t>(letters[i]));
    data.push_back(0x02);
    data.push_back(0x98);
    Bytes out(4096);
    const Lznt1Result result = DecompressLznt1(Chunk(data), out);
    EXPECT_EQ(result.status, Lznt1Status::Decoded);
    ASSERT_EQ(result.produced, 25u);
    EXPECT_EQ(Text(out, 0, 25), letters + "ABCDE");
}

TEST(Lznt1, StoredChunkIsCopiedAndShortChunkIsFollowedByZerosUpToTheNext) {
    Bytes stored(4096);
    for (std::size_t i = 0; i < stored.size(); ++i) stored[i] = static_cast<std::uint8_t>(i * 7);
    // chunk 1: "xy" (compressed, 2 bytes); chunk 2: 4096 bytes as they are.
    const Bytes in = Join({Chunk({0x00, 'x', 'y'}), Chunk(stored, false), Bytes{0, 0}});
    Bytes out(8192, 0xEE);
    const Lznt1Result result = DecompressLznt1(in, out);
    EXPECT_EQ(result.status, Lznt1Status::Decoded);
    ASSERT_EQ(result.produced, 8192u);
    EXPECT_EQ(Text(out, 0, 2), "xy");
    for (std::size_t i = 2; i < 4096; ++i) ASSERT_EQ(out[i], 0) << i;
    EXPECT_TRUE(std::equal(stored.begin(), stored.end(), out.begin() + 4096));
}

TEST(Lznt1, EndMarkerAndSlackAfterItAreNotRead) {
    const Bytes in = Join({Chunk({0x00, 'o', 'k'}), Bytes{0, 0}, Chunk({0x00, 'n', 'o'})});
    Bytes out(4096);
    const Lznt1Result result = DecompressLznt1(in, out);
    EXPECT_EQ(result.status, Lznt1Status::Decoded);
    EXPECT_EQ(result.produced, 2u);
}

struct DamagedCase {
    const char* what;
    Bytes in;
    std::size_t outSize;
    std::size_t producedBefore;
};

class Lznt1Damaged : public ::testing::TestWithParam<DamagedCase> {};

TEST_P(Lznt1Damaged, IsReportedAndStaysInsideTheBuffers) {
    const DamagedCase& c = GetParam();
    // Exact-size heap buffers: the sanitizer catches any step outside them.
    Bytes in = c.in;
    Bytes out(c.outSize, 0xEE);
    const Lznt1Result result = DecompressLznt1(in, out);
    EXPECT_EQ(result.status, Lznt1Status::Damaged) << c.what;
    EXPECT_EQ(result.produced, c.producedBefore) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Chunks, Lznt1Damaged,
    ::testing::Values(
        // The header claims 0x100 bytes; 3 follow.
        DamagedCase{"chunk past the input", Bytes{0xFF, 0xB0, 0x00, 'a', 'b'}, 4096, 0},
        // A back-reference as the first item: nothing to refer to.
        DamagedCase{"reference at position 0", Chunk({0x01, 0x00, 0x00}), 4096, 0},
        // "a" then offset 2: one byte before the chunk's start.
        DamagedCase{"reference before the start", Chunk({0x02, 'a', 0x00, 0x10}), 4096, 1},
        // "a" then offset 1 length 4098: past the chunk's 4096 bytes.
        DamagedCase{"reference past the chunk", Chunk({0x02, 'a', 0xFF, 0x0F}), 4096, 1},
        // A token cut after its first byte.
        DamagedCase{"token cut short", Chunk({0x02, 'a', 0x05}), 4096, 1},
        // Two stored chunks into a one-chunk unit.
        DamagedCase{"more chunks than the unit holds",
                    Join({Chunk(Bytes(4096, 'p'), false), Chunk(Bytes(4096, 'q'), false)}), 4096,
                    4096},
        // A stored chunk larger than the room left.
        DamagedCase{"stored chunk past the output", Chunk(Bytes(4096, 'r'), false), 1000, 0}));

}  // namespace
}  // namespace datrevo
