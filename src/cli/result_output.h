// What datrevo-cli prints of a recovery result: the folder tree, one folder's
// rows as the file list shows them, or every folder and file as TSV, JSON
// Lines or DFXML. Paths are '/'-separated from the volume root everywhere.
#pragma once

#include <ostream>
#include <string>

#include "recovery/recovery_context.h"
#include "search/search_setup.h"  // CompleteResult, which every output needs first

namespace datrevo::cli {

// "Volume label: NAME" for a FAT volume that has a label entry; nothing else.
void PrintVolumeLabel(std::ostream& out, const RecoveryContext& context);

// The tree of folders, deleted ones marked [deleted] and folders rebuilt
// without an entry in their parent [lost]; with `withFiles` each folder's
// files follow its subfolders. The volume label entry is not a file and is
// not listed.
void PrintTree(std::ostream& out, RecoveryContext& context, bool withFiles);

// The rows of the folder at `path` ('/'-separated from the volume root; ""
// or "/" for the root): name, type, size, date, time. False when there is no
// such folder.
bool PrintFolderRows(std::ostream& out, RecoveryContext& context, const std::string& path);

// Every folder and file, one line each after a header line, tab-separated:
//   path               from the volume root, '/'-separated
//   type               FOLDER or FILE
//   size               bytes (0 for folders)
//   modified           ISO 8601: FAT local time as stored ("2026-12-08T05:31:58"),
//                      NTFS UTC ("2026-12-08T05:31:58Z"); empty when not stored or invalid
//   state              live, deleted or orphan
//   cluster_or_record  first cluster (FAT) or MFT record number (NTFS); empty for
//                      the catch-all folder
//   past_disk_end      1 for a file whose data lies beyond the end of the disk, else 0
// Tab, newline, carriage return and backslash in names are written \t, \n, \r, \\.
void PrintTsv(std::ostream& out, RecoveryContext& context);

// The same fields as JSON Lines: one object per folder and file.
void PrintJsonLines(std::ostream& out, RecoveryContext& context);

}  // namespace datrevo::cli
