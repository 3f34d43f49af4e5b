// Cluster chains followed over a fuzzed FAT, and the directories read along
// them. The first 16 bytes choose the layout; the rest is the disk from
// sector 1 on, where the FAT begins:
//   0      kind: even FAT16, odd FAT32
//   1      sectors per cluster (low 3 bits as a power of two)
//   2..3   sectors per FAT
//   4..7   first cluster
//   8..9   cluster0Start
#include <cstdint>

#include "fat/cluster_chain.h"
#include "fat/fat_directory.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace datrevo;
    if (size < 16 || size > 128 * 1024) return 0;
    const ByteView header(data, 16);
    FatLayout layout;
    layout.kind = (header.u8(0) & 1) ? VolumeKind::Fat32 : VolumeKind::Fat16;
    layout.sectorsPerCluster = 1u << (header.u8(1) & 7);
    layout.sectorsPerFat = header.le16(2);
    layout.firstFat = 1;
    layout.secondFat = layout.firstFat + layout.sectorsPerFat;
    layout.cluster0Start = header.le16(8);
    layout.rootStart = header.le32(4);

    std::vector<std::uint8_t> disk(512 + size - 16, 0);
    std::copy(data + 16, data + size, disk.begin() + 512);
    const DiskReader reader = fuzz::MemoryDisk(disk.data(), disk.size());

    const std::uint32_t first = header.le32(4);
    ReadClusterChain(reader, layout, first);
    ReadClusterChain(reader, layout, first, 3);
    ReadFatDirectory(reader, layout, first);
    ReadDirectoryChain(reader, layout, first, EndMarkRule::EndsSector);
    return 0;
}
