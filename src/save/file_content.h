// Reading a file's contents from the medium in bounded chunks, for copying.
//
// Every read goes through ReadSectors, at most limits::kSaveChunkSectors
// sectors at a time, so a file of any size is copied through one small
// buffer. Sectors that cannot be read arrive as zeros and are reported.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>

#include "disk/disk_reader.h"
#include "exfat/exfat_volume.h"
#include "fat/fat_layout.h"
#include "ntfs/ntfs_values.h"
#include "save/save_plan.h"

namespace datrevo {

// The volume a result belongs to, as the content readers need it.
struct SourceVolume {
    DiskReader disk;
    FatLayout layout;  // FAT: the active layout; NTFS: SPC and Cluster0Start (volume start)
    std::uint64_t volumeEnd = 0;  // one past the volume's last sector (0: the disk's end)
    MftRunList mftRuns;           // NTFS Standard search: extension records are found through it
    // exFAT: the volume the layout describes, with its allocation bitmap,
    // opened once for the whole save (opened per file when not given).
    std::shared_ptr<const ExfatVolume> exfat;
};

// Why a copy cannot pass for the file, though what could be read was written.
enum class ContentFailure {
    None,
    Encrypted,           // NTFS encrypted data (EFS): the copy holds the encrypted bytes
    Undecodable,         // NTFS data stored in a form not decoded here: the copy holds it as stored
    OutsideVolume,       // NTFS runs that point past the volume's end: zeros stand for them
    DamagedCompression,  // NTFS compressed units that do not decode: zeros stand for what is lost
};

// Receives the contents in order; returning false stops the reading.
using ChunkSink = std::function<bool(std::span<const std::uint8_t>)>;
// A piece of a file taken from the disk: offset in the file, first byte on
// the disk, length in bytes.
using ExtentSink =
    std::function<void(std::uint64_t fileOffset, std::uint64_t diskByte, std::uint64_t length)>;

struct ContentReport {
    std::uint64_t size = 0;   // bytes the copy should have: the listed size, or an NTFS
                              // record's real size
    std::uint64_t bytes = 0;  // bytes handed to the sink
    bool incomplete =
        false;  // fewer bytes than the size: chain or runs too short, record unreadable
    bool unreadable = false;        // some sectors could not be read; zeros stand in their place
    bool overwritten = false;       // a deleted FAT file whose first cluster another file now uses
    bool freeClusterGuess = false;  // a deleted FAT file read from free clusters after its first
    bool interrupted = false;       // the sink asked to stop
    ContentFailure failure = ContentFailure::None;  // the first reason the copy is not the file
};

// The contents of a file: its size in bytes, or less when they cannot all be found.
//
// FAT, live entry: the cluster chain from the first cluster.
// FAT, deleted entry (or a chain whose first cluster the FAT marks free): the
// first cluster, then the following clusters that the FAT marks free,
// skipping those in use, as many as the size needs, up to the volume's end.
// When the first cluster is in use by then, the file was overwritten: the
// copy holds the clusters that follow it on the disk, as they are now.
// exFAT: the entry set found again at its File entry's sector; a live file
// by its FAT chain or, with NoFatChain, its consecutive clusters, up to
// ValidDataLength (zeros after it); a deleted one from its first cluster,
// over the clusters the bitmap shows free when it was FAT-chained (flagged
// like a deleted FAT file), or over its consecutive clusters (flagged
// overwritten when some are in use now).
// NTFS: the record's unnamed data attribute (or the named one of an
// alternate data stream), resident or by its runs (sparse runs read as
// zeros), deleted records alike. LZNT1-compressed data is decompressed unit
// by unit.
//
// `extents`, when given, hears of every piece read straight from the disk:
// its offset in the file, its first byte on the disk and its length, in
// file order. Pieces given as zeros (sparse runs, past the initialized
// size) or decoded (resident or compressed data) are not reported.
ContentReport ReadFileContent(const ContentSource& source, const SourceVolume& volume,
                              const ChunkSink& sink, const ExtentSink& extents = {});

// Where the contents of a file lie on the disk, found as ReadFileContent
// finds them but without reading the data sectors (the FAT, the MFT record
// and compressed units are still read): `extents` as above.
ContentReport MapFileContent(const ContentSource& source, const SourceVolume& volume,
                             const ExtentSink& extents);

}  // namespace datrevo
