// Moving a recovery between the recovery context and a log's contents.
#pragma once

#include <stop_token>

#include "log/log_contents.h"
#include "recovery/recovery_context.h"

namespace datrevo {

// The values a log stores: the disk's model text, the search context, both
// layouts with their NTFS values, the folder-node list and, for an NTFS
// result, EntryTable (its cells read as numbers the way the log stores them).
LogContents GatherLogContents(const RecoveryContext& context);

// Puts a decoded log's search values back into the context: the partition
// number, kind and mode texts, the range, the layouts and NTFS values. The
// mode becomes Standard Search whatever the log says; the shown disk stays
// the selected one.
void RestoreSearchValues(const LogContents& contents, RecoveryContext& context);

// Fills FolderTable with one "FOLDER" row per folder record and EntryTable
// with one "FILE" row per file record, replacing what they held. Progress
// goes to the observer ("Completed "). False when stopped.
bool RestoreLogTables(const LogContents& contents, Catalogue& catalogue, RecoveryObserver& observer,
                      std::stop_token stop = {});

}  // namespace datrevo
