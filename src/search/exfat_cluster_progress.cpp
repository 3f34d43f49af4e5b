#include "search/exfat_cluster_progress.h"

namespace datrevo {

std::string ClustersStatus(std::uint64_t done, std::uint64_t total) {
    return "Clusters  " + std::to_string(done) + " of " + std::to_string(total);
}

ExfatLostScan FindExfatLostFoldersShowingProgress(const ExfatVolume& volume, ExfatListing& listing,
                                                  std::stop_token stop, RecoveryObserver& observer,
                                                  ProgressMeter& progress) {
    const auto report = [&](std::uint64_t done, std::uint64_t total) {
        progress.setTotal(total);
        if (!progress.moved(done)) return;
        observer.statusText(ClustersStatus(done, total));
        progress.show();
    };
    return FindExfatLostFolders(volume, listing, stop, report);
}

}  // namespace datrevo
