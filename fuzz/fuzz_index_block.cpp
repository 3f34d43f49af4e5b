// An NTFS index block ("INDX") found by the Advance scan: its size field, the
// update sequence over however many sectors it claims, the first entry and
// its owner, both from bytes already read and from the disk.
#include <cstdint>

#include "catalogue/catalogue.h"
#include "fuzz_support.h"
#include "ntfs/advance_search.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace datrevo;
    if (size > 128 * 1024) return 0;
    const DiskReader disk = fuzz::MemoryDisk(data, size);
    const std::vector<std::uint8_t> whole =
        disk.readRun(0, static_cast<std::uint32_t>(disk.totalSectors()));
    Catalogue catalogue;
    AddFoundIndexBlock(disk, catalogue.MftRefTable, 0, ByteView(whole));
    AddFoundIndexBlock(disk, catalogue.MftRefTable, 0, ByteView(whole.data(), 512));
    // A block whose later sectors lie past the disk's end.
    AddFoundIndexBlock(disk, catalogue.MftRefTable, disk.totalSectors() - 1,
                       ByteView(whole.data() + whole.size() - 512, 512));
    return 0;
}
