// The partitions found on one disk, in the order they were discovered.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "base/item_id.h"
#include "base/limits.h"
#include "base/volume_kind.h"

namespace datrevo {

struct PartitionRecord {
    ItemId treeItem = kNoItem;
    std::uint64_t firstSector = 0;  // absolute, from sector 0 of the disk
    std::uint64_t endSector = 0;    // one past the last sector
};

class DiskPartitionList {
public:
    std::size_t count() const { return records_.size(); }
    bool full() const { return records_.size() >= limits::kMaxPartitionsPerDisk; }
    // Appends a partition; false (and nothing added) when the list is full.
    bool add(VolumeKind kind, std::uint64_t firstSector, std::uint64_t endSector);
    // Whether a partition with these bounds and kind is already listed.
    bool contains(VolumeKind kind, std::uint64_t firstSector, std::uint64_t endSector) const;
    void clear();

    VolumeKind kind(std::size_t index) const { return kinds_.at(index); }
    const PartitionRecord& record(std::size_t index) const { return records_.at(index); }
    PartitionRecord& record(std::size_t index) { return records_.at(index); }

private:
    std::vector<VolumeKind> kinds_;
    std::vector<PartitionRecord> records_;
};

// One list per drive slot.
using PartitionLists = std::array<DiskPartitionList, limits::kDriveSlots>;

// "Partition - 2 ( NTFS )": the tree text of partition `number` (from 1).
std::string PartitionItemText(std::size_t number, VolumeKind kind);

}  // namespace datrevo
