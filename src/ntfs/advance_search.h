// The Advance search on NTFS: every sector of a range is classified, file
// records, index blocks and boot records are collected, and the MFT numbers
// of the folders and the file systems they belong to are worked out from
// these pieces alone; then one file system is rebuilt into the tree.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "base/byte_view.h"
#include "catalogue/catalogue.h"
#include "disk/disk_reader.h"
#include "ntfs/ntfs_search_scope.h"

namespace datrevo {

// Own numbers of the system files recognised by name ("$MFT" 1, "$MFTMirror"
// 1, "$LogFile" 2, "$Volume" 3, "$AttrDef" 4, "$Bitmap" 6, "$Boot" 7,
// "$BadClus" 8, "$Secure" 9, "$UpCase" 10); nothing for other names.
std::optional<std::uint32_t> SystemFileNumber(std::string_view name);

struct NtfsScanResult {
    int records = 0;      // MftRecordTable rows
    int indexBlocks = 0;  // MftRefTable rows
    int bootRecords = 0;  // BootRecordTable rows
    // The sectors read ([readStart, readEnd)) and, ascending, those of them
    // that begin with "INDX", sound blocks or not: the analysis looks up
    // where a folder's index lands here instead of reading the disk again.
    std::uint64_t readStart = 0;
    std::uint64_t readEnd = 0;
    std::vector<std::uint64_t> indexSignatures;
    bool indexSignaturesKept = true;  // false: too many to keep, the list is empty
    bool stopped = false;
};

// Scans scope.rangeStart .. scope.rangeEnd in batches of 1024 sectors and
// fills MftRecordTable, MftRefTable and BootRecordTable (emptied first).
NtfsScanResult ScanForNtfsStructures(NtfsSearchScope& scope);

// Adds the file record whose first sector is `sector` (its two sectors in
// `record`, as read) as MftRecordTable row `row`, and a file linked under
// several names (hard links) as one row per name after it. Returns the
// number of rows added.
int AddFoundRecord(MftRecordList& mftRecordTable, int row, std::uint64_t sector, ByteView record);

// Joins every extension record of MftRecordTable to its base record (the
// row whose record number is the extension's base reference, in the same
// MFT): a name the extension holds becomes the base's name or a further
// link of it, the size of the data's first piece the base's size, and the
// extension's row keeps neither name nor size (it stays for its sector).
// Extensions whose base was not found are left as they are.
void JoinExtensionRecords(MftRecordList& mftRecordTable);

// Adds the index block at `sector` to MftRefTable when its size, at most
// 64 KiB, and its owner are sound. `block` holds what was read from the
// block's first sector on (at least its first sector). Returns true when a
// row was added.
bool AddFoundIndexBlock(const DiskReader& reader, CatalogueTable& mftRefTable, std::uint64_t sector,
                        ByteView block);

struct NtfsAnalysis {
    int fileSystems = 0;        // VolumeTable rows
    bool recordsFound = false;  // MftRecordTable had rows
    bool wholeRange = false;    // no file system identified: the range taken as one
    bool stopped = false;
};

// The second stage: numbers the folders, assigns them to file systems and
// fills VolumeTable; LostDirTable then holds every folder with its
// file-system number.
// `scan`, when given, is the scan that filled the tables.
NtfsAnalysis AssignMftNumbers(NtfsSearchScope& scope, const NtfsScanResult* scan = nullptr);

// The third stage for file system `number` (from 1): its folders into
// FolderTable (which must hold the catch-all row) and the tree, every found
// file into EntryTable, the geometry set from its VolumeTable row.
// Files of this file system whose folder was not found are given the
// catch-all folder. Returns false when there is no such file system.
bool RecoverNtfsVolume(NtfsSearchScope& scope, std::uint32_t number);

}  // namespace datrevo
