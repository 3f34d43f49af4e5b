// The progress of the lost-folder scan of an exFAT volume, shared by the
// Standard search and the recovery of a volume the Advance search rebuilt:
// the status text "Clusters  <done> of <total>" and the bar, both moved once
// per percent of the cluster heap.
#pragma once

#include <cstdint>
#include <stop_token>
#include <string>

#include "base/observer.h"
#include "base/progress_meter.h"
#include "exfat/exfat_lost_folders.h"
#include "exfat/exfat_volume.h"
#include "exfat/exfat_walk.h"

namespace datrevo {

std::string ClustersStatus(std::uint64_t done, std::uint64_t total);

// FindExfatLostFolders with its progress shown through `observer` and
// `progress` (whose total becomes the cluster count). The bar is left where
// the scan left it: the caller decides whether to fill it.
ExfatLostScan FindExfatLostFoldersShowingProgress(const ExfatVolume& volume, ExfatListing& listing,
                                                  std::stop_token stop, RecoveryObserver& observer,
                                                  ProgressMeter& progress);

}  // namespace datrevo
