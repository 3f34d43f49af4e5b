// Named offsets of the NTFS structures the engine decodes (little-endian;
// widths in the comments). Record and attribute headers are described in
// ntfs/file_record.h, the boot record in ntfs/boot_record.h.
#pragma once

#include <cstddef>
#include <cstdint>

namespace datrevo {

// The boot record (one 512-byte sector).
namespace ntfs_boot {
inline constexpr std::size_t kSectorsPerCluster = 13;  // 8 bits
inline constexpr std::size_t kTotalSectors = 40;       // 64 bits
inline constexpr std::size_t kMftCluster = 48;         // 64 bits
inline constexpr std::size_t kMftMirrorCluster = 56;   // 64 bits
inline constexpr std::size_t kRecordField = 64;        // 32 bits
inline constexpr std::size_t kIndexBlockField = 68;    // 32 bits
}  // namespace ntfs_boot

// The file record header ("FILE").
namespace ntfs_record {
inline constexpr std::size_t kSignature = 0;             // 4 bytes "FILE"
inline constexpr std::size_t kUpdateSequenceOffset = 4;  // 16 bits
inline constexpr std::size_t kUpdateSequenceCount = 6;   // 16 bits
inline constexpr std::size_t kFirstAttribute = 20;       // 16 bits
inline constexpr std::size_t kFlags = 22;                // 16 bits (low byte read)
inline constexpr std::size_t kAllocatedSize = 28;        // 32 bits
inline constexpr std::size_t kBaseReference = 32;        // 64 bits, 48 of them the record number
inline constexpr std::size_t kOwnNumber = 44;            // 32 bits
inline constexpr std::uint64_t kReferenceNumberMask = 0xFFFFFFFFFFFFull;
}  // namespace ntfs_record

// The attribute header, and the fields of resident and non-resident ones.
namespace ntfs_attr {
inline constexpr std::size_t kType = 0;              // 32 bits
inline constexpr std::size_t kLength = 4;            // 32 bits
inline constexpr std::size_t kNonResident = 8;       // 8 bits
inline constexpr std::size_t kNameLength = 9;        // 8 bits, UTF-16 units
inline constexpr std::size_t kNameOffset = 10;       // 16 bits
inline constexpr std::size_t kFlags = 12;            // 16 bits
inline constexpr std::size_t kContentLength = 16;    // resident, 32 bits
inline constexpr std::size_t kContentOffset = 20;    // resident, 16 bits
inline constexpr std::size_t kFirstVcn = 16;         // non-resident, 64 bits
inline constexpr std::size_t kRunListOffset = 32;    // non-resident, 16 bits
inline constexpr std::size_t kCompressionUnit = 34;  // non-resident, 8 bits
inline constexpr std::size_t kRealSize = 48;         // non-resident, 64 bits
inline constexpr std::size_t kInitializedSize = 56;  // non-resident, 64 bits
}  // namespace ntfs_attr

// The content of a file-name attribute.
namespace ntfs_filename {
inline constexpr std::size_t kParent = 0;        // 64 bits, low 32 read
inline constexpr std::size_t kCreationTime = 8;  // 64 bits FILETIME
inline constexpr std::size_t kDataSize = 48;     // 64 bits
inline constexpr std::size_t kNameLength = 64;   // 8 bits, UTF-16 units
inline constexpr std::size_t kNameSpace = 65;    // 8 bits
inline constexpr std::size_t kName = 66;         // UTF-16
}  // namespace ntfs_filename

// An attribute-list entry.
namespace ntfs_attrlist {
inline constexpr std::size_t kType = 0;     // 32 bits
inline constexpr std::size_t kLength = 4;   // 16 bits
inline constexpr std::size_t kRecord = 16;  // 64 bits, low 32 read
}  // namespace ntfs_attrlist

// The index block header ("INDX") and its entries.
namespace ntfs_index {
inline constexpr std::size_t kSignature = 0;       // 4 bytes "INDX"
inline constexpr std::size_t kVcn = 16;            // 64 bits, low 32 read
inline constexpr std::size_t kHeader = 24;         // where the node header begins
inline constexpr std::size_t kFirstEntry = 24;     // 32 bits, from kHeader
inline constexpr std::size_t kAllocatedSize = 32;  // 32 bits, from kHeader
// Entry fields, from the entry's first byte.
inline constexpr std::size_t kFileReference = 0;  // 64 bits, low 32 read
inline constexpr std::size_t kEntryLength = 8;    // 16 bits; 0 ends
inline constexpr std::size_t kParent = 16;        // 64 bits, low 32 read
inline constexpr std::size_t kCreationTime = 24;  // 64 bits FILETIME
inline constexpr std::size_t kFlagsHigh = 74;     // 16 bits: upper half of the file-name flags
inline constexpr std::uint16_t kDirectoryFlag = 0x1000;
inline constexpr std::size_t kNameLength = 80;  // 8 bits, UTF-16 units
inline constexpr std::size_t kName = 82;        // UTF-16
}  // namespace ntfs_index

}  // namespace datrevo
