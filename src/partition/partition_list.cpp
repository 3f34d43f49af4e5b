#include "partition/partition_list.h"

namespace datrevo {

bool DiskPartitionList::add(VolumeKind kind, std::uint64_t firstSector, std::uint64_t endSector) {
    if (full()) return false;
    kinds_.push_back(kind);
    records_.push_back({kNoItem, firstSector, endSector});
    return true;
}

bool DiskPartitionList::contains(VolumeKind kind, std::uint64_t firstSector,
                                 std::uint64_t endSector) const {
    for (std::size_t i = 0; i < records_.size(); ++i)
        if (kinds_[i] == kind && records_[i].firstSector == firstSector &&
            records_[i].endSector == endSector)
            return true;
    return false;
}

void DiskPartitionList::clear() {
    kinds_.clear();
    records_.clear();
}

std::string PartitionItemText(std::size_t number, VolumeKind kind) {
    return "Partition - " + std::to_string(number) + " ( " + std::string(VolumeKindText(kind)) +
           " )";
}

}  // namespace datrevo
