// The searches as sequences of engine phases on one recovery context: the
// validation of the chosen partition, the first stage (a Standard search, or
// the scan and analysis of an Advance search) and the second stage of an
// Advance search (the recovery of the file system the user picked).
//
// These run on whatever thread calls them; SearchWorkers runs them on worker
// threads. A stop request ends the scanning; the phases that follow it run
// on what was found, so the result stays consistent. An abandon request
// (the program is leaving) ends every phase, keeping what was built.
#pragma once

#include <stop_token>

#include "recovery/recovery_context.h"

namespace datrevo {

// Empties the search tables and reads the volume parameters of the partition
// in context.search (kind, start, end) into the partition layout. For FAT the
// result is whether the boot record is usable (the search infers the layout
// when it is not); for NTFS whether a boot sector and the MFT were found;
// for exFAT whether the boot region or its backup is valid.
// The volume values of the partition validated before (layout, NTFS values,
// MFT runs) are cleared first, so a failed validation leaves none behind and
// the search that follows ends with an empty result.
bool ValidatePartition(RecoveryContext& context);

struct SearchOutcome {
    bool foundAnything = false;  // decides the end-of-search notice
    int volumesFound = 0;        // Advance: file systems to choose from (VolumeTable rows)
    int fileRecords = 0;         // NTFS: EntryTable rows
    bool stopped = false;
};

// The first stage: a Standard search (the tree is built), or the scan and
// analysis of an Advance search (the file systems are listed in VolumeTable).
// The end-of-search notices go to the context's prompter.
SearchOutcome RunPartitionSearch(RecoveryContext& context, std::stop_token stop = {},
                                 std::stop_token abandon = {});

// The second stage of an Advance search: rebuilds file system `volume`
// (from 1) into the tree. It has no scan to stop: `stop` ends every phase.
SearchOutcome RunVolumeRecovery(RecoveryContext& context, int volume, std::stop_token stop = {});

// The rows of the details list for an Advance file system (VolumeTable row
// `volume` - 1).
DetailsList FileSystemDetails(const RecoveryContext& context, int volume);

}  // namespace datrevo
