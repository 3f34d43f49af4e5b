// LZNT1: the compression NTFS uses for the data of compressed files.
//
// A compressed attribute is cut into compression units of 2^n clusters
// (n = 4 in every volume Windows writes: 16 clusters). The stored form of one
// unit is a sequence of chunks, each standing for 4096 bytes of the unit:
//
//   chunk header (16 bits, little-endian)
//     bits 0-11   size of the chunk's data minus 1 (the header not counted)
//     bits 12-14  signature (3)
//     bit  15     1: the data is compressed; 0: it is the 4096 bytes as they are
//   A header of 0 ends the unit's chunks.
//
// Compressed chunk data is a sequence of groups: a flag byte, then up to eight
// items, bit i of the flag byte telling item i apart: 0 a literal byte, 1 a
// 16-bit little-endian back-reference. A back-reference splits into an offset
// (high bits, stored minus 1) and a length (low bits, stored minus 3); the
// split depends on how many bytes the chunk has produced so far (p): the
// offset takes 4 bits while p <= 16 and one bit more each time p passes the
// next power of two, up to 12 bits, and the length takes the rest.
// A chunk that produces fewer than 4096 bytes is followed by zeros up to the
// next chunk.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace datrevo {

inline constexpr std::size_t kLznt1ChunkSize = 4096;

namespace lznt1_header {
inline constexpr std::uint16_t kSizeMask = 0x0FFF;    // data size - 1
inline constexpr std::uint16_t kCompressed = 0x8000;  // the data is compressed
}  // namespace lznt1_header

enum class Lznt1Status {
    Decoded,  // every chunk decoded; `produced` bytes written
    Damaged,  // a chunk runs past the input, refers before its start or would
              // overflow the output; the bytes decoded before it were written
};

struct Lznt1Result {
    Lznt1Status status = Lznt1Status::Decoded;
    std::size_t produced = 0;  // bytes written to the front of the output
};

// Decodes the chunks of one compression unit from `in` into `out` (the
// unit's size). Never reads outside `in` nor writes outside `out`; bytes of
// `out` past `produced` are left as they were.
Lznt1Result DecompressLznt1(std::span<const std::uint8_t> in, std::span<std::uint8_t> out);

}  // namespace datrevo
