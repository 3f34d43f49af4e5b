// NTFS file records ("FILE", 1024 bytes) and the attributes the searches read.
//
// Record header (offsets from the record's first byte, little-endian):
//   0  4 bytes  "FILE"
//   4  16 bits  offset of the update sequence array
//   6  16 bits  entries of that array (sequence number + one per sector)
//  20  16 bits  offset of the first attribute
//  22  16 bits  flags: bit 0 in use, bit 1 directory
//  28  32 bits  allocated size of the record
//  44  32 bits  the record's own MFT number (0 where the volume does not write it)
//
// Attribute header (at the first-attribute offset, each next one at the
// previous position plus its length):
//   0  32 bits  type (0x20 list, 0x30 file name, 0x80 data, 0xA0 index
//               allocation; 0 or 0xFFFFFFFF ends the list)
//   4  32 bits  length of the whole attribute
//   8   8 bits  0 resident, 1 non-resident
//   9   8 bits  name length in UTF-16 units (0: unnamed)
//  10  16 bits  offset of the name
//  16  32 bits  resident: content length       32  16 bits  non-resident: run-list offset
//  20  16 bits  resident: content offset       48  64 bits  non-resident: real size
//
// Every routine here works on bytes already in memory and never reads past
// the record: a field that would lie outside it ends the walk.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "base/byte_view.h"
#include "ntfs/ntfs_offsets.h"

namespace datrevo {

inline constexpr std::size_t kNtfsRecordSize = 1024;
inline constexpr std::uint32_t kNtfsRecordSectors = 2;

inline constexpr std::uint32_t kAttrAttributeList = 0x20;
inline constexpr std::uint32_t kAttrFileName = 0x30;
inline constexpr std::uint32_t kAttrData = 0x80;
inline constexpr std::uint32_t kAttrIndexAllocation = 0xA0;
inline constexpr std::uint32_t kAttrEndMarker = 0xFFFFFFFF;

// File-name name spaces, in the order callers try them.
inline constexpr std::uint8_t kNameSpacePosix = 0;
inline constexpr std::uint8_t kNameSpaceWin32 = 1;
inline constexpr std::uint8_t kNameSpaceDos = 2;
inline constexpr std::uint8_t kNameSpaceWin32AndDos = 3;

// Record flags (offset 22).
inline constexpr std::uint8_t kRecordInUse = 0x01;
inline constexpr std::uint8_t kRecordDirectory = 0x02;

struct FileNameInfo {
    std::string name;               // UTF-8
    std::uint32_t parent = 0;       // parent record number (low 32 bits of the reference)
    std::int64_t creationTime = 0;  // FILETIME
    std::uint64_t dataSize = 0;     // the file's size when the name was last written
};

// Restores the last two bytes of every 512-byte sector of a record or index
// block from its update sequence array. `buffer` is what was read (1024
// bytes for a record, the block size for an index block); sectors whose end
// lies outside it are left alone, and an array that does not fit changes
// nothing. The sequence number is not compared, so a torn record is kept.
void ApplyUpdateSequence(std::span<std::uint8_t> buffer);

bool IsFileRecord(ByteView record);
std::uint8_t RecordFlags(ByteView record);
bool IsDirectoryRecord(ByteView record);
// The record's own number from offset 44 (0 where absent).
std::uint32_t RecordOwnNumber(ByteView record);

// One attribute found by the walk: its offset in the record and its bytes,
// which lie wholly inside the record.
struct AttributeView {
    std::size_t offset = 0;
    std::uint32_t type = 0;
    ByteView bytes;

    bool resident() const { return bytes.u8(ntfs_attr::kNonResident) == 0; }
    std::uint8_t nameLength() const { return bytes.u8(ntfs_attr::kNameLength); }
};

// The attributes of a record in order, walked as they are read (nothing is
// collected): `for (const AttributeView& a : RecordAttributes(record))`. The
// walk stops at an end marker, at a length of 0, at an attribute that would
// run past the record, or at the record's end (at most its first 1024 bytes).
class RecordAttributes {
public:
    explicit RecordAttributes(ByteView record);

    class Iterator {
    public:
        Iterator(ByteView bytes, std::size_t position) : bytes_(bytes), position_(position) {
            read();
        }
        const AttributeView& operator*() const { return current_; }
        const AttributeView* operator->() const { return &current_; }
        Iterator& operator++() {
            // Each step moves forward by at least one byte, so the walk ends
            // within the record.
            position_ += current_.bytes.size();
            read();
            return *this;
        }
        bool operator==(std::default_sentinel_t) const { return done_; }

    private:
        void read();

        ByteView bytes_;
        std::size_t position_ = 0;
        AttributeView current_;
        bool done_ = false;
    };

    Iterator begin() const;
    std::default_sentinel_t end() const { return {}; }

private:
    ByteView bytes_;
};

// The same walk, collected.
std::vector<AttributeView> ListAttributes(ByteView record);

// The unnamed file-name attribute in the given name space.
std::optional<FileNameInfo> FindFileName(ByteView record, std::uint8_t nameSpace);
// Name spaces tried in the order Win32, Win32-and-DOS, POSIX, DOS: the long
// name first, whichever space it was written in (tools on Linux and
// case-sensitive names on Windows write POSIX names), the 8.3 name last.
std::optional<FileNameInfo> FindPreferredFileName(ByteView record);

// Real size of the unnamed data attribute (resident: content length).
std::optional<std::uint64_t> GetUnnamedDataSize(ByteView record);

// The names under which the record is linked into folders: the preferred
// name first, then every other unnamed file name that is not a DOS 8.3
// name, each (parent, name) once. Empty when the record has no file name.
std::vector<FileNameInfo> ListLinkNames(ByteView record);

// Real size of the unnamed data attribute when the record holds its first
// piece (resident, or non-resident starting at VCN 0); an extension record
// holding a later piece gives nothing. Non-resident header 16: first VCN.
std::optional<std::uint64_t> FirstPieceDataSize(ByteView record);

// Base record reference (offset 32, low 32 bits): 0 for a base record, the
// base record's number for an extension record.
std::uint32_t RecordBaseReference(ByteView record);

// Appends to `list` the record numbers of the entries of the record's
// resident attribute list, up to kMaxAttributeListRecords entries in `list`
// in all (the caller's base record counts).
void ListAttributeRecords(ByteView record, std::vector<std::uint32_t>& list);

// First cluster of the directory's "$I30" index allocation; 0 if none.
std::uint64_t GetIndexFirstRun(ByteView record);

}  // namespace datrevo
