// Times the FAT Standard and Advance searches over one volume image.
//
//   fat_scan_bench IMAGE FAT16|FAT32
//
// Prints one line per phase: its name, seconds, MiB/s over the image and
// the number of folders found.
#include <algorithm>
#include <chrono>
#include <vector>
#include <cstdio>
#include <memory>
#include <string>

#include "browse/folder_tree.h"
#include "catalogue/catalogue.h"
#include "disk/disk_reader.h"
#include "disk/file_source.h"
#include "fat/fat_advance_search.h"
#include "fat/fat_search_scope.h"
#include "fat/fat_standard_search.h"
#include "fat/fat_volume_layout.h"

namespace {

class NoPrompts final : public datrevo::Prompter {
public:
    void showMessage(std::string_view text, datrevo::MessageIcon, std::string_view) override {
        std::fprintf(stderr, "message: %.*s\n", static_cast<int>(text.size()), text.data());
    }
    bool askYesNo(std::string_view, std::string_view) override { return false; }
    std::size_t askChoice(std::string_view, const std::vector<std::string>&, std::size_t answer,
                          std::string_view) override {
        return answer;
    }
};

struct Run {
    datrevo::Catalogue catalogue;
    datrevo::FolderTree tree;
    datrevo::FatLayout partitionLayout;
    datrevo::FatLayout activeLayout;
    datrevo::FatSearchState state;
    NoPrompts prompter;
};

double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

void Report(const char* phase, double seconds, std::uint64_t bytes, std::size_t folders) {
    std::printf("%s %.3f %.1f %zu\n", phase, seconds, bytes / seconds / (1024.0 * 1024.0), folders);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s IMAGE FAT16|FAT32\n", argv[0]);
        return 2;
    }
    const std::string kind = argv[2];
    const datrevo::DiskReader disk(std::make_shared<datrevo::FileSource>(argv[1]), nullptr);
    if (!disk.isOpen()) {
        std::fprintf(stderr, "cannot open %s\n", argv[1]);
        return 1;
    }
    const std::uint64_t sectors = disk.totalSectors();
    const std::uint64_t bytes = sectors * 512;
    datrevo::RecoveryObserver& silent = datrevo::SilentObserver();
    {
        // The sector reader alone, in the scans' runs: the floor of any scan.
        std::vector<std::uint8_t> buffer(512 * 512);
        const auto start = std::chrono::steady_clock::now();
        for (std::uint64_t s = 0; s < sectors; s += 512)
            disk.ReadSectors(s,
                             static_cast<std::uint32_t>(std::min<std::uint64_t>(512, sectors - s)),
                             buffer.data());
        Report("reader-only", Seconds(start), bytes, 0);
    }
    {
        Run run;
        run.tree.createStage(datrevo::kStageResults, 0);
        const bool valid = datrevo::ReadFatBootLayout(disk, 0, kind, run.partitionLayout);
        datrevo::FatSearchScope scope{disk,
                                      run.partitionLayout,
                                      run.activeLayout,
                                      run.catalogue,
                                      run.tree,
                                      run.state,
                                      silent,
                                      run.prompter,
                                      0,
                                      sectors,
                                      kind,
                                      valid,
                                      {}};
        const auto start = std::chrono::steady_clock::now();
        datrevo::ScanDirectoryClusters(scope);
        Report("standard-scan", Seconds(start), bytes, run.catalogue.FolderTable.count() - 1u);
        run.catalogue.FolderTable.deleteAll();
        const auto whole = std::chrono::steady_clock::now();
        datrevo::RunFatStandardSearch(scope);
        Report("standard-search", Seconds(whole), bytes, run.tree.nodes().size() - 1);
    }
    {
        Run run;
        run.tree.createStage(datrevo::kStageResults, 0);
        datrevo::FatSearchScope scope{disk,
                                      run.partitionLayout,
                                      run.activeLayout,
                                      run.catalogue,
                                      run.tree,
                                      run.state,
                                      silent,
                                      run.prompter,
                                      0,
                                      sectors,
                                      kind,
                                      false,
                                      {}};
        const auto start = std::chrono::steady_clock::now();
        datrevo::RunFatAdvanceScan(scope);
        Report("advance-scan", Seconds(start), bytes,
               static_cast<std::size_t>(run.catalogue.LostDirTable.count()));
        const auto recover = std::chrono::steady_clock::now();
        datrevo::RecoverFatVolume(scope, 1);
        Report("advance-recover", Seconds(recover), bytes, run.tree.nodes().size() - 1);
    }
    return 0;
}
