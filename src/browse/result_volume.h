// The files of a result, as the file list and the save read them.
//
// A result volume answers, for the folders of a search or a loaded log, which
// files a folder holds, how a folder is prepared before its subfolders are
// read (FAT names them from its directory), and what a file's contents are.
// The FAT engine implements it by reading directories from the disk, the NTFS
// engine from EntryTable through an index by parent; each reads contents its
// own way. The front end chooses one from the volume's kind once.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

#include "base/item_id.h"
#include "base/volume_kind.h"
#include "browse/file_content.h"
#include "browse/folder_node.h"
#include "catalogue/catalogue_table.h"
#include "catalogue/entry_rows.h"

namespace datrevo {

// How the rows of a volume are typed and dated.
// One file of a folder. FAT files carry their directory entry's fields; NTFS
// files their EntryTable row's.
struct ResultFile {
    std::string name;
    bool deleted = false;
    bool volumeLabel = false;  // FAT: a volume-label entry (listed, never saved)
    std::uint64_t size = 0;
    std::string sizeText;            // the size as the list shows it (NTFS: the cell as stored)
    std::string rowKey;              // "Debug Info 1": FAT first cluster, NTFS record sector
    std::uint32_t firstCluster = 0;  // FAT
    std::uint16_t fatDate = 0;       // FAT date and time words
    std::uint16_t fatTime = 0;
    std::uint64_t recordSector = 0;  // NTFS
    std::uint32_t self = 0;          // NTFS record number
    std::uint64_t filetime = 0;      // NTFS
    bool system = false;             // NTFS: a file of the file system's own ($MFT ...)
    bool stream = false;             // NTFS: an alternate data stream "name:stream"
    std::string streamName;
};

class ResultVolume : public ContentReader {
public:
    virtual ~ResultVolume() = default;

    // FAT16, FAT32 or NTFS: which engine made the result.
    virtual VolumeKind kind() const = 0;
    bool ntfs() const { return kind() == VolumeKind::Ntfs; }
    // The own number of the root folder: 0 on FAT, record 5 on NTFS.
    std::uint32_t rootNumber() const;
    // The own number of the folder an item shows: its first folder node's,
    // or the root's for the root item and items without a node.
    std::uint32_t folderNumber(const FolderNodeList& nodes, ItemId item) const;

    // Called before a folder's subfolders are read from the tree: FAT
    // folders name their child folders from their directory, as opening
    // them in the tree does.
    virtual void prepare(ItemId /*folderItem*/) {}
    // The files of the folder with this own number, in list order. A FAT
    // folder without a directory (the catch-all folder) has none.
    virtual std::vector<ResultFile> files(std::uint32_t folderNumber, std::stop_token stop) = 0;
    // A folder of the file system's own ($Extend on NTFS).
    virtual bool isSystemFolder(const FolderNode& /*node*/) const { return false; }
    // How a listed file's contents are found: by its directory entry's first
    // cluster (FAT), its record (NTFS) or its entry set (exFAT).
    virtual ContentKind contentKind() const {
        return ntfs() ? ContentKind::NtfsRecord : ContentKind::FatFile;
    }

    // A file's contents, read by the engine's own reader.
    ContentReport readContent(const ContentSource& source, const ChunkSink& sink,
                              std::stop_token stop) const final {
        return contents().readContent(source, sink, std::move(stop));
    }
    ContentReport mapContent(const ContentSource& source, const ExtentSink& extents) const final {
        return contents().mapContent(source, extents);
    }

protected:
    // How the engine reads the contents of its files.
    virtual const ContentReader& contents() const = 0;
};

// What a FAT directory entry names, from its attribute byte: a folder when
// the directory bit is set, else a volume label when the label bit is.
enum class FatEntryType { File, Folder, VolumeLabel };

// One file entry of a FAT directory, decoded by the FAT engine: the name
// (long name when there is one, else the 8.3 name with '_' for a deleted
// entry's lost first byte), what it names, size, date and time words, first
// cluster, and whether the entry is deleted.
struct FatFileEntry {
    std::string name;
    FatEntryType type = FatEntryType::File;
    std::uint32_t size = 0;
    std::uint16_t date = 0;
    std::uint16_t time = 0;
    std::uint32_t firstCluster = 0;
    bool deleted = false;
};

// Reads the entries of a FAT folder for the file list; the FAT engine
// implements it over the selected disk and the active layout.
class FatFolderReader {
public:
    virtual ~FatFolderReader() = default;
    // The entries of the folder whose directory starts at `firstCluster` (0:
    // the root directory: the root cluster on FAT32, the fixed root on FAT16)
    // in directory order, without "." and "..", long-name entries and entries
    // whose names are not acceptable. Stops early when `stop` is triggered.
    virtual std::vector<FatFileEntry> readFolder(std::uint32_t firstCluster,
                                                 std::stop_token stop) = 0;
};

// The files among a FAT folder's entries: directories are left out.
std::vector<ResultFile> FatEntryFiles(const std::vector<FatFileEntry>& entries);

// The files a folder's EntryTable rows describe: `make` turns each row whose
// parent is `folderNumber` into a file, in table order. Stops early when
// `stop` is triggered (looked at every 256 rows).
std::vector<ResultFile> EntryRowFiles(
    const EntryRowIndex& index, std::uint32_t folderNumber, std::stop_token stop,
    const std::function<ResultFile(int row, const EntryRowView& view)>& make);

// The NTFS files of a folder: the EntryTable rows whose parent is its number,
// in table order. A row "name:stream" is an alternate data stream when the
// row of "name" lies in the same record.
std::vector<ResultFile> EntryTableFiles(const CatalogueTable& entryTable,
                                        const EntryRowIndex& index, std::uint32_t folderNumber,
                                        std::stop_token stop = {});

// Records 0-23 are the file system's own ($MFT ... and the reserved ones);
// their names begin with '$'.
bool IsNtfsSystemEntry(std::uint32_t self, const std::string& name);

}  // namespace datrevo
