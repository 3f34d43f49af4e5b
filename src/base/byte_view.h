// Bounds-checked little-endian reads over bytes that came from the medium.
//
// Every on-disk structure is decoded through ByteView: a read that would fall
// outside the span yields 0 instead of touching memory past the buffer, and
// `has` lets a decoder check a field is present before it relies on it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace datrevo {

class ByteView {
public:
    ByteView() = default;
    explicit ByteView(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
    ByteView(const std::uint8_t* data, std::size_t size) : bytes_(data, size) {}

    std::size_t size() const { return bytes_.size(); }
    std::span<const std::uint8_t> span() const { return bytes_; }

    // True when `length` bytes starting at `offset` lie inside the view.
    bool has(std::size_t offset, std::size_t length) const {
        return offset <= bytes_.size() && length <= bytes_.size() - offset;
    }

    std::uint8_t u8(std::size_t offset) const { return has(offset, 1) ? bytes_[offset] : 0; }
    std::uint16_t le16(std::size_t offset) const {
        return static_cast<std::uint16_t>(readLittleEndian(offset, 2));
    }
    std::uint32_t le32(std::size_t offset) const {
        return static_cast<std::uint32_t>(readLittleEndian(offset, 4));
    }
    std::uint64_t le64(std::size_t offset) const { return readLittleEndian(offset, 8); }

    // Reads a little-endian unsigned integer of 1 to 8 bytes.
    std::uint64_t readLittleEndian(std::size_t offset, std::size_t width) const {
        if (width == 0 || width > 8 || !has(offset, width)) return 0;
        std::uint64_t value = 0;
        for (std::size_t i = width; i-- > 0;) value = (value << 8) | bytes_[offset + i];
        return value;
    }

    // True when the bytes at `offset` equal `text` exactly.
    bool matches(std::size_t offset, std::string_view text) const {
        if (!has(offset, text.size())) return false;
        for (std::size_t i = 0; i < text.size(); ++i)
            if (bytes_[offset + i] != static_cast<std::uint8_t>(text[i])) return false;
        return true;
    }

    // A sub-view; empty when the range is not inside this view.
    ByteView sub(std::size_t offset, std::size_t length) const {
        if (!has(offset, length)) return {};
        return ByteView(bytes_.subspan(offset, length));
    }

private:
    std::span<const std::uint8_t> bytes_;
};

}  // namespace datrevo
