// LZNT1 compression units: the decoder alone on a unit of the size the first
// byte picks, then a whole compressed file: the bytes as a disk whose
// sectors 2-3 hold the file record, read through the content reader in
// clusters of one sector (compression units of 16 sectors).
#include <cstdint>
#include <vector>

#include "fuzz_support.h"
#include "ntfs/lznt1.h"
#include "ntfs/ntfs_content.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace datrevo;
    if (size < 1 || size > 256 * 1024) return 0;
    // Exactly sized buffers, so the sanitizer sees any step outside them.
    const std::size_t unit =
        (std::size_t{data[0]} % 16 + 1) * kLznt1ChunkSize - (data[0] & 0x10 ? 100 : 0);
    std::vector<std::uint8_t> in(data + 1, data + size);
    std::vector<std::uint8_t> out(unit);
    const Lznt1Result result = DecompressLznt1(in, out);
    if (result.produced > out.size()) __builtin_trap();

    const DiskReader disk = fuzz::MemoryDisk(data, size, 2);
    const NtfsContentReader volume(disk, NtfsGeometry{.sectorsPerCluster = 1, .cluster0Start = 0},
                                   disk.totalSectors(), {});
    ContentSource source;
    source.kind = ContentKind::NtfsRecord;
    source.recordSector = 2;  // the record: input bytes 1024-2047
    std::uint64_t total = 0;
    volume.readContent(source,
                       [&](std::span<const std::uint8_t> piece) {
                           total += piece.size();
                           return total <
                                  64 * 1024 * 1024;  // a claimed size of terabytes stops here
                       },
                       {});
    return 0;
}
