// The recovery context and the recovery log keep an NTFS volume's sectors per
// cluster and first sector in the FAT layout's SPC and Cluster0Start fields,
// with the kind NTFS. These two turn the NTFS engine's geometry into those
// fields and back.
#pragma once

#include "fat/fat_layout.h"
#include "ntfs/ntfs_values.h"

namespace datrevo {

inline NtfsGeometry NtfsGeometryOf(const FatLayout& layout) {
    return NtfsGeometry{layout.sectorsPerCluster, layout.cluster0Start};
}

// Sets the SPC, Cluster0Start and kind fields; the others are left as they are.
inline void StoreNtfsGeometry(const NtfsGeometry& geometry, FatLayout& layout) {
    layout.sectorsPerCluster = geometry.sectorsPerCluster;
    layout.cluster0Start = geometry.cluster0Start;
    layout.kind = VolumeKind::Ntfs;
}

}  // namespace datrevo
