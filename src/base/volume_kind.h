// The kind of a volume: what a partition holds and which engine reads it.
// The kinds travel as this enum; their texts ("FAT16", "NTFS", ...) appear
// only where a text is stored or shown: the recovery log, the catalogue's
// volume rows, partition item texts, the wizard's choices and the command
// line's options.
#pragma once

#include <optional>
#include <string_view>

namespace datrevo {

enum class VolumeKind {
    None,   // nothing chosen or found yet: the empty text
    Fat12,  // listed only; no engine searches it
    Fat16,
    Fat32,
    Ntfs,
    Exfat,
    Unknown,  // the wizard's "UNKNOWN" choice, or a kind text of no known kind
};

// The kind's text as the log, the tables and the partition items hold it.
constexpr std::string_view VolumeKindText(VolumeKind kind) {
    switch (kind) {
        case VolumeKind::None: return "";
        case VolumeKind::Fat12: return "FAT12";
        case VolumeKind::Fat16: return "FAT16";
        case VolumeKind::Fat32: return "FAT32";
        case VolumeKind::Ntfs: return "NTFS";
        case VolumeKind::Exfat: return "exFAT";
        case VolumeKind::Unknown: return "UNKNOWN";
    }
    return "";
}

// The kind a text names, compared exactly; the empty text is None and any
// other text Unknown.
constexpr VolumeKind VolumeKindFromText(std::string_view text) {
    for (VolumeKind kind : {VolumeKind::None, VolumeKind::Fat12, VolumeKind::Fat16,
                            VolumeKind::Fat32, VolumeKind::Ntfs, VolumeKind::Exfat}) {
        if (text == VolumeKindText(kind)) return kind;
    }
    return VolumeKind::Unknown;
}

// FAT16 and FAT32: the kinds the FAT engine searches.
constexpr bool IsFatKind(VolumeKind kind) {
    return kind == VolumeKind::Fat16 || kind == VolumeKind::Fat32;
}

}  // namespace datrevo
