// An NTFS file record as read from the medium: the update sequence (fix-up),
// the attribute walk, the file names, the data size, the attribute list and
// every run list the record holds. The record is also placed on a small disk
// so the attribute-list and data readers follow its runs.
#include <cstdint>
#include <optional>
#include <vector>

#include "fuzz_support.h"
#include "ntfs/attribute_list.h"
#include "ntfs/data_runs.h"
#include "ntfs/file_data.h"
#include "ntfs/file_record.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace datrevo;
    if (size > 16 * 1024) return 0;
    std::vector<std::uint8_t> record(kNtfsRecordSize, 0);
    std::copy_n(data, std::min(size, record.size()), record.begin());
    ApplyUpdateSequence(record);
    const ByteView view(record);

    IsFileRecord(view);
    IsDirectoryRecord(view);
    RecordOwnNumber(view);
    const std::optional<FileNameInfo> preferred = FindPreferredFileName(view);
    for (std::uint8_t space = 0; space < 4; ++space) FindFileName(view, space);
    // The link names are read in a walk of their own: they must begin with
    // the preferred name, and exist exactly when it does.
    const std::vector<FileNameInfo> links = ListLinkNames(view);
    if (links.empty() != !preferred.has_value()) __builtin_trap();
    if (preferred &&
        (links.front().name != preferred->name || links.front().parent != preferred->parent))
        __builtin_trap();
    FirstPieceDataSize(view);
    RecordBaseReference(view);
    GetUnnamedDataSize(view);
    GetIndexFirstRun(view);
    std::vector<std::uint32_t> listed;
    ListAttributeRecords(view, listed);

    for (const AttributeView& attribute : ListAttributes(view)) {
        if (attribute.resident()) {
            if (attribute.type == kAttrAttributeList) {
                std::vector<std::uint32_t> records;
                CollectEntries(attribute.bytes, records, 0);
            }
            continue;
        }
        const std::size_t runsAt = attribute.bytes.le16(32);
        for (std::uint32_t spc : {1u, 8u, 128u}) {
            RunList runs;
            DecodeDataRuns(attribute.bytes, runsAt, spc, 0, runs, false);
            TotalSectors(runs);
            RunList more = runs;
            DecodeDataRuns(attribute.bytes, runsAt, spc, 2048, more, true);
        }
    }
    // Also a raw attribute list, as a non-resident one arrives from its runs.
    std::vector<std::uint32_t> records;
    CollectEntries(ByteView(data, size), records, 0);
    CollectEntries(ByteView(data, size), records, 7);

    // The record at sector 0 of a disk made of the input, the MFT being that disk.
    const DiskReader disk = fuzz::MemoryDisk(data, size, 2);
    std::vector<std::uint32_t> extension;
    ListAllAttributeRecords(disk, view, 0, 1, extension);
    const MftRunList mft{{0, disk.totalSectors()}};
    LocateNtfsFileData(disk, 0, 0, 1, mft);
    RecordToSector(mft, RecordOwnNumber(view));
    return 0;
}
