// The partitions of a disk's list as comparable values: kind, first sector
// and end sector, printed as "FAT32 2048..71680" when a comparison fails.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "partition/partition_list.h"

namespace datrevo::test {

struct Listed {
    std::string kind;
    std::uint64_t first;
    std::uint64_t end;
    bool operator==(const Listed&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const Listed& p) {
    return out << p.kind << " " << p.first << ".." << p.end;
}

inline std::vector<Listed> Entries(const DiskPartitionList& list) {
    std::vector<Listed> out;
    for (std::size_t i = 0; i < list.count(); ++i)
        out.push_back({std::string(VolumeKindText(list.kind(i))), list.record(i).firstSector,
                       list.record(i).endSector});
    return out;
}

}  // namespace datrevo::test
