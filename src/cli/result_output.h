// What datrevo-cli prints of a recovery result: the folder tree, one folder's
// rows as the file list shows them, or every folder and file as TSV.
#pragma once

#include <ostream>
#include <string>

#include "recovery/recovery_context.h"

namespace datrevo::cli {

// Prepares a result for output: FAT folders are named from their parents'
// directories (as opening each of them does) and deletion is passed down.
void CompleteResult(RecoveryContext& context);

// The tree of folders, deleted ones marked; with `withFiles` each folder's
// files follow its subfolders.
void PrintTree(std::ostream& out, RecoveryContext& context, bool withFiles);

// The rows of the folder at `path` ('/'-separated from the volume root; ""
// or "/" for the root): name, type, size, date, time. False when there is no
// such folder.
bool PrintFolderRows(std::ostream& out, RecoveryContext& context, const std::string& path);

// Every folder and file: full path from the volume root, FOLDER or FILE,
// size, date text, time text, deleted flag (1 or 0), tab-separated. A result
// with files whose data lies beyond the end of the disk adds a column
// "past_disk_end", 1 for those files (the tree and lists mark them
// "[past disk end]").
void PrintTsv(std::ostream& out, RecoveryContext& context);

}  // namespace datrevo::cli
