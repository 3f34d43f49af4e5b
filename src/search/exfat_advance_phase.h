// The Advance search for exFAT as phases on a recovery context: the scan of
// the range and its analysis into the volumes offered (BootRecordTable and
// VolumeTable rows), then the recovery of the volume chosen: rebuilt from
// its VolumeTable row, walked from its root, scanned for lost folders, and
// stored as the result (FolderTable, EntryTable, the folder tree).
#pragma once

#include <stop_token>

#include "disk/disk_reader.h"
#include "recovery/recovery_context.h"

namespace datrevo {

struct ExfatAdvanceResult {
    int volumesFound = 0;
    bool stopped = false;  // the scan was stopped: the volumes are those of what it found
};

// Scans [searchStart, searchEnd) of the context's search. `stop` ends the
// scan; the analysis then runs on what was found. The tables of an earlier
// scan are emptied first.
ExfatAdvanceResult RunExfatAdvanceScan(RecoveryContext& context, const DiskReader& reader,
                                       std::stop_token stop = {});

// Rebuilds volume `volume` (from 1) into the result; the active layout
// becomes its exFAT layout. False when there is no such volume or its row
// does not describe a readable one. `stop` ends the lost-folder scan.
bool RecoverExfatVolume(RecoveryContext& context, const DiskReader& reader, int volume,
                        std::stop_token stop = {});

}  // namespace datrevo
