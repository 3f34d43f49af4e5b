// Directory sectors: short entries, long-name sequences and their checksums,
// deleted entries, under both end-of-directory rules and both FAT kinds.
#include <cstdint>

#include "fat/fat_directory.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace datrevo;
    if (size > 64 * 1024) return 0;
    DirectoryBytes directory;
    const std::size_t sectors = (size + 511) / 512;
    directory.bytes.assign(sectors * 512, 0);
    std::copy(data, data + size, directory.bytes.begin());
    for (std::size_t i = 0; i < sectors; ++i) directory.sectors.push_back(1000 + i);

    for (FatKind kind : {FatKind::Fat16, FatKind::Fat32})
        for (EndMarkRule rule : {EndMarkRule::EndsDirectory, EndMarkRule::EndsSector})
            DecodeDirectoryEntries(directory, kind, rule);

    const ByteView view = directory.view();
    for (std::size_t offset = 0; offset + 32 <= view.size(); offset += 32) {
        ReadLongName(view, offset);
        ReadShortName(view.sub(offset, 32));
    }
    for (std::size_t offset = 0; offset + 512 <= view.size(); offset += 512)
        IsDirectorySector(view.sub(offset, 512));
    return 0;
}
