// exFAT directory entries: entry sets at every 32-byte position (File,
// Stream Extension, File Name, live and deleted, the set checksum), the
// root's bitmap, up-case and label entries, and their timestamps.
#include <cstdint>
#include <span>

#include "base/byte_view.h"
#include "exfat/exfat_entry_set.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace datrevo;
    if (size > 64 * 1024) return 0;
    const std::span<const std::uint8_t> bytes(data, size);
    for (std::size_t at = 0; at < size; at += exfat_entry::kSize) {
        const std::span<const std::uint8_t> rest = bytes.subspan(at);
        const ExfatSetDecode decoded = DecodeExfatEntrySet(rest);
        if (decoded.outcome == ExfatDecode::Decoded) {
            std::int64_t seconds = 0;
            ExfatTimeToUnix(decoded.set.modified, seconds);
            ExfatTimeToUnix(decoded.set.created, seconds);
            ExfatTimeToUnix(decoded.set.accessed, seconds);
        }
        ExfatSetChecksum(rest.first(std::min<std::size_t>(rest.size(), 19 * exfat_entry::kSize)),
                         true);
        ExfatAllocationBitmapEntry cluster;
        DecodeExfatClusterEntry(rest, exfat_entry::kAllocationBitmap, cluster);
        DecodeExfatClusterEntry(rest, exfat_entry::kUpcaseTable, cluster);
        std::string label;
        DecodeExfatVolumeLabel(rest, label);
    }
    return 0;
}
