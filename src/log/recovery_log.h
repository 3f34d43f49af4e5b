// Saving a finished recovery to a log file and loading it again.
//
// The file dialogs belong to the front end: these functions get the chosen
// path. Messages go to the prompter with the program's texts; guide texts and
// progress go to the context's observer.
#pragma once

#include <filesystem>
#include <stop_token>
#include <string_view>

#include "base/prompter.h"
#include "base/visible_texts.h"
#include "recovery/recovery_context.h"

namespace datrevo {

// Texts of the recovery log.
inline constexpr std::string_view kLogFloppyRefused = "Recovery can not be saved for Floppy";
inline constexpr std::string_view kLogFloppyCaption = "Error";
inline constexpr std::string_view kLogUnableToOpen = "Unable to open file";
inline constexpr std::string_view kLogUnableToWrite = "Unable to write file";
inline constexpr std::string_view kLogRejected =
    "Either the selected log file is corrupted or you have selected the wrong disk for recovery.";
inline constexpr std::string_view kLogPleaseWait = kGuidePleaseWait;
inline constexpr std::string_view kLogLoadedGuide =
    "Select Files and Folders from left Panel Directories' Tree and Click on 'Save' button in "
    "Toolbar to save recovered Files and Folders.";
// The partition page's guide text; the quotes are U+2018 and U+2019.
inline constexpr std::string_view kLogPartitionPageGuide =
    "Select the Partition from Top Panel from which you want to recover Data. If the partition "
    "(from which you want to recover your data) is not in the list, Press \u2018Search More "
    "Partitions\u2019 button to search other Lost or Deleted Partitions. Press \u2018Next\u2019 "
    "button to start searching Data.";

// Writes the context's recovery to `path` (the name as given, no case
// change). The file is written under a temporary name in the same folder and
// renamed over `path` once complete, so a failed save never leaves half a
// log nor spoils an earlier one. A FAT12 result, a text too long for its
// field, a file that cannot be created and a failed write are reported to
// the prompter. True when the log was written.
bool SaveRecoveryLog(const std::filesystem::path& path, const RecoveryContext& context,
                     Prompter& prompter);

enum class LogLoadOutcome {
    Loaded,         // results restored, tree rebuilt
    Rejected,       // unreadable or damaged log: message shown
    ModelMismatch,  // a log of another disk model: message shown, search mode put back
    Stopped,        // the stop token was triggered: nothing restored
};

// Loads the log at `path` (opened read-only, so a log on a read-only medium
// loads) for the disk whose model text the context holds. The whole log is
// decoded and checked before anything is restored: a rejected, mismatched or
// stopped load leaves the search values and layouts as they were. The
// results of the context (the tree with its folder nodes, FolderTable and
// EntryTable) are emptied at the start, as a new load replaces them whatever
// its outcome. Runs on the caller's thread; the front end runs it on a
// worker and may stop it through `stop`.
LogLoadOutcome LoadRecoveryLog(const std::filesystem::path& path, RecoveryContext& context,
                               Prompter& prompter, std::stop_token stop = {});

}  // namespace datrevo
