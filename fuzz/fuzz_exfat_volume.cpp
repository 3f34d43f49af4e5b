// A whole exFAT volume (up to 1 MiB): the boot region, the walk from the
// root with deleted sets, the lost-folder scan, the catalogue and tree made from it, every file's
// list, and every file's content read to the end.
#include <cstdint>

#include "browse/folder_tree.h"
#include "catalogue/catalogue.h"
#include "exfat/exfat_catalogue.h"
#include "exfat/exfat_content.h"
#include "exfat/exfat_lost_folders.h"
#include "exfat/exfat_walk.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace datrevo;
    if (size > 1024 * 1024 + 1) return 0;
    const DiskReader disk = fuzz::MemoryDisk(data, size, 24);
    const ExfatBootRead boot = ReadExfatBootRegion(disk, 0);
    if (boot.decode.outcome != ExfatDecode::Decoded) return 0;
    ExfatVolume volume(disk, 0, boot.decode.boot);
    ExfatListing listing = WalkExfatVolume(volume);
    FindExfatLostFolders(volume, listing);
    Catalogue catalogue;
    FolderTree tree;
    tree.createStage(kStageResults, 0);
    StoreExfatListing(listing, catalogue, tree);
    for (const FolderNode& node : tree.nodes()) {
        std::vector<FileRow> rows;
        FillExfatFileRows(rows, catalogue.EntryTable, node.selfNumber);
    }
    // Content up to 4 MiB per file: past that a hostile length only costs time.
    for (const ExfatItem& file : listing.files) {
        std::uint64_t total = 0;
        ReadExfatFileContent(volume, file.set, [&](std::span<const std::uint8_t> piece) {
            total += piece.size();
            return total < (std::uint64_t{4} << 20);
        });
    }
    return 0;
}
