#include "exfat/exfat_content_reader.h"

#include <algorithm>

#include "base/limits.h"
#include "exfat/exfat_content.h"
#include "exfat/exfat_listed_file.h"

namespace datrevo {

void ExfatContentReader::describe(const ContentSource& source, ContentWriter& writer,
                                  ContentReport& report) const {
    if (source.kind != ContentKind::ExfatFile) return;
    if (!volume_) {
        report.incomplete = source.size != 0;
        return;
    }
    const ExfatVolume& volume = *volume_;
    const ExfatEntrySet set = ExfatSetOfListedFile(volume, source.recordSector, source.firstCluster,
                                                   source.size, source.deleted);
    writer.setSize(set.dataLength);
    if (set.dataLength == 0) return;
    if (set.validDataLength < set.dataLength) writer.setValidSize(set.validDataLength);
    const ExfatContentClusters found = ExfatFileClusters(volume, set);
    report.freeClusterGuess = found.freeClusterGuess || found.withoutFat;
    report.overwritten = found.overwritten;
    if (found.tooLarge) {
        report.incomplete = true;
        return;
    }
    const std::uint64_t clusterSectors = volume.clusterBytes() / limits::kSectorSize;
    for (const ExfatClusterRun& run : found.clusters.runs) {
        if (writer.done()) break;
        writer.sectors(volume.clusterDiskByte(run.first) / limits::kSectorSize,
                       std::uint64_t{run.count} * clusterSectors);
    }
    // Past ValidDataLength the file reads as zeros, on no cluster at all;
    // a chain cut short before it leaves the copy short.
    if (report.bytes >= set.validDataLength)
        writer.zeros(set.dataLength - std::min(set.dataLength, report.bytes));
}

}  // namespace datrevo
