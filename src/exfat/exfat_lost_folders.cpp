#include "exfat/exfat_lost_folders.h"

#include <algorithm>
#include <map>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "catalogue/catalogue.h"

namespace datrevo {
namespace {

// Clusters read in one request while scanning: about 1 MiB.
constexpr std::uint64_t kScanChunkBytes = std::uint64_t{1} << 20;

std::unordered_set<std::uint32_t> WalkedClusters(const ExfatListing& listing) {
    std::unordered_set<std::uint32_t> clusters;
    for (const ExfatClusterRun& run : listing.directoryRuns)
        for (std::uint64_t i = 0; i < run.count; ++i)
            clusters.insert(static_cast<std::uint32_t>(run.first + i));
    return clusters;
}

// First clusters of directories: free, unread by the walk, starting with a set that decodes.
std::vector<std::uint32_t> ScanForDirectoryClusters(
    const ExfatVolume& volume, const ExfatListing& listing, std::stop_token stop,
    ExfatLostScan& scan, const std::function<void(std::uint64_t, std::uint64_t)>& progress) {
    const std::unordered_set<std::uint32_t> walked = WalkedClusters(listing);
    const std::uint64_t count = volume.boot().clusterCount;
    const std::uint64_t clusterBytes = volume.clusterBytes();
    const std::uint64_t chunk = std::max<std::uint64_t>(1, kScanChunkBytes / clusterBytes);
    std::vector<std::uint32_t> found;
    std::vector<std::uint8_t> bytes;
    for (std::uint64_t index = 0; index < count; index += chunk) {
        if (stop.stop_requested()) {
            scan.stopped = true;
            break;
        }
        const auto first = static_cast<std::uint32_t>(index + 2);
        const auto n = static_cast<std::uint32_t>(std::min(chunk, count - index));
        bool anyFree = false;
        for (std::uint32_t i = 0; i < n && !anyFree; ++i)
            anyFree = !listing.bitmapLoaded || !volume.isAllocated(first + i);
        scan.clustersScanned += n;
        if (progress) progress(index + n, count);
        if (!anyFree || !volume.readClusters(first, n, bytes)) continue;
        for (std::uint32_t i = 0; i < n; ++i) {
            const std::uint32_t cluster = first + i;
            if (walked.count(cluster) != 0) continue;
            if (listing.bitmapLoaded && volume.isAllocated(cluster)) continue;
            const std::span<const std::uint8_t> start(
                bytes.data() + std::uint64_t{i} * clusterBytes,
                static_cast<std::size_t>(clusterBytes));
            if (DecodeExfatEntrySet(start).outcome == ExfatDecode::Decoded)
                found.push_back(cluster);
        }
    }
    return found;
}

}  // namespace

ExfatLostScan FindExfatLostFolders(
    const ExfatVolume& volume, ExfatListing& listing, std::stop_token stop,
    const std::function<void(std::uint64_t, std::uint64_t)>& progress) {
    ExfatLostScan scan;
    const std::vector<std::uint32_t> found =
        ScanForDirectoryClusters(volume, listing, stop, scan, progress);
    scan.foldersFound = found.size();
    if (found.empty()) return scan;
    const std::unordered_set<std::uint32_t> candidates(found.begin(), found.end());

    // Each candidate's first cluster alone: the entries that may name others.
    std::map<std::uint32_t, std::vector<ExfatItem>> firstItems;
    std::size_t ignored = 0;
    for (std::uint32_t cluster : found) {
        ExfatDirectoryBytes dir;
        dir.clusters.add(cluster);
        if (!volume.readClusters(cluster, 1, dir.bytes)) continue;
        firstItems[cluster] = DecodeExfatDirectoryItems(volume, dir, cluster, false, ignored);
    }
    // The entry that names each candidate: a live one before a deleted one,
    // else the first in cluster order; never a folder's own entry.
    std::unordered_map<std::uint32_t, const ExfatItem*> namer;
    for (const auto& [cluster, items] : firstItems)
        for (const ExfatItem& item : items) {
            const std::uint32_t target = item.set.firstCluster;
            if (!item.set.isDirectory() || target == cluster || candidates.count(target) == 0)
                continue;
            const auto it = namer.find(target);
            if (it == namer.end() || (it->second->set.deleted && !item.set.deleted))
                namer[target] = &item;
        }

    // A named folder's directory is read for its whole length; the clusters
    // after its first are its own, not folders of their own.
    std::unordered_map<std::uint32_t, ExfatDirectoryBytes> directories;
    std::unordered_set<std::uint32_t> continuation;
    for (std::uint32_t cluster : found) {
        if (continuation.count(cluster) != 0) continue;
        const auto named = namer.find(cluster);
        ExfatDirectoryBytes dir;
        if (named != namer.end()) {
            ExfatEntrySet set = named->second->set;
            set.deleted = true;  // its FAT chain is gone: contiguous, or over free clusters
            dir = ReadExfatDirectory(volume, set, false);
        } else {
            dir.clusters.add(cluster);
            volume.readClusters(cluster, 1, dir.bytes);
        }
        bool first = true;
        for (const ExfatClusterRun& run : dir.clusters.runs)
            for (std::uint64_t i = 0; i < run.count; ++i, first = false)
                if (!first) continuation.insert(static_cast<std::uint32_t>(run.first + i));
        directories.emplace(cluster, std::move(dir));
    }

    std::uint32_t unnamed = 0;
    for (std::uint32_t cluster : found) {
        if (continuation.count(cluster) != 0) continue;
        if (namer.count(cluster) == 0) {
            // A folder row of its own, under the catch-all folder.
            ExfatItem folder;
            folder.parent = kCatchAllNumber;
            folder.self = cluster;
            folder.set.attributes = exfat_file::kAttrDirectory;
            folder.set.firstCluster = cluster;
            folder.entrySector = volume.clusterDiskByte(cluster) / limits::kSectorSize;
            folder.madeUpName = "Dir" + std::to_string(++unnamed);
            listing.folders.push_back(std::move(folder));
        }
        // Inside a folder found through a deleted entry, everything is deleted.
        const auto namedBy = namer.find(cluster);
        const bool deleted = namedBy != namer.end() && namedBy->second->set.deleted;
        const ExfatDirectoryBytes& dir = directories.at(cluster);
        for (ExfatItem& item :
             DecodeExfatDirectoryItems(volume, dir, cluster, deleted, listing.damagedSets)) {
            if (!item.set.isDirectory()) {
                listing.files.push_back(std::move(item));
                continue;
            }
            const std::uint32_t target = item.set.firstCluster;
            // The folder's own number when this is the entry that names a found
            // folder (the same entry on disk: a set in a continuation cluster was
            // first decoded as if that cluster were a folder of its own).
            const auto naming = namer.find(target);
            if (naming != namer.end() && continuation.count(target) == 0 &&
                naming->second->entrySector == item.entrySector)
                item.self = target;
            listing.folders.push_back(std::move(item));
        }
    }
    return scan;
}

}  // namespace datrevo
