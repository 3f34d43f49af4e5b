// The exFAT Advance search over a disk of up to 1 MiB: the scan for boot
// sectors, directory sectors, folder links, FATs and up-case tables; the
// inference of cluster size and heap from the links; the volume rows and
// their rebuilding; the walk and lost-folder scan of every volume found.
#include <cstdint>

#include "browse/folder_tree.h"
#include "catalogue/catalogue.h"
#include "exfat/exfat_advance_scan.h"
#include "exfat/exfat_advance_search.h"
#include "exfat/exfat_catalogue.h"
#include "exfat/exfat_lost_folders.h"
#include "exfat/exfat_walk.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace datrevo;
    if (size > 1024 * 1024 + 1) return 0;
    const DiskReader disk = fuzz::MemoryDisk(data, size, 24);
    const std::uint64_t end = disk.totalSectors();
    const ExfatScanFindings findings = ScanForExfatStructures(disk, 0, end);
    Catalogue catalogue;
    for (const ExfatFoundVolume& volume : AnalyzeExfatFindings(disk, findings, end))
        AppendExfatVolumeRow(catalogue.VolumeTable, volume);
    // The first few volumes are rebuilt from their rows, as the recovery does.
    for (int row = 0; row < catalogue.VolumeTable.count() && row < 4; ++row) {
        const std::optional<ExfatRebuiltVolume> rebuilt =
            ReadExfatVolumeRow(catalogue.VolumeTable, row);
        if (!rebuilt) continue;
        ExfatVolume volume(disk, rebuilt->start, rebuilt->boot);
        ExfatListing listing = WalkExfatVolume(volume);
        if (!volume.hasFat()) listing.bitmapLoaded = false;
        FindExfatLostFolders(volume, listing);
        Catalogue result;
        FolderTree tree;
        tree.createStage(kStageResults, 0);
        StoreExfatListing(listing, result, tree);
    }
    return 0;
}
