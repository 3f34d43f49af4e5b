#include "search/volume_label.h"

#include "base/text_codec.h"
#include "fat/fat_directory.h"
#include "fat/fat_kind.h"
#include "fat/fat_volume_layout.h"

namespace datrevo {
namespace {

// The 8.3 name field of a directory entry: name and extension, 11 bytes.
constexpr std::size_t kLabelBytes = fat_dirent::kNameLength + fat_dirent::kExtensionLength;

}  // namespace

std::optional<std::string> FatVolumeLabel(const DiskReader& disk, const FatLayout& layout) {
    if (!IsFatKind(layout.kind)) return std::nullopt;
    for (const FatDirectoryEntry& entry : ReadFatDirectory(disk, layout, 0)) {
        if (entry.deleted || !entry.isVolumeLabel() || entry.isDirectory()) continue;
        if (entry.offset + kLabelBytes > limits::kSectorSize) continue;
        SectorBuffer sector{};
        if (disk.readSector(entry.sector, sector) == 0) return std::nullopt;
        std::size_t length = kLabelBytes;
        while (length > 0 && sector[entry.offset + fat_dirent::kName + length - 1] == ' ') --length;
        if (length == 0) return std::nullopt;
        return Cp437ToUtf8(std::span<const std::uint8_t>(sector.data() + entry.offset, length));
    }
    return std::nullopt;
}

std::optional<std::string> PartitionVolumeLabel(const DiskReader& disk, std::uint64_t firstSector,
                                                VolumeKind kind) {
    if (!IsFatKind(kind)) return std::nullopt;
    FatLayout layout;
    if (!ReadFatBootLayout(disk, firstSector, kind, layout)) return std::nullopt;
    layout.kind = kind;
    return FatVolumeLabel(disk, layout);
}

std::optional<std::string> ResultVolumeLabel(const RecoveryContext& context) {
    if (!IsFatKind(context.activeLayout.kind)) return std::nullopt;
    return FatVolumeLabel(context.selectedDisk(), context.activeLayout);
}

}  // namespace datrevo
