#include "exfat/exfat_walk.h"

#include <algorithm>
#include <deque>
#include <unordered_set>

#include "base/byte_view.h"

namespace datrevo {
namespace {

struct PendingFolder {
    ExfatEntrySet set;
    std::uint32_t number = 0;
    bool root = false;
    bool deleted = false;
};

// The disk sector of byte `offset` of a directory read from `clusters`.
std::uint64_t SectorOfOffset(const ExfatVolume& volume, const ExfatClusterList& clusters,
                             std::uint64_t offset) {
    std::uint64_t index = offset / volume.clusterBytes();
    for (const ExfatClusterRun& run : clusters.runs) {
        if (index < run.count) {
            const std::uint64_t byte =
                volume.clusterDiskByte(static_cast<std::uint32_t>(run.first + index)) +
                offset % volume.clusterBytes();
            return byte / limits::kSectorSize;
        }
        index -= run.count;
    }
    return 0;
}

}  // namespace

ExfatDirectoryBytes ReadExfatDirectory(const ExfatVolume& volume, const ExfatEntrySet& set,
                                       bool root) {
    ExfatDirectoryBytes out;
    const std::uint64_t maxClusters =
        std::max<std::uint64_t>(1, kMaxExfatDirectoryBytes / volume.clusterBytes());
    if (root) {
        out.clusters = ExfatFatChain(volume, set.firstCluster, maxClusters);
    } else {
        const std::uint64_t bytes = std::min(set.dataLength, maxClusters * volume.clusterBytes());
        out.clusters = set.deleted && !set.noFatChain
                           ? ExfatFreeClustersFrom(volume, set.firstCluster, bytes)
                           : ExfatDataClusters(volume, set.firstCluster, set.noFatChain, bytes);
    }
    for (const ExfatClusterRun& run : out.clusters.runs) {
        std::vector<std::uint8_t> part;
        if (!volume.readClusters(run.first, run.count, part)) break;
        out.bytes.insert(out.bytes.end(), part.begin(), part.end());
    }
    return out;
}

std::vector<ExfatItem> DecodeExfatDirectoryItems(const ExfatVolume& volume,
                                                 const ExfatDirectoryBytes& dir,
                                                 std::uint32_t number, bool deleted,
                                                 std::size_t& damaged) {
    std::vector<ExfatItem> items;
    const ByteView view(dir.bytes);
    for (std::size_t at = 0; view.has(at, exfat_entry::kSize);) {
        const std::uint8_t type = view.u8(at + exfat_entry::kType);
        if (type == exfat_entry::kEndOfDirectory) break;
        if ((type | exfat_entry::kInUse) != exfat_entry::kFile) {
            at += exfat_entry::kSize;
            continue;
        }
        ExfatSetDecode decoded = DecodeExfatEntrySet(view.span().subspan(at));
        if (decoded.outcome != ExfatDecode::Decoded) {
            ++damaged;
            at += exfat_entry::kSize;
            continue;
        }
        ExfatItem item;
        item.set = std::move(decoded.set);
        item.set.deleted = item.set.deleted || deleted;
        item.parent = number;
        item.entrySector = SectorOfOffset(volume, dir.clusters, at);
        at += item.set.entryCount * exfat_entry::kSize;
        items.push_back(std::move(item));
    }
    return items;
}

namespace {

// The root's Allocation Bitmap (of the first FAT) and Volume Label entries.
void ReadRootEntries(ExfatVolume& volume, const ExfatDirectoryBytes& root, ExfatListing& listing) {
    const ByteView view(root.bytes);
    bool bitmapSeen = false;
    for (std::size_t at = 0; view.has(at, exfat_entry::kSize); at += exfat_entry::kSize) {
        const std::uint8_t type = view.u8(at + exfat_entry::kType);
        if (type == exfat_entry::kEndOfDirectory) break;
        const auto entry = view.sub(at, exfat_entry::kSize).span();
        ExfatAllocationBitmapEntry bitmap;
        if (type == exfat_entry::kAllocationBitmap && !bitmapSeen &&
            DecodeExfatClusterEntry(entry, type, bitmap) == ExfatDecode::Decoded &&
            !bitmap.secondFat) {
            bitmapSeen = true;
            listing.bitmapLoaded = volume.loadBitmap(bitmap.firstCluster, bitmap.dataLength);
        } else if (type == exfat_entry::kVolumeLabel) {
            DecodeExfatVolumeLabel(entry, listing.volumeLabel);
        }
    }
}

}  // namespace

bool LoadExfatRootBitmap(ExfatVolume& volume) {
    ExfatEntrySet root;
    root.firstCluster = volume.boot().rootCluster;
    ExfatListing listing;
    ReadRootEntries(volume, ReadExfatDirectory(volume, root, true), listing);
    return listing.bitmapLoaded;
}

ExfatListing WalkExfatVolume(ExfatVolume& volume, std::stop_token stop) {
    ExfatListing listing;
    std::deque<PendingFolder> pending;
    PendingFolder root;
    root.set.firstCluster = volume.boot().rootCluster;
    root.number = kExfatRootNumber;
    root.root = true;
    pending.push_back(root);
    std::unordered_set<std::uint32_t> entered{volume.boot().rootCluster};

    while (!pending.empty()) {
        if (stop.stop_requested()) {
            listing.stopped = true;
            return listing;
        }
        const PendingFolder folder = std::move(pending.front());
        pending.pop_front();
        const ExfatDirectoryBytes dir = ReadExfatDirectory(volume, folder.set, folder.root);
        listing.directoryRuns.insert(listing.directoryRuns.end(), dir.clusters.runs.begin(),
                                     dir.clusters.runs.end());
        if (folder.root) ReadRootEntries(volume, dir, listing);
        for (ExfatItem& item : DecodeExfatDirectoryItems(volume, dir, folder.number, folder.deleted,
                                                         listing.damagedSets)) {
            if (!item.set.isDirectory()) {
                listing.files.push_back(std::move(item));
                continue;
            }
            const std::uint32_t cluster = item.set.firstCluster;
            const bool enterable = volume.isDataCluster(cluster) && item.set.dataLength > 0 &&
                                   (!item.set.deleted || !volume.isAllocated(cluster));
            if (enterable && entered.insert(cluster).second) {
                item.self = cluster;
                pending.push_back({item.set, cluster, false, item.set.deleted});
            }
            listing.folders.push_back(std::move(item));
        }
    }
    return listing;
}

}  // namespace datrevo
