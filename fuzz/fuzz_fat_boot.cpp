// A FAT boot record (and its backup), and the inference of a volume's layout
// from its directory sectors when the boot record is unusable.
#include <cstdint>

#include "fat/fat_volume_layout.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace datrevo;
    if (size > 64 * 1024) return 0;
    const DiskReader disk = fuzz::MemoryDisk(data, size, 8);
    const std::uint64_t end = disk.totalSectors();
    for (const VolumeKind kind : {VolumeKind::Fat16, VolumeKind::Fat32}) {
        FatLayout layout;
        ReadFatBootLayout(disk, 0, kind, layout);
        FatLayout inferred;
        InferFatLayout(disk, 0, end, kind, inferred, SilentObserver());
    }
    return 0;
}
