// The whole recovery over a small fuzzed image: validation and the Standard
// search, then the Advance scan, analysis and recovery of the file systems it
// lists, and the file lists of every folder found. Byte 0 chooses the kind
// searched (FAT16, FAT32, NTFS); the rest is the disk.
#include <cstdint>

#include "fat/fat_folder_reader.h"
#include "browse/file_rows.h"
#include "fuzz_support.h"
#include "recovery/recovery_context.h"
#include "search/search_phases.h"

namespace {

// Lists every folder of the result as the file list would show it.
void ListEveryFolder(datrevo::RecoveryContext& context) {
    using namespace datrevo;
    const bool ntfs = context.activeLayout.kind == VolumeKind::Ntfs;
    DiskFatFolderReader fatReader(context.selectedDisk(), context.activeLayout);
    FolderListSources sources{context.folders.nodes(),
                              context.catalogue.EntryTable,
                              context.activeLayout.kind,
                              ntfs ? nullptr : &fatReader,
                              {}};
    FolderRowStyle style;
    style.ntfs = ntfs;
    for (std::size_t i = 0; i < context.folders.nodes().size(); ++i)
        ListFolder(context.folders.nodes()[i].treeItem, sources, style);
}

void Search(const std::shared_ptr<const datrevo::SectorSource>& source, datrevo::VolumeKind kind,
            datrevo::SearchMode mode) {
    using namespace datrevo;
    fuzz::DefaultAnswers prompter;
    RecoveryContext context(SilentObserver(), prompter);
    context.slots.assign(0, source);
    const std::uint64_t sectors = source->sizeInBytes() / limits::kSectorSize;
    context.currentDisk.totalSectors64 = sectors;
    context.search = {
        mode, 0,      0, kind, mode == SearchMode::Standard ? "Standard Search" : "Advance Search",
        0,    sectors};
    if (mode == SearchMode::Standard) {
        ValidatePartition(context);
        RunPartitionSearch(context);
        ListEveryFolder(context);
        return;
    }
    const SearchOutcome scan = RunPartitionSearch(context);
    for (int volume = 1; volume <= std::min(scan.volumesFound, 3); ++volume) {
        FileSystemDetails(context, volume);
        RunVolumeRecovery(context, volume);
        ListEveryFolder(context);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace datrevo;
    if (size < 2 || size > (1u << 20)) return 0;
    static constexpr datrevo::VolumeKind kKinds[] = {
        datrevo::VolumeKind::Fat16, datrevo::VolumeKind::Fat32, datrevo::VolumeKind::Ntfs};
    const datrevo::VolumeKind kind = kKinds[data[0] % 3];
    std::size_t sectors = (size - 1 + 511) / 512;
    std::vector<std::uint8_t> bytes(sectors * 512, 0);
    std::copy(data + 1, data + size, bytes.begin());
    const auto source = std::make_shared<MemorySource>(std::move(bytes), "fuzz");
    Search(source, kind, SearchMode::Standard);
    Search(source, kind, SearchMode::Advance);
    return 0;
}
