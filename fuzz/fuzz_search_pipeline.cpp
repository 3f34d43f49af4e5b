// The whole recovery over a small fuzzed image: validation and the Standard
// search, then the Advance scan, analysis and recovery of the file systems it
// lists, and the file lists of every folder found. Byte 0 chooses the kind
// searched (FAT16, FAT32, NTFS, exFAT); the rest is the disk. exFAT results
// also read the content of their files as a save does.
#include <cstdint>

#include "fuzz_support.h"
#include "recovery/recovery_context.h"
#include "recovery/result_volume_choice.h"
#include "save/save_setup.h"
#include "search/result_folder_lister.h"
#include "search/search_phases.h"

namespace {

// Lists every folder of the result as the file list shows it.
void ListEveryFolder(datrevo::RecoveryContext& context) {
    datrevo::ResultFolderLister lister(context);
    for (std::size_t i = 0; i < context.folders.nodes().size(); ++i)
        lister.rows(context.folders.nodes()[i].treeItem);
}

// Reads the files of the first folders as the save would, into nothing.
void ReadSomeFiles(datrevo::RecoveryContext& context) {
    using namespace datrevo;
    constexpr std::size_t kMaxFiles = 64;
    const std::shared_ptr<ResultVolume> volume = MakeResultVolume(context);
    const std::unique_ptr<FolderContents> contents = MakeFolderContents(context.folders, volume);
    const ChunkSink discard = [](std::span<const std::uint8_t>) { return true; };
    std::vector<ItemId> items{context.folders.root()};
    for (const FolderNode& node : context.folders.nodes()) items.push_back(node.treeItem);
    std::size_t read = 0;
    for (const ItemId item : items)
        for (const FolderFile& file : contents->files(item, {})) {
            if (read++ == kMaxFiles) return;
            volume->readContent(file.source, discard, {});
        }
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
        if (context.activeLayout.kind == VolumeKind::Exfat) ReadSomeFiles(context);
        return;
    }
    const SearchOutcome scan = RunPartitionSearch(context);
    for (int volume = 1; volume <= std::min(scan.volumesFound, 3); ++volume) {
        FileSystemDetails(context, volume);
        RunVolumeRecovery(context, volume);
        ListEveryFolder(context);
        if (context.activeLayout.kind == VolumeKind::Exfat) ReadSomeFiles(context);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace datrevo;
    if (size < 2 || size > (1u << 20)) return 0;
    static constexpr datrevo::VolumeKind kKinds[] = {
        datrevo::VolumeKind::Fat16, datrevo::VolumeKind::Fat32, datrevo::VolumeKind::Ntfs,
        datrevo::VolumeKind::Exfat};
    const datrevo::VolumeKind kind = kKinds[data[0] % 4];
    std::size_t sectors = (size - 1 + 511) / 512;
    std::vector<std::uint8_t> bytes(sectors * 512, 0);
    std::copy(data + 1, data + size, bytes.begin());
    const auto source = std::make_shared<MemorySource>(std::move(bytes), "fuzz");
    Search(source, kind, SearchMode::Standard);
    Search(source, kind, SearchMode::Advance);
    return 0;
}
