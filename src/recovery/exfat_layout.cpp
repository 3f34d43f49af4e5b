#include "recovery/exfat_layout.h"

#include <bit>
#include <limits>

#include "exfat/exfat_walk.h"

namespace datrevo {
namespace {

constexpr std::uint64_t kMaxLayoutSector = std::numeric_limits<std::uint32_t>::max();
// Clusters of at most 32 MiB: 65536 disk sectors.
constexpr std::uint32_t kMaxSectorsPerCluster = std::uint32_t{1} << 16;
constexpr std::uint32_t kMaxClusterCount = 0xFFFFFFF5;
constexpr std::uint32_t kFirstCluster = 2;

}  // namespace

bool StoreExfatGeometry(std::uint64_t volumeStart, const ExfatBootSector& boot, FatLayout& layout,
                        std::string& reason) {
    // A checked boot sector: shifts 9..12 and cluster shift within 25, offsets
    // inside VolumeLength, VolumeLength below 2^52 bytes.
    const unsigned scaleShift = boot.bytesPerSectorShift - 9u;
    const std::uint64_t volumeEnd = volumeStart + (boot.volumeLength << scaleShift);
    const std::uint64_t heapStart =
        volumeStart + (std::uint64_t{boot.clusterHeapOffset} << scaleShift);
    const std::uint64_t heapEnd = heapStart + (std::uint64_t{boot.clusterCount}
                                               << (boot.sectorsPerClusterShift + scaleShift));
    if (std::max(volumeEnd, heapEnd) - 1 > kMaxLayoutSector) {
        reason = "the exFAT volume reaches past disk sector " + std::to_string(kMaxLayoutSector) +
                 ", beyond what this program can address";
        return false;
    }
    const auto spc = static_cast<std::uint32_t>(boot.sectorsPerCluster() << scaleShift);
    layout = FatLayout{};
    layout.kind = VolumeKind::Exfat;
    layout.sectorsPerCluster = spc;
    layout.sectorsPerFat = static_cast<std::uint32_t>(std::uint64_t{boot.fatLength} << scaleShift);
    layout.rootSectors = boot.clusterCount;
    layout.rootStart = boot.rootCluster;
    layout.reservedSectors =
        static_cast<std::uint32_t>(std::uint64_t{boot.fatOffset} << scaleShift);
    layout.firstFat = static_cast<std::uint32_t>(volumeStart + layout.reservedSectors);
    layout.secondFat = boot.numberOfFats == 2 ? layout.firstFat + layout.sectorsPerFat : 0;
    layout.cluster0Start = static_cast<std::uint32_t>(heapStart) - 2 * spc;
    return true;
}

std::unique_ptr<ExfatVolume> OpenExfatVolume(const DiskReader& disk, const FatLayout& layout,
                                             std::string* reason) {
    const auto fail = [&](const std::string& why) -> std::unique_ptr<ExfatVolume> {
        if (reason != nullptr) *reason = why;
        return nullptr;
    };
    const std::uint32_t spc = layout.sectorsPerCluster;
    if (layout.kind != VolumeKind::Exfat) return fail("not an exFAT layout");
    if (spc == 0 || spc > kMaxSectorsPerCluster || !std::has_single_bit(spc))
        return fail("sectors per cluster " + std::to_string(spc));
    const std::uint32_t clusterCount = layout.rootSectors;
    if (clusterCount == 0 || clusterCount > kMaxClusterCount)
        return fail("cluster count " + std::to_string(clusterCount));
    if (layout.reservedSectors > layout.firstFat)
        return fail("FAT offset " + std::to_string(layout.reservedSectors));
    const std::uint64_t volumeStart = layout.firstFat - layout.reservedSectors;
    const auto heapStart = static_cast<std::uint32_t>(layout.cluster0Start + 2 * spc);
    if (heapStart < volumeStart) return fail("cluster heap before the volume start");
    if (layout.rootStart < kFirstCluster || layout.rootStart - kFirstCluster >= clusterCount)
        return fail("root cluster " + std::to_string(layout.rootStart));

    ExfatBootSector boot;
    boot.bytesPerSectorShift = 9;
    boot.sectorsPerClusterShift = static_cast<std::uint8_t>(std::countr_zero(spc));
    boot.fatOffset = layout.reservedSectors;
    boot.fatLength = layout.sectorsPerFat;
    boot.clusterHeapOffset = static_cast<std::uint32_t>(heapStart - volumeStart);
    boot.clusterCount = clusterCount;
    boot.rootCluster = layout.rootStart;
    boot.numberOfFats = layout.secondFat != 0 ? 2 : 1;
    boot.volumeLength = boot.clusterHeapOffset + std::uint64_t{clusterCount} * spc;
    auto volume = std::make_unique<ExfatVolume>(disk, volumeStart, boot);
    LoadExfatRootBitmap(*volume);
    return volume;
}

}  // namespace datrevo
