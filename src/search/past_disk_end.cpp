#include "search/past_disk_end.h"

#include "base/decimal.h"
#include "base/limits.h"
#include "fat/cluster_chain.h"
#include "fat/fat_kind.h"
#include "ntfs/file_data.h"
#include "search/result_folder_lister.h"

namespace datrevo {
namespace {

// A size or sector cell; a negative text is not one.
std::uint64_t CellValue(const std::string& text) {
    const std::int64_t value = ParseSigned64(text);
    return value < 0 ? 0 : static_cast<std::uint64_t>(value);
}

}  // namespace

PastDiskEndFiles::PastDiskEndFiles(RecoveryContext& context)
    : disk_(context.selectedDisk()),
      layout_(context.activeLayout),
      mftRuns_(context.mftRuns),
      ntfs_(IsNtfsResult(context)) {
    diskSectors_ = disk_.totalSectors();
    if (diskSectors_ == 0) return;
    const SearchContext& search = context.search;
    active_ = search.searchEnd > diskSectors_;
    // The window cuts the searched range at the disk's end; the partition
    // chosen still says how far the volume reaches.
    const DiskPartitionList& partitions = context.selectedPartitions();
    const auto index = static_cast<std::size_t>(search.partitionIndex);
    if (search.partitionIndex >= 0 && index < partitions.count() &&
        partitions.record(index).firstSector == search.searchStart &&
        partitions.record(index).endSector > diskSectors_)
        active_ = true;
}

bool PastDiskEndFiles::liesPastEnd(const FileRow& row) const {
    if (!active_ || row.icon != FileRowIcon::File) return false;
    // exFAT rows name their File entry's sector, not their clusters: only an
    // entry that lies past the end is known to.
    if (layout_.kind == VolumeKind::Exfat)
        return CellValue(row[file_col::DebugInfo1]) >= diskSectors_;
    return ntfs_ ? ntfsFilePastEnd(row) : fatFilePastEnd(row);
}

bool PastDiskEndFiles::fatFilePastEnd(const FileRow& row) const {
    const std::uint64_t size = CellValue(row[file_col::Size]);
    const std::uint32_t first = ParseUnsigned32(row[file_col::DebugInfo1]);
    if (size == 0 || first < 2 || !IsValidSectorsPerCluster(layout_.sectorsPerCluster))
        return false;
    const std::uint64_t clusterBytes =
        std::uint64_t{layout_.sectorsPerCluster} * limits::kSectorSize;
    const std::uint64_t needed = (size + clusterBytes - 1) / clusterBytes;
    const auto endOf = [this](std::uint64_t cluster) {
        return cluster * layout_.sectorsPerCluster + layout_.cluster0Start +
               layout_.sectorsPerCluster;
    };
    if (endOf(first) > diskSectors_) return true;
    if (!row.deleted) {
        const ClusterChain chain =
            ReadClusterChain(disk_, layout_, first, static_cast<std::size_t>(needed));
        if (chain.size() >= needed) {
            for (const std::uint32_t cluster : chain)
                if (endOf(cluster) > diskSectors_) return true;
            return false;
        }
    }
    return endOf(std::uint64_t{first} + needed - 1) > diskSectors_;
}

bool PastDiskEndFiles::ntfsFilePastEnd(const FileRow& row) const {
    const std::uint64_t recordSector = CellValue(row[file_col::DebugInfo1]);
    if (recordSector == 0) return false;
    if (recordSector + 2 > diskSectors_) return true;
    const auto data = LocateNtfsFileData(disk_, recordSector, layout_.cluster0Start,
                                         layout_.sectorsPerCluster, mftRuns_);
    if (!data || data->resident) return false;
    for (const MftRun& run : data->runs)
        if (run.startSector != 0 && run.startSector + run.sectorCount > diskSectors_) return true;
    return false;
}

}  // namespace datrevo
