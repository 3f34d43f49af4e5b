// What a recovery log file holds, as plain values.
//
// The encoder turns this into the file's bytes and the decoder turns bytes
// back into it; neither touches a file or the recovery context, so both can be
// tested and fuzzed from byte arrays.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/volume_kind.h"

namespace datrevo {

// Eight numbers of a FAT layout in their stored order: sectors per FAT,
// sectors per cluster, root sectors, root start, reserved sectors, cluster-0
// start, first FAT, second FAT.
using LogLayoutNumbers = std::array<std::uint32_t, 8>;
// Four NTFS values in their stored order: MFT first sector, MFT mirror first
// sector, record size in sectors, index block size in sectors.
using LogNtfsNumbers = std::array<std::uint32_t, 4>;

// One folder node of the directory tree.
struct LogFolderRecord {
    std::string name;  // UTF-8
    std::uint32_t selfNumber = 0;
    std::uint32_t parentNumber = 0;
    std::uint64_t dateValue = 0;  // FAT date word, or NTFS creation FILETIME
    std::uint64_t timeValue = 0;  // FAT time word, 0 for NTFS
    std::uint8_t deleted = 0;     // 1 = deleted folder

    bool operator==(const LogFolderRecord&) const = default;
};

// One EntryTable row of an NTFS or exFAT result.
struct LogFileRecord {
    std::string name;  // UTF-8
    std::uint32_t sector = 0;
    std::uint32_t selfNumber = 0;
    std::uint32_t parentNumber = 0;
    std::int64_t date = 0;  // NTFS: FILETIME; exFAT: FAT date word | time word << 16
    std::uint32_t size = 0;
    std::uint32_t deleted = 0;  // 1 or 0

    bool operator==(const LogFileRecord&) const = default;
};

struct LogContents {
    std::string modelText;
    std::uint8_t searchMode = 1;  // 1 Standard Search, 2 Advance Search
    std::uint8_t driveIndex = 0;
    std::uint8_t diskNumber = 0;
    std::uint8_t partitionIndex = 0;
    std::string partitionKind;   // "FAT16", "FAT32", "NTFS": VolumeKindText
    std::string searchModeText;  // as shown on the summary
    std::uint64_t searchStart = 0;
    std::uint64_t searchEnd = 0;
    LogLayoutNumbers partitionLayout{};
    LogNtfsNumbers partitionNtfs{};
    LogLayoutNumbers activeLayout{};
    LogNtfsNumbers activeNtfs{};
    std::string activeKind;  // "FAT16", "FAT32", "NTFS": VolumeKindText
    std::vector<LogFolderRecord> folders;
    // Present in the file only when the active kind is "NTFS" or "exFAT".
    std::vector<LogFileRecord> files;

    bool operator==(const LogContents&) const = default;
};

// The log's fixed values.
inline constexpr std::string_view kLogSignature = "VantorrelWIN7SR2009";
inline constexpr std::string_view kLogNtfsKind = VolumeKindText(VolumeKind::Ntfs);
inline constexpr std::string_view kLogExfatKind = VolumeKindText(VolumeKind::Exfat);
// A folder record's length field is the name's length plus this.
inline constexpr std::uint32_t kLogFolderLengthBias = 25;
// The one-byte texts and the model text pass through a 50-byte buffer with
// its terminator: 49 bytes at most.
inline constexpr std::size_t kLogMaxShortText = 49;
// Names hold at most 255 characters (limits::kMaxNameCharacters) of up to
// four UTF-8 bytes each.
inline constexpr std::size_t kLogMaxNameBytes = 255 * 4;

// True when a log with this active kind carries file rows: NTFS and exFAT
// results keep their files in EntryTable; FAT reads them from the disk.
inline bool LogHasFileRows(const std::string& activeKind) {
    return activeKind == kLogNtfsKind || activeKind == kLogExfatKind;
}

// An exFAT file row's date and time words in the file record's one date field.
inline std::int64_t PackFatWords(std::uint16_t date, std::uint16_t time) {
    return std::int64_t{date} | (std::int64_t{time} << 16);
}
inline std::uint16_t PackedFatDate(std::int64_t packed) {
    return static_cast<std::uint16_t>(packed & 0xFFFF);
}
inline std::uint16_t PackedFatTime(std::int64_t packed) {
    return static_cast<std::uint16_t>((packed >> 16) & 0xFFFF);
}

}  // namespace datrevo
