// The master boot record and the chain of extended boot records, as read
// when a disk is opened, and the lost-partition probes over the same bytes.
#include <cstdint>

#include "fuzz_support.h"
#include "partition/lost_partition_search.h"
#include "partition/partition_table.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace datrevo;
    const DiskReader disk = fuzz::MemoryDisk(data, size);
    DiskPartitionList list;
    ListPartitions(disk, disk.totalSectors(), list, nullptr);

    // The table may also claim a disk far larger than the bytes: entries then
    // point past the end and every read there fails.
    DiskPartitionList large;
    ListPartitions(disk, disk.totalSectors() + 0x100000, large, nullptr);

    WholeDiskVolumeKind(ByteView(data, size));
    RecogniseBootSector(ByteView(data, size));
    return 0;
}
