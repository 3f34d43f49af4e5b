// Attribute lists: which MFT records hold the attributes of a file whose
// attributes do not fit in one record.
#pragma once

#include <cstdint>
#include <vector>

#include "base/byte_view.h"
#include "disk/disk_reader.h"
#include "ntfs/file_record.h"

namespace datrevo {

// Appends the record numbers of the list entries (of type `wanted`, or of
// every type when it is 0), in list order, up to kMaxAttributeListRecords
// numbers in `records`.
// List entry: 0 type (32 bits), 4 length (16 bits), 16 record reference.
void CollectEntries(ByteView list, std::vector<std::uint32_t>& records, std::uint32_t wanted);

// The content of a non-resident attribute list, read through its runs (at
// most kMaxAttributeListSectors sectors).
std::vector<std::uint8_t> ReadListContent(const DiskReader& reader, const AttributeView& list,
                                          std::uint64_t partitionStart,
                                          std::uint32_t sectorsPerCluster);

// Appends the records named by the record's attribute list, resident or not.
void ListAllAttributeRecords(const DiskReader& reader, ByteView record,
                             std::uint64_t partitionStart, std::uint32_t sectorsPerCluster,
                             std::vector<std::uint32_t>& records);

}  // namespace datrevo
