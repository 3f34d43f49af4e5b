#include "recovery/result_volume_choice.h"

#include "base/volume_kind.h"
#include "exfat/exfat_result_volume.h"
#include "fat/fat_result_volume.h"
#include "ntfs/ntfs_result_volume.h"
#include "recovery/exfat_layout.h"
#include "recovery/ntfs_layout.h"

namespace datrevo {

std::unique_ptr<ResultVolume> MakeResultVolume(RecoveryContext& context) {
    const std::uint64_t volumeEnd = context.search.searchEnd;
    switch (context.activeLayout.kind) {
        case VolumeKind::Ntfs:
            return std::make_unique<NtfsResultVolume>(
                context.entryIndex,
                NtfsContentReader(context.selectedDisk(), NtfsGeometryOf(context.activeLayout),
                                  volumeEnd, context.mftRuns));
        case VolumeKind::Exfat:
            return std::make_unique<ExfatResultVolume>(
                context.entryIndex, OpenExfatVolume(context.selectedDisk(), context.activeLayout));
        case VolumeKind::Fat16:
        case VolumeKind::Fat32:
        case VolumeKind::None:
        case VolumeKind::Fat12:
        case VolumeKind::Unknown: break;
    }
    return std::make_unique<FatResultVolume>(context.folders, context.selectedDisk(),
                                             context.activeLayout, volumeEnd);
}

}  // namespace datrevo
