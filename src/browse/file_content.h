// Reading a file's contents from the medium, as the save and the byte-run
// listing ask a result volume for them.
//
// Each engine reads the files of its own kind: FAT by the cluster chain or
// the free clusters after a deleted file's first, NTFS by the record's data
// attribute, exFAT by the entry set found again at its File entry's sector.
// Every read goes through ReadSectors in bounded chunks, so a file of any
// size is copied through one small buffer; sectors that cannot be read
// arrive as zeros and are reported.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <stop_token>
#include <string>

namespace datrevo {

enum class ContentKind {
    None,        // nothing to read (a FAT file without a cluster)
    FatFile,     // a FAT directory entry: first cluster and size
    NtfsRecord,  // an NTFS file record: its sector
    ExfatFile,   // an exFAT entry set: its File entry's sector, first cluster and size
};

// Where a file's contents lie.
struct ContentSource {
    ContentKind kind = ContentKind::None;
    std::uint32_t firstCluster = 0;  // FAT, exFAT
    std::uint64_t recordSector = 0;  // NTFS, exFAT: the EntryTable row's "sector"
    std::uint64_t size = 0;          // bytes, as the directory entry or EntryTable says
    bool deleted = false;            // the entry or record is deleted
    std::string stream;  // NTFS: an alternate data stream's name; empty for the file's data
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
    bool interrupted = false;       // the sink or the stop token asked to stop
    ContentFailure failure = ContentFailure::None;  // the first reason the copy is not the file
};

// Reads the files of one volume. A source of another engine's kind (or of
// none) gives no bytes and is reported incomplete when it claims a size.
class ContentReader {
public:
    virtual ~ContentReader() = default;

    // The contents of a file: its size in bytes, or less when they cannot
    // all be found. Ends early, reported interrupted, when the sink returns
    // false or `stop` is triggered.
    virtual ContentReport readContent(const ContentSource& source, const ChunkSink& sink,
                                      std::stop_token stop) const = 0;

    // Where the contents of a file lie on the disk, found as readContent
    // finds them but without reading the data sectors (the FAT, the MFT
    // record and compressed units are still read). `extents` hears of every
    // piece read straight from the disk, in file order; pieces given as
    // zeros (sparse runs, past the initialized size) or decoded (resident or
    // compressed data) are not reported.
    virtual ContentReport mapContent(const ContentSource& source,
                                     const ExtentSink& extents) const = 0;
};

}  // namespace datrevo
