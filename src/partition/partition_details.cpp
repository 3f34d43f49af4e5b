#include "partition/partition_details.h"

#include "partition/partition_list.h"

namespace datrevo {
namespace {

std::string MegabytesText(std::int64_t sectors) { return std::to_string(sectors / 2048) + " MB"; }

}  // namespace

std::optional<std::string> UnsupportedKindMessage(VolumeKind kind) {
    switch (kind) {
        case VolumeKind::Exfat:
        case VolumeKind::None:
        case VolumeKind::Fat12:
        case VolumeKind::Fat16:
        case VolumeKind::Fat32:
        case VolumeKind::Ntfs:
        case VolumeKind::Unknown: break;
    }
    return std::nullopt;
}

std::optional<std::string> PastDiskEndWarning(std::uint64_t first, std::uint64_t end,
                                              std::uint64_t diskSectors) {
    if (diskSectors == 0 || end <= diskSectors || end <= first) return std::nullopt;
    const std::uint64_t readable = first < diskSectors ? diskSectors - first : 0;
    return "The partition extends past the end of the disk (" + std::to_string(readable) + " of " +
           std::to_string(end - first) + " sectors readable)";
}

PartitionTypeChoice ChoiceForKind(VolumeKind kind) {
    switch (kind) {
        case VolumeKind::Fat16: return PartitionTypeChoice::Fat16;
        case VolumeKind::Fat32: return PartitionTypeChoice::Fat32;
        case VolumeKind::Ntfs: return PartitionTypeChoice::Ntfs;
        case VolumeKind::Exfat: return PartitionTypeChoice::Exfat;
        case VolumeKind::None:
        case VolumeKind::Fat12:
        case VolumeKind::Unknown: break;
    }
    return PartitionTypeChoice::Unknown;
}

VolumeKind KindOfChoice(PartitionTypeChoice choice) {
    switch (choice) {
        case PartitionTypeChoice::Fat16: return VolumeKind::Fat16;
        case PartitionTypeChoice::Fat32: return VolumeKind::Fat32;
        case PartitionTypeChoice::Ntfs: return VolumeKind::Ntfs;
        case PartitionTypeChoice::Exfat: return VolumeKind::Exfat;
        case PartitionTypeChoice::Unknown: break;
    }
    return VolumeKind::Unknown;
}

PartitionDetails ShowPartitionDetails(VolumeKind kind, int partitionIndex, int diskNumber,
                                      SearchMode mode, std::uint64_t first, std::uint64_t end,
                                      const CurrentDisk& disk) {
    PartitionDetails details;
    const bool unknown = kind == VolumeKind::Unknown;
    const auto diskEnd = static_cast<std::int64_t>(disk.totalSectors64);
    details.startField = unknown ? 0 : static_cast<std::int64_t>(first);
    details.endField = unknown ? diskEnd : static_cast<std::int64_t>(end);
    details.typeChoice = ChoiceForKind(kind);
    const std::string number = std::to_string(partitionIndex + 1);
    const std::string size = MegabytesText(details.endField - details.startField);

    if (mode == SearchMode::Standard) {
        details.modeText = "Standard Search";
        details.typeChoiceEnabled = false;
        details.rows = {
            {"1.   Disk Number                    :  ", std::to_string(diskNumber)},
            {"2.   Partition Number              :  ", number},
            {"3.   Partition Type                   :  ",
             unknown ? kUnknownPartition : std::string(VolumeKindText(kind))},
            {"4.   Search Mode                   :  ", "Standard"},
            {"5.   Start Sector                     :  ", std::to_string(details.startField)},
            {"6.   End Sector                      :  ", std::to_string(details.endField)},
            {"7.   Size                                 :  ", size},
        };
        if (!unknown)
            if (const auto warning = PastDiskEndWarning(first, end, disk.totalSectors64))
                details.rows.push_back({"8.   Warning                          :  ", *warning});
    } else {
        details.modeText = "Advance Search";
        details.typeChoiceEnabled = true;
        details.rows = {
            {"1.   Partition Number          :          ", number},
            {"2.   Search Mode               :          ", "Advance"},
            {"3.   Size                             :  ", size},
        };
        if (!unknown)
            if (const auto warning = PastDiskEndWarning(first, end, disk.totalSectors64))
                details.rows.push_back({"4.   Warning                 :          ", *warning});
    }
    return details;
}

}  // namespace datrevo
