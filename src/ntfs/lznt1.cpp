#include "ntfs/lznt1.h"

#include <algorithm>

#include "base/byte_view.h"

namespace datrevo {
namespace {

// Decodes one compressed chunk into `out` (at most one chunk's room); false
// when the chunk is damaged. `made` is what was produced either way.
bool DecodeChunk(ByteView data, std::span<std::uint8_t> out, std::size_t& made) {
    std::size_t in = 0;
    std::size_t p = 0;
    while (in < data.size()) {
        const std::uint8_t flags = data.u8(in++);
        for (int bit = 0; bit < 8 && in < data.size(); ++bit) {
            if ((flags & (1u << bit)) == 0) {
                if (p >= out.size()) {
                    made = p;
                    return false;
                }
                out[p++] = data.u8(in++);
                continue;
            }
            if (!data.has(in, 2) || p == 0) {
                made = p;
                return false;
            }
            const std::uint16_t token = data.le16(in);
            in += 2;
            unsigned lengthBitsLost = 0;  // bits moved from the length to the offset
            for (std::size_t q = p - 1; q >= 0x10; q >>= 1) ++lengthBitsLost;
            const std::size_t length = (token & (0x0FFFu >> lengthBitsLost)) + 3u;
            const std::size_t offset = (std::size_t{token} >> (12u - lengthBitsLost)) + 1u;
            if (offset > p || length > out.size() - p) {
                made = p;
                return false;
            }
            // Byte by byte: the source may overlap what is being written.
            for (std::size_t k = 0; k < length; ++k, ++p) out[p] = out[p - offset];
        }
    }
    made = p;
    return true;
}

}  // namespace

Lznt1Result DecompressLznt1(std::span<const std::uint8_t> input, std::span<std::uint8_t> out) {
    const ByteView in(input);
    Lznt1Result result;
    std::size_t at = 0;
    while (in.has(at, 2)) {
        const std::uint16_t header = in.le16(at);
        if (header == 0) break;
        const std::size_t size = static_cast<std::size_t>(header & lznt1_header::kSizeMask) + 1;
        if (!in.has(at + 2, size)) {
            result.status = Lznt1Status::Damaged;
            return result;
        }
        const ByteView data = in.sub(at + 2, size);
        at += 2 + size;
        // A short chunk before this one stood for a whole chunk: zeros fill it.
        const std::size_t partial = result.produced % kLznt1ChunkSize;
        if (partial != 0) {
            const std::size_t fill =
                std::min(kLznt1ChunkSize - partial, out.size() - result.produced);
            std::fill_n(out.begin() + static_cast<std::ptrdiff_t>(result.produced), fill,
                        std::uint8_t{0});
            result.produced += fill;
        }
        if (result.produced >= out.size()) {
            result.status = Lznt1Status::Damaged;  // more chunks than the unit holds
            return result;
        }
        const std::span<std::uint8_t> room =
            out.subspan(result.produced, std::min(kLznt1ChunkSize, out.size() - result.produced));
        if ((header & lznt1_header::kCompressed) == 0) {
            if (size > room.size()) {
                result.status = Lznt1Status::Damaged;
                return result;
            }
            std::copy(data.span().begin(), data.span().end(), room.begin());
            result.produced += size;
            continue;
        }
        std::size_t made = 0;
        const bool ok = DecodeChunk(data, room, made);
        result.produced += made;
        if (!ok) {
            result.status = Lznt1Status::Damaged;
            return result;
        }
    }
    return result;
}

}  // namespace datrevo
