// Reading the master boot record and the chain of extended boot records.
//
// MBR and EBR (sector of 512 bytes, little-endian):
//   0x1BE  4 x 16-byte entries:
//          +4  type byte
//          +8  first sector (32-bit; in an EBR relative to that record's
//              sector for a volume, relative to the extended partition's
//              start for the link to the next record)
//          +12 sector count (32-bit)
//   0x1FE  0x55 0xAA
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "base/byte_view.h"
#include "base/observer.h"
#include "disk/disk_reader.h"
#include "partition/partition_list.h"

namespace datrevo {

struct PartitionEntry {
    std::uint8_t type = 0;
    std::uint32_t firstSector = 0;
    std::uint32_t sectorCount = 0;
};

// Entry `index` (0..3) of a partition table sector.
PartitionEntry ReadPartitionEntry(ByteView sector, int index);
bool HasBootSignature(ByteView sector);

// The type that a partition's boot sector decides: "FAT32" at 82 gives 0x0B,
// "FAT16" at 54 gives 0x06, "NTFS" at 3 gives 0x07; otherwise the entry's own
// type stands.
std::uint8_t TypeBySignature(ByteView bootSector, std::uint8_t entryType);

// The kind listed for a type byte, or nothing for a type that is not
// searched. 0x01 counts as FAT16 only inside the extended chain.
std::optional<std::string> KindForType(std::uint8_t type, bool inExtendedChain);
bool IsExtendedType(std::uint8_t type);

// The kind of a whole-disk volume: sector 0 that is itself a FAT16, FAT32 or
// NTFS boot sector (sticks and cards formatted without a table, volume images).
std::optional<std::string> WholeDiskVolumeKind(ByteView sector0);

struct PartitionTableResult {
    bool partitionsListed = false;  // at least one partition recorded
    bool corrupted = false;         // an entry pointed within the corrupted-table margin
    bool chainCut = false;          // the extended chain looped or ran too long
};

// Reads the tables of a disk of `diskTotalSectors` sectors and appends every
// searchable partition to `list`. A corrupted table raises the read-failure
// notice on `observer`.
PartitionTableResult ListPartitions(const DiskReader& disk, std::uint64_t diskTotalSectors,
                                    DiskPartitionList& list, RecoveryObserver* observer,
                                    std::uint64_t tableSector = 0);

}  // namespace datrevo
