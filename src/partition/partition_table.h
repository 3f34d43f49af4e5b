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
#include <vector>

#include "base/boot_sector.h"
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

// The type that a partition's boot sector decides: "FAT32" at 82 gives 0x0B,
// "FAT16" at 54 gives 0x06, "NTFS" at 3 gives 0x07; otherwise the entry's own
// type stands.
std::uint8_t TypeBySignature(ByteView bootSector, std::uint8_t entryType);

// "EXFAT   " at offset 3. exFAT has no type byte of its own: it shares 0x07
// with NTFS, so only its boot sector tells them apart.
bool IsExfatBootSector(ByteView sector);

// The kind listed for a partition: exFAT by its boot sector, else the kind
// of the type that TypeBySignature decides; nothing for a type that is not
// listed.
std::optional<VolumeKind> PartitionKind(ByteView bootSector, std::uint8_t entryType,
                                        bool inExtendedChain);

// The kind listed for a type byte, or nothing for a type that is not
// searched. 0x01 counts as FAT16 only inside the extended chain.
std::optional<VolumeKind> KindForType(std::uint8_t type, bool inExtendedChain);
bool IsExtendedType(std::uint8_t type);

// The kind of a whole-disk volume: sector 0 that is itself a FAT16, FAT32,
// NTFS or exFAT boot sector (sticks and cards formatted without a table, volume images).
std::optional<VolumeKind> WholeDiskVolumeKind(ByteView sector0);

struct PartitionTableResult {
    bool partitionsListed = false;   // at least one partition recorded
    bool corrupted = false;          // an entry pointed within the corrupted-table margin
    bool chainCut = false;           // the extended chain looped or ran too long
    bool gpt = false;                // the MBR is protective: the GPT was read
    bool gptFromBackup = false;      // ... from its backup at the end of the disk
    std::vector<std::string> notes;  // GPT damage and entries left out, for the user
};

// Reads the tables of a disk of `diskTotalSectors` sectors and appends every
// searchable partition to `list`. A corrupted table raises the read-failure
// notice on `observer`. A protective MBR (an entry of type 0xEE) hands the
// disk to the GPT reader.
PartitionTableResult ListPartitions(const DiskReader& disk, std::uint64_t diskTotalSectors,
                                    DiskPartitionList& list, RecoveryObserver* observer,
                                    std::uint64_t tableSector = 0);

}  // namespace datrevo
