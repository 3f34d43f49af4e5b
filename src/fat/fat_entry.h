// The 32-byte FAT directory entry: its raw layout and pure decoders.
//
// Short entry (little-endian):
//   0   8  name, blank-padded; 0x00 = end of directory, 0xE5 = deleted
//   8   3  extension, blank-padded
//   11  1  attributes: 0x0F long-name entry, 0x10 directory, 0x08 volume label
//   12  1  case flags: 0x08 name, 0x10 extension written in small letters
//   20  2  high word of the first cluster (FAT32 only)
//   22  2  time of last write (FAT time word)
//   24  2  date of last write (FAT date word)
//   26  2  low word of the first cluster
//   28  4  size in bytes
// Long-name entry (attribute 0x0F):
//   0   1  sequence number; 0x40 marks the entry holding the name's end
//   1..31  thirteen UTF-16 units at 1, 3, 5, 7, 9, 14, 16, 18, 20, 22, 24, 28, 30
//   13  1  checksum of the 11 bytes of the short name it belongs to
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "base/byte_view.h"
#include "fat/fat_kind.h"

namespace datrevo {

namespace fat_dirent {
inline constexpr std::size_t kSize = 32;
inline constexpr std::size_t kName = 0;
inline constexpr std::size_t kNameLength = 8;
inline constexpr std::size_t kExtension = 8;
inline constexpr std::size_t kExtensionLength = 3;
inline constexpr std::size_t kAttributes = 11;
inline constexpr std::size_t kCaseFlags = 12;
inline constexpr std::uint8_t kLowerCaseName = 0x08;
inline constexpr std::uint8_t kLowerCaseExtension = 0x10;
inline constexpr std::size_t kClusterHigh = 20;
inline constexpr std::size_t kTime = 22;
inline constexpr std::size_t kDate = 24;
inline constexpr std::size_t kClusterLow = 26;
inline constexpr std::size_t kFileSize = 28;

inline constexpr std::uint8_t kEndOfDirectory = 0x00;
inline constexpr std::uint8_t kDeletedMark = 0xE5;
inline constexpr std::uint8_t kAttrVolumeLabel = 0x08;
inline constexpr std::uint8_t kAttrDirectory = 0x10;
inline constexpr std::uint8_t kAttrLongName = 0x0F;

inline constexpr std::size_t kLongSequence = 0;
inline constexpr std::size_t kLongChecksum = 13;
inline constexpr std::uint8_t kLongLastFlag = 0x40;
inline constexpr std::size_t kLongUnitsPerEntry = 13;
inline constexpr std::array<std::size_t, kLongUnitsPerEntry> kLongUnitOffsets = {
    1, 3, 5, 7, 9, 14, 16, 18, 20, 22, 24, 28, 30};
}  // namespace fat_dirent

inline bool IsEndOfDirectory(ByteView entry) {
    return entry.u8(fat_dirent::kName) == fat_dirent::kEndOfDirectory;
}
// The "." and ".." entries: a '.' first and a blank fourth byte.
inline bool IsDotEntry(ByteView entry) { return entry.u8(0) == '.' && entry.u8(3) == ' '; }
inline bool IsLongNameEntry(ByteView entry) {
    return entry.u8(fat_dirent::kAttributes) == fat_dirent::kAttrLongName;
}

// First cluster: the low word on FAT16; high word x 65536 + low word on FAT32.
std::uint32_t EntryFirstCluster(ByteView entry, FatKind kind);

// A sector that begins with a directory's "." entry followed by its ".."
// entry: the first sector of a directory cluster.
bool IsDirectorySector(ByteView sector);

struct ShortName {
    std::string text;  // UTF-8
    bool deleted = false;
};

// The 8.3 name: the eight name bytes without their blanks, then '.' and the
// extension bytes without blanks when the extension's first byte is not
// blank. Bytes are code page 437. A deleted entry's lost first byte (0xE5)
// shows as '_'. The name ends at a NUL byte.
ShortName ReadShortName(ByteView entry);

// The checksum a long-name entry carries of its short entry's 11 name bytes,
// with `firstByte` in place of the first one.
std::uint8_t ShortNameChecksum(ByteView entry, std::uint8_t firstByte);

// False for a name holding a control character (U+0001..U+001F) or one of
// " \ / ? * < > |; every other character is accepted.
bool IsAcceptableName(std::string_view utf8Name);

// The long name of the short entry at `entryOffset` of `directory` (the
// entries of one directory in their on-disk order), assembled from the
// long-name entries before it. Only entries whose checksum matches the short
// entry count. A deleted short entry has lost its first byte; the bytes its
// long name allows stand in for it: the name's first character upper-cased,
// or the first character its short form keeps (leading dots and blanks
// dropped, characters a short name cannot hold as '_'). Nothing when no entry
// belongs to it.
std::optional<std::string> ReadLongName(ByteView directory, std::size_t entryOffset);

}  // namespace datrevo
