// Times the NTFS Standard walk and the Advance scan over one volume image.
//
//   ntfs_scan_bench IMAGE
//
// Prints the Standard search's records per second (MFT records walked) and
// the Advance scan's MiB/s over the image, with what each found.
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>

#include "browse/folder_tree.h"
#include "catalogue/catalogue.h"
#include "disk/disk_reader.h"
#include "disk/file_source.h"
#include "ntfs/advance_search.h"
#include "ntfs/boot_record.h"
#include "ntfs/data_runs.h"
#include "ntfs/ntfs_search_scope.h"
#include "ntfs/standard_search.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) {
    return std::chrono::duration<double>(Clock::now() - since).count();
}

struct Run {
    datrevo::NtfsGeometry layout;
    datrevo::NtfsValues values;
    datrevo::MftRunList runs;
    datrevo::Catalogue catalogue;
    datrevo::FolderTree tree;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s IMAGE\n", argv[0]);
        return 2;
    }
    const datrevo::DiskReader reader(std::make_shared<datrevo::FileSource>(argv[1]), nullptr);
    if (!reader.isOpen()) {
        std::fprintf(stderr, "cannot open %s\n", argv[1]);
        return 1;
    }
    const std::uint64_t sectors = reader.totalSectors();
    const double mib = static_cast<double>(sectors) / 2048.0;

    {
        Run run;
        run.tree.createStage(datrevo::kStageResults, 0);
        if (!datrevo::ValidateNtfsVolume(reader, 0, sectors, run.layout, run.values)) {
            std::fprintf(stderr, "not a valid NTFS volume\n");
            return 1;
        }
        datrevo::NtfsSearchScope scope{reader,
                                       run.layout,
                                       run.values,
                                       run.runs,
                                       run.catalogue,
                                       run.tree,
                                       datrevo::SilentObserver(),
                                       {},
                                       0,
                                       sectors};
        const auto start = Clock::now();
        const datrevo::NtfsStandardResult result = datrevo::RunNtfsStandardSearch(scope);
        const double seconds = Seconds(start);
        const double records = static_cast<double>(datrevo::TotalSectors(run.runs) / 2);
        std::printf("standard  %.3f s  %.0f records/s  %zu folders  %d files\n", seconds,
                    records / seconds, run.tree.nodes().size(), result.fileRecords);
    }
    {
        Run run;
        datrevo::NtfsSearchScope scope{reader,
                                       run.layout,
                                       run.values,
                                       run.runs,
                                       run.catalogue,
                                       run.tree,
                                       datrevo::SilentObserver(),
                                       {},
                                       0,
                                       sectors};
        auto start = Clock::now();
        const datrevo::NtfsScanResult scan = datrevo::ScanForNtfsStructures(scope);
        const double scanSeconds = Seconds(start);
        std::printf("scan      %.3f s  %.1f MiB/s  %d records  %d index blocks\n", scanSeconds,
                    mib / scanSeconds, scan.records, scan.indexBlocks);
        start = Clock::now();
        const datrevo::NtfsAnalysis analysis = datrevo::AssignMftNumbers(scope);
        std::printf("analysis  %.3f s  %d file systems\n", Seconds(start), analysis.fileSystems);
    }
    return 0;
}
