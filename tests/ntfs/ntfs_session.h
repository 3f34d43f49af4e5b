// One NTFS search over an image file, with everything a phase needs.
#pragma once

#include <memory>
#include <string>

#include "catalogue/catalogue.h"
#include "disk/disk_reader.h"
#include "disk/file_source.h"
#include "ntfs/advance_search.h"
#include "ntfs/boot_record.h"
#include "ntfs/catalogue_rows.h"
#include "ntfs/ntfs_content.h"
#include "ntfs/ntfs_search_scope.h"
#include "ntfs/standard_search.h"
#include "support/recording_observer.h"

namespace datrevo::test {

struct NtfsSession {
    explicit NtfsSession(const std::string& path, std::uint64_t start = 0, std::uint64_t end = 0)
        : reader(std::make_shared<FileSource>(path), &observer),
          rangeStart(start),
          rangeEnd(end == 0 ? reader.totalSectors() : end) {
        tree.createStage(kStageResults, 0);
    }

    NtfsSearchScope scope() {
        return NtfsSearchScope{reader, layout,   values, runs,       catalogue,
                               tree,   observer, {},     rangeStart, rangeEnd};
    }
    bool validate() { return ValidateNtfsVolume(reader, rangeStart, rangeEnd, layout, values); }
    NtfsStandardResult standard() {
        NtfsSearchScope s = scope();
        return RunNtfsStandardSearch(s);
    }
    NtfsAnalysis advance() {
        NtfsSearchScope s = scope();
        const NtfsScanResult scan = ScanForNtfsStructures(s);
        return AssignMftNumbers(s, &scan);
    }
    // The reader of the files' contents that saving uses.
    std::shared_ptr<const ContentReader> content() const {
        return std::make_shared<NtfsContentReader>(reader, layout, rangeEnd, runs);
    }
    bool recover(std::uint32_t volume) {
        NtfsSearchScope s = scope();
        catalogue.FolderTable.deleteAll();
        AppendNtfsCatchAllRow(catalogue.FolderTable);
        return RecoverNtfsVolume(s, volume);
    }

    RecordingObserver observer;
    DiskReader reader;
    std::uint64_t rangeStart;
    std::uint64_t rangeEnd;
    NtfsGeometry layout;
    NtfsValues values;
    MftRunList runs;
    Catalogue catalogue;
    FolderTree tree;
};

}  // namespace datrevo::test
