// exFAT directory entries: 32-byte entries grouped into sets. A file or
// folder is a set: a File entry (0x85), its Stream Extension (0xC0) and 1-17
// File Name entries (0xC1), with a 16-bit checksum over the whole set in the
// File entry. The root directory also holds the Allocation Bitmap (0x81),
// Up-case Table (0x82) and Volume Label (0x83) entries.
//
// Bit 7 of the entry type is the in-use bit: a deleted set has it cleared in
// every entry (0x05, 0x40, 0x41) and keeps everything else, checksum included.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "exfat/exfat_boot_region.h"
#include "exfat/exfat_time.h"

namespace datrevo {

namespace exfat_entry {
inline constexpr std::size_t kSize = 32;
inline constexpr std::size_t kType = 0;

inline constexpr std::uint8_t kEndOfDirectory = 0x00;
inline constexpr std::uint8_t kInUse = 0x80;
inline constexpr std::uint8_t kAllocationBitmap = 0x81;
inline constexpr std::uint8_t kUpcaseTable = 0x82;
inline constexpr std::uint8_t kVolumeLabel = 0x83;
inline constexpr std::uint8_t kFile = 0x85;
inline constexpr std::uint8_t kStreamExtension = 0xC0;
inline constexpr std::uint8_t kFileName = 0xC1;
}  // namespace exfat_entry

// File entry (0x85).
namespace exfat_file {
inline constexpr std::size_t kSecondaryCount = 1;      // 1: 2..18
inline constexpr std::size_t kSetChecksum = 2;         // 2
inline constexpr std::size_t kFileAttributes = 4;      // 2
inline constexpr std::size_t kCreateTimestamp = 8;     // 4
inline constexpr std::size_t kModifiedTimestamp = 12;  // 4
inline constexpr std::size_t kAccessedTimestamp = 16;  // 4
inline constexpr std::size_t kCreate10ms = 20;         // 1
inline constexpr std::size_t kModified10ms = 21;       // 1
inline constexpr std::size_t kCreateUtcOffset = 22;    // 1
inline constexpr std::size_t kModifiedUtcOffset = 23;  // 1
inline constexpr std::size_t kAccessedUtcOffset = 24;  // 1
inline constexpr std::uint16_t kAttrDirectory = 0x10;
inline constexpr std::uint8_t kMinSecondaryCount = 2;   // a stream and one name
inline constexpr std::uint8_t kMaxSecondaryCount = 18;  // a stream and 17 names
}  // namespace exfat_file

// Stream Extension entry (0xC0); the Allocation Bitmap and Up-case Table
// entries keep FirstCluster and DataLength at the same offsets.
namespace exfat_stream {
inline constexpr std::size_t kFlags = 1;            // 1: GeneralSecondaryFlags
inline constexpr std::size_t kNameLength = 3;       // 1: UTF-16 units, 1..255
inline constexpr std::size_t kNameHash = 4;         // 2
inline constexpr std::size_t kValidDataLength = 8;  // 8
inline constexpr std::size_t kFirstCluster = 20;    // 4
inline constexpr std::size_t kDataLength = 24;      // 8
inline constexpr std::uint8_t kAllocationPossible = 0x01;
inline constexpr std::uint8_t kNoFatChain = 0x02;
}  // namespace exfat_stream

// File Name entry (0xC1).
namespace exfat_name {
inline constexpr std::size_t kFileName = 2;  // 30: 15 UTF-16 units
inline constexpr std::size_t kUnitsPerEntry = 15;
}  // namespace exfat_name

// Allocation Bitmap (0x81) and Volume Label (0x83) entries.
namespace exfat_bitmap {
inline constexpr std::size_t kFlags = 1;  // 1: bit 0 = second FAT's bitmap
}
namespace exfat_label {
inline constexpr std::size_t kCharacterCount = 1;  // 1: 0..11
inline constexpr std::size_t kLabel = 2;           // 22: 11 UTF-16 units
inline constexpr std::size_t kMaxCharacters = 11;
}  // namespace exfat_label

// A file or folder from its entry set.
struct ExfatEntrySet {
    std::string name;  // UTF-8
    std::uint16_t attributes = 0;
    bool deleted = false;
    bool noFatChain = false;  // data in consecutive clusters, no FAT chain
    std::uint32_t firstCluster = 0;
    std::uint64_t dataLength = 0;
    std::uint64_t validDataLength = 0;  // bytes written; the rest reads as zeros
    ExfatTime created;
    ExfatTime modified;
    ExfatTime accessed;
    std::size_t entryCount = 0;  // entries of the set, File entry included

    bool isDirectory() const { return (attributes & exfat_file::kAttrDirectory) != 0; }
};

struct ExfatSetDecode {
    ExfatDecode outcome = ExfatDecode::NotThis;
    ExfatEntrySet set;
    std::string reason;
};

// The set checksum of `bytes` (the set's entries, whole), the File entry's
// checksum field left out. `asInUse` computes it as the set was while in use:
// a deleted set's cleared in-use bits were not in its checksum.
std::uint16_t ExfatSetChecksum(std::span<const std::uint8_t> bytes, bool asInUse = false);

// Decodes the set whose File entry starts at `bytes` (the rest of the
// directory from there). NotThis unless the first entry is a File entry, in
// use (0x85) or deleted (0x05). Damaged, with the reason, when the set does
// not fit in `bytes`, its secondaries are not a Stream Extension then File
// Name entries of the same in-use state, the name length does not fit them,
// ValidDataLength exceeds DataLength, or the checksum does not match.
ExfatSetDecode DecodeExfatEntrySet(std::span<const std::uint8_t> bytes);

// The root directory's critical entries.
struct ExfatAllocationBitmapEntry {
    bool secondFat = false;
    std::uint32_t firstCluster = 0;
    std::uint64_t dataLength = 0;
};
// Decodes an Allocation Bitmap entry (0x81) or an Up-case Table entry (0x82;
// `secondFat` unused): NotThis for any other type.
ExfatDecode DecodeExfatClusterEntry(std::span<const std::uint8_t> entry, std::uint8_t type,
                                    ExfatAllocationBitmapEntry& out);
// Decodes a Volume Label entry (0x83) to UTF-8; Damaged when its count is above 11.
ExfatDecode DecodeExfatVolumeLabel(std::span<const std::uint8_t> entry, std::string& label);

}  // namespace datrevo
