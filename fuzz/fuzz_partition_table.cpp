// The master boot record and the chain of extended boot records, as read
// when a disk is opened (with the GPT behind a protective entry), and the
// lost-partition probes over the same bytes.
#include <algorithm>
#include <cstdint>

#include "base/crc32.h"
#include "fuzz_support.h"
#include "partition/gpt.h"
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

    // The GPT decoders straight on the bytes: the checksums would keep most
    // inputs away from the fields behind them.
    const ByteView bytes(data, size);
    DecodeGptHeader(bytes, bytes.le64(gpt_header::kMyLba), disk.totalSectors());
    GptHeader header;
    header.entryCount = bytes.le32(gpt_header::kEntryCount) & 0x3FF;
    header.entrySize = 128u << (bytes.u8(gpt_header::kEntrySize) & 3);
    header.entriesCrc = Crc32(bytes.span().first(
        std::min<std::size_t>(size, static_cast<std::size_t>(header.entryArrayBytes()))));
    DecodeGptEntries(bytes, header);

    WholeDiskVolumeKind(ByteView(data, size));
    RecogniseBootSector(ByteView(data, size));
    return 0;
}
