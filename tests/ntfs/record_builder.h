// Crafting NTFS file records byte by byte for the corner cases no tool makes.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace datrevo::test {

class RecordBuilder {
public:
    RecordBuilder() {
        put(0, "FILE");
        put16(4, 48);  // update sequence array
        put16(6, 3);
        put16(20, 56);  // first attribute
        put32(28, 1024);
        next_ = 56;
        end();
    }
    std::array<std::uint8_t, 1024>& bytes() { return bytes_; }
    RecordBuilder& flags(std::uint8_t value) {
        bytes_[22] = value;
        return *this;
    }

    void put(std::size_t at, const std::string& text) {
        for (std::size_t i = 0; i < text.size(); ++i)
            bytes_[at + i] = static_cast<std::uint8_t>(text[i]);
    }
    void put16(std::size_t at, std::uint16_t v) {
        bytes_[at] = static_cast<std::uint8_t>(v & 0xFF);
        bytes_[at + 1] = static_cast<std::uint8_t>(v >> 8);
    }
    void put32(std::size_t at, std::uint32_t v) {
        put16(at, static_cast<std::uint16_t>(v & 0xFFFF));
        put16(at + 2, static_cast<std::uint16_t>(v >> 16));
    }
    void put64(std::size_t at, std::uint64_t v) {
        put32(at, static_cast<std::uint32_t>(v & 0xFFFFFFFF));
        put32(at + 4, static_cast<std::uint32_t>(v >> 32));
    }

    // A resident file-name attribute; `units` is the UTF-16 name.
    RecordBuilder& fileName(const std::u16string& units, std::uint8_t space,
                            std::uint32_t parent = 5,
                            std::uint64_t created = 132000000000000000ull) {
        const std::size_t content = 24;
        const std::size_t length = (content + 66 + units.size() * 2 + 7) / 8 * 8;
        std::size_t at = begin(0x30, length);
        put32(at + 16, static_cast<std::uint32_t>(66 + units.size() * 2));
        put16(at + 20, content);
        put64(at + content, parent);
        put64(at + content + 8, created);
        bytes_[at + content + 64] = static_cast<std::uint8_t>(units.size());
        bytes_[at + content + 65] = space;
        for (std::size_t i = 0; i < units.size(); ++i) put16(at + content + 66 + 2 * i, units[i]);
        return finish(length);
    }
    // A non-resident unnamed data attribute with a run list.
    RecordBuilder& nonResidentData(std::uint64_t size, const std::vector<std::uint8_t>& runs) {
        const std::size_t length = (64 + runs.size() + 1 + 7) / 8 * 8;
        std::size_t at = begin(0x80, length);
        bytes_[at + 8] = 1;
        put16(at + 32, 64);
        put64(at + 48, size);
        put64(at + 56, size);  // initialized size: all of it written
        for (std::size_t i = 0; i < runs.size(); ++i) bytes_[at + 64 + i] = runs[i];
        return finish(length);
    }
    RecordBuilder& residentData(std::uint32_t size) {
        const std::size_t length = (24 + size + 7) / 8 * 8;
        std::size_t at = begin(0x80, length);
        put32(at + 16, size);
        put16(at + 20, 24);
        return finish(length);
    }
    // A resident attribute list naming `records`.
    RecordBuilder& attributeList(const std::vector<std::uint32_t>& records) {
        const std::size_t length = 24 + records.size() * 32;
        std::size_t at = begin(0x20, length);
        put32(at + 16, static_cast<std::uint32_t>(records.size() * 32));
        put16(at + 20, 24);
        for (std::size_t i = 0; i < records.size(); ++i) {
            put32(at + 24 + 32 * i, 0x80);
            put16(at + 24 + 32 * i + 4, 32);
            put32(at + 24 + 32 * i + 16, records[i]);
        }
        return finish(length);
    }
    // The "$I30" index allocation whose first run starts at `cluster`.
    RecordBuilder& indexAllocation(std::uint32_t cluster) {
        std::size_t at = begin(0xA0, 88);
        bytes_[at + 8] = 1;
        bytes_[at + 9] = 4;
        put16(at + 10, 64);
        put16(at + 32, 72);
        const std::u16string name = u"$I30";
        for (std::size_t i = 0; i < 4; ++i) put16(at + 64 + 2 * i, name[i]);
        bytes_[at + 72] = 0x41;  // 1-byte length, 4-byte offset
        bytes_[at + 73] = 1;
        put32(at + 74, cluster);
        return finish(88);
    }

    std::size_t next() const { return next_; }

    // Moves the last two bytes of each sector into the update sequence
    // array and writes the sequence number there, as the disk holds it.
    RecordBuilder& seal(std::uint16_t sequence = 7) {
        put16(48, sequence);
        for (std::size_t sector = 0; sector < 2; ++sector) {
            const std::size_t end = 512 * sector + 510;
            bytes_[50 + 2 * sector] = bytes_[end];
            bytes_[51 + 2 * sector] = bytes_[end + 1];
            put16(end, sequence);
        }
        return *this;
    }

private:
    std::size_t begin(std::uint32_t type, std::size_t length) {
        put32(next_, type);
        put32(next_ + 4, static_cast<std::uint32_t>(length));
        return next_;
    }
    RecordBuilder& finish(std::size_t length) {
        next_ += length;
        end();
        return *this;
    }
    void end() { put32(next_, 0xFFFFFFFF); }

    std::array<std::uint8_t, 1024> bytes_{};
    std::size_t next_ = 0;
};

}  // namespace datrevo::test
