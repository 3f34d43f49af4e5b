// The exFAT boot region: the boot sector's fields and limits, the checksum
// sector, and the fall-back to the backup region at sector 12.
#include <cstdint>
#include <span>

#include "exfat/exfat_boot_region.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace datrevo;
    if (size > 128 * 1024) return 0;
    const std::span<const std::uint8_t> bytes(data, size);
    DecodeExfatBootSector(bytes);
    DecodeExfatBootRegion(bytes);
    ExfatBootChecksum(bytes, 512);
    const DiskReader disk = fuzz::MemoryDisk(data, size, 24);
    ReadExfatBootRegion(disk, 0);
    return 0;
}
