// Recognising a volume boot sector from its first 512 bytes.
//
//   3   8 bytes  OEM name: "NTFS    " on NTFS, "EXFAT   " on exFAT
//  54   5 bytes  "FAT16" (FAT16 boot sectors)
//  82   5 bytes  "FAT32" (FAT32 boot sectors)
// 510   2 bytes  0x55 0xAA
//
// The partition table decides a kind by the whole "FAT32" / "FAT16" texts;
// the lost-partition search and the Advance FAT search by their last two
// digits alone ("32" at 85, "16" at 57). Both read the same classifier.
#pragma once

#include <cstddef>

#include "base/byte_view.h"

namespace datrevo {

namespace boot_sector {
inline constexpr std::size_t kOemName = 3;
inline constexpr std::size_t kFat16Text = 54;
inline constexpr std::size_t kFat32Text = 82;
inline constexpr std::size_t kFat16Digits = 57;
inline constexpr std::size_t kFat32Digits = 85;
inline constexpr std::size_t kSignature = 510;
inline constexpr std::uint8_t kSignatureFirst = 0x55;
inline constexpr std::uint8_t kSignatureSecond = 0xAA;
}  // namespace boot_sector

enum class BootSectorKind { None, Fat16, Fat32, Ntfs, Exfat };

// Which FAT texts count: the whole "FAT32" / "FAT16" name, or its digits.
enum class FatTextRule { WholeName, Digits };

struct BootSectorClass {
    bool signature = false;  // ends with 0x55 0xAA
    BootSectorKind kind = BootSectorKind::None;

    bool isFat() const { return kind == BootSectorKind::Fat16 || kind == BootSectorKind::Fat32; }
};

// True when bytes 510 and 511 are 0x55 0xAA.
bool HasBootSignature(ByteView sector);

// The signature, and the kind the texts name, tested in this order: exFAT's
// OEM name, FAT32, FAT16, NTFS's OEM name; with the digits rule NTFS's OEM
// name comes before the FAT digits, which can be bytes of NTFS's own fields. The kind is decided
// from the texts alone; callers that need the signature test it beside the kind.
BootSectorClass ClassifyBootSector(ByteView sector, FatTextRule rule);

}  // namespace datrevo
