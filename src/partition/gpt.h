// The GUID partition table, decoded from bytes: the header (at sector 1, its
// backup in the disk's last sector) and the array of partition entries it
// points at. Decoders only; gpt_table.h reads them from a disk.
//
// Header (little-endian; one sector):
//   0   8  signature "EFI PART"
//   8   4  revision
//   12  4  header size: the bytes the header CRC covers (92 up to a sector)
//   16  4  CRC-32 of those bytes, computed with this field as 0
//   24  8  the sector holding this header
//   32  8  the sector holding the other header (primary <-> backup)
//   40  8  first usable sector    48  8  last usable sector
//   56  16 disk GUID
//   72  8  first sector of the entry array
//   80  4  number of entries      84  4  size of one entry (128 x 2^n)
//   88  4  CRC-32 of the entry array (number x size bytes)
// Entry (little-endian; 128 bytes or more):
//   0   16 partition type GUID (all zero: the entry is unused)
//   16  16 unique partition GUID
//   32  8  first sector           40  8  last sector (inclusive)
//   48  8  attributes             56  72 name, 36 UTF-16LE units, 0-terminated
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "base/byte_view.h"

namespace datrevo {

namespace gpt_header {
inline constexpr std::size_t kSignature = 0;
inline constexpr std::size_t kHeaderSize = 12;
inline constexpr std::size_t kHeaderCrc = 16;
inline constexpr std::size_t kMyLba = 24;
inline constexpr std::size_t kAlternateLba = 32;
inline constexpr std::size_t kFirstUsableLba = 40;
inline constexpr std::size_t kLastUsableLba = 48;
inline constexpr std::size_t kEntriesLba = 72;
inline constexpr std::size_t kEntryCount = 80;
inline constexpr std::size_t kEntrySize = 84;
inline constexpr std::size_t kEntriesCrc = 88;
inline constexpr std::size_t kMinSize = 92;
inline constexpr const char* kSignatureText = "EFI PART";
}  // namespace gpt_header

namespace gpt_entry {
inline constexpr std::size_t kTypeGuid = 0;
inline constexpr std::size_t kUniqueGuid = 16;
inline constexpr std::size_t kFirstLba = 32;
inline constexpr std::size_t kLastLba = 40;
inline constexpr std::size_t kAttributes = 48;
inline constexpr std::size_t kName = 56;
inline constexpr std::size_t kNameUnits = 36;
inline constexpr std::size_t kMinSize = 128;
}  // namespace gpt_entry

// The MBR type of the one entry that covers a GPT disk (the protective MBR).
inline constexpr std::uint8_t kProtectiveMbrType = 0xEE;

// Bytes of an entry array read from a disk. Tools write 128 entries of 128
// bytes (16 KiB); 1 MiB holds 8192 such entries, far more than any real disk
// has, and bounds the read of a header that claims millions.
inline constexpr std::uint64_t kMaxGptEntryArrayBytes = std::uint64_t{1} << 20;

using Guid = std::array<std::uint8_t, 16>;

// Partition type GUIDs as they are stored (the first three groups
// little-endian): C12A7328-F81F-11D2-BA4B-00A0C93EC93B and
// EBD0A0A2-B9E5-4433-87C0-68B6B72699C7.
inline constexpr Guid kEfiSystemPartitionType = {0x28, 0x73, 0x2A, 0xC1, 0x1F, 0xF8, 0xD2, 0x11,
                                                 0xBA, 0x4B, 0x00, 0xA0, 0xC9, 0x3E, 0xC9, 0x3B};
inline constexpr Guid kBasicDataPartitionType = {0xA2, 0xA0, 0xD0, 0xEB, 0xE5, 0xB9, 0x33, 0x44,
                                                 0x87, 0xC0, 0x68, 0xB6, 0xB7, 0x26, 0x99, 0xC7};

enum class GptPartitionType { EfiSystem, BasicData, Unused, Other };
GptPartitionType ClassifyGptType(const Guid& type);

enum class GptDecode { Decoded, NotThis, Damaged };

struct GptHeader {
    std::uint64_t myLba = 0;
    std::uint64_t alternateLba = 0;
    std::uint64_t firstUsableLba = 0;
    std::uint64_t lastUsableLba = 0;
    std::uint64_t entriesLba = 0;
    std::uint32_t entryCount = 0;
    std::uint32_t entrySize = 0;
    std::uint32_t entriesCrc = 0;

    std::uint64_t entryArrayBytes() const {
        return static_cast<std::uint64_t>(entryCount) * entrySize;
    }
};

struct GptHeaderResult {
    GptDecode status = GptDecode::NotThis;
    GptHeader header;
    std::string reason;  // what is damaged, for the user
};

// Decodes the header in `sector`, which was read from sector `lba` of a disk
// of `diskSectors` sectors: NotThis without the signature; Damaged when the
// CRC, the sector it names for itself, the entry size or count, or the place
// of the entry array is not sound.
GptHeaderResult DecodeGptHeader(ByteView sector, std::uint64_t lba, std::uint64_t diskSectors);

struct GptEntry {
    std::uint32_t number = 0;  // from 1, in array order
    Guid typeGuid{};
    GptPartitionType type = GptPartitionType::Other;
    std::uint64_t firstLba = 0;
    std::uint64_t lastLba = 0;  // inclusive
    std::string name;           // UTF-8
};

struct GptEntriesResult {
    GptDecode status = GptDecode::NotThis;
    std::vector<GptEntry> entries;  // the used entries, in array order
    std::string reason;
};

// Decodes the entry array of `header` from `array` (at least
// entryArrayBytes() bytes): Damaged when it is short or its CRC differs.
// Entries whose last sector lies before their first are left out.
GptEntriesResult DecodeGptEntries(ByteView array, const GptHeader& header);

}  // namespace datrevo
