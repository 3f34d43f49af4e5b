#include "ntfs/attribute_list.h"

#include <algorithm>

#include "base/limits.h"
#include "ntfs/data_runs.h"
#include "ntfs/ntfs_offsets.h"

namespace datrevo {

// Record numbers of the attribute-list entries (of type `wanted`, or of
// every type when it is 0), in list order.
// List entry: 0 type (32 bits), 4 length (16 bits), 16 record reference.
void CollectEntries(ByteView list, std::vector<std::uint32_t>& records, std::uint32_t wanted) {
    std::size_t entry = 0;
    while (list.has(entry, 24) && records.size() < limits::kMaxAttributeListRecords) {
        const std::uint32_t type = list.le32(entry + ntfs_attrlist::kType);
        const std::uint16_t length = list.le16(entry + ntfs_attrlist::kLength);
        if (type == 0 || type == kAttrEndMarker || length == 0) break;
        if (wanted == 0 || type == wanted)
            records.push_back(list.le32(entry + ntfs_attrlist::kRecord));
        entry += length;
    }
}

// The content of a non-resident attribute list, read through its runs.
std::vector<std::uint8_t> ReadListContent(const DiskReader& reader, const AttributeView& list,
                                          std::uint64_t partitionStart,
                                          std::uint32_t sectorsPerCluster) {
    RunList runs;
    DecodeDataRuns(list.bytes, list.bytes.le16(ntfs_attr::kRunListOffset), sectorsPerCluster,
                   partitionStart, runs, false);
    const std::uint64_t realSize = std::min<std::uint64_t>(
        list.bytes.le64(ntfs_attr::kRealSize),
        std::uint64_t{limits::kMaxAttributeListSectors} * limits::kSectorSize);
    std::vector<std::uint8_t> bytes;
    for (const MftRun& run : runs) {
        for (std::uint64_t i = 0; i < run.sectorCount && bytes.size() < realSize; ++i) {
            SectorBuffer sector{};
            if (run.startSector != 0) reader.readSector(run.startSector + i, sector);
            bytes.insert(bytes.end(), sector.begin(), sector.end());
        }
    }
    bytes.resize(std::min<std::uint64_t>(bytes.size(), realSize));
    return bytes;
}

void ListAllAttributeRecords(const DiskReader& reader, ByteView record,
                             std::uint64_t partitionStart, std::uint32_t sectorsPerCluster,
                             std::vector<std::uint32_t>& records) {
    ListAttributeRecords(record, records);
    for (const AttributeView& attribute : ListAttributes(record)) {
        if (attribute.type != kAttrAttributeList || attribute.resident()) continue;
        const auto bytes = ReadListContent(reader, attribute, partitionStart, sectorsPerCluster);
        CollectEntries(ByteView(bytes), records, 0);
        return;
    }
}

}  // namespace datrevo
