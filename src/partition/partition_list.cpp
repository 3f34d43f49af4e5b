#include "partition/partition_list.h"

namespace datrevo {

bool DiskPartitionList::add(std::string kind, std::uint64_t firstSector, std::uint64_t endSector) {
    if (full()) return false;
    kinds_.push_back(std::move(kind));
    records_.push_back({kNoItem, firstSector, endSector});
    return true;
}

bool DiskPartitionList::contains(const std::string& kind, std::uint64_t firstSector,
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

std::string PartitionItemText(std::size_t number, const std::string& kind) {
    return "Partition - " + std::to_string(number) + " ( " + kind + " )";
}

}  // namespace datrevo
