// Setting up a search and completing its result, the same for every front
// end: the mode text, the range clamped to the disk, the partition's bounds
// and kind, the validation a Standard search starts with, and the naming of
// a FAT result's folders afterwards.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>

#include "base/details_list.h"
#include "base/item_id.h"
#include "base/search_mode.h"
#include "base/volume_kind.h"
#include "recovery/recovery_context.h"

namespace datrevo {

// "Standard Search" or "Advance Search", as the summary and the log show it.
std::string_view SearchModeText(SearchMode mode);

// The end of a range on a disk of `diskSectors` sectors: no further than its end.
std::uint64_t ClampRangeEnd(std::uint64_t end, std::uint64_t diskSectors);

// Whether the range [start, end), its end clamped to the selected disk, holds
// any sector.
bool RangeFitsDisk(const RecoveryContext& context, std::uint64_t start, std::uint64_t end);

// Sets the search values of the context for the range [start, end) of file
// system `kind` (end clamped to the selected disk), the range of the listed
// partition `partitionIndex` (from 0) when the user picked one. False, with
// nothing changed, when the clamped range is empty.
bool SetRangeSearch(RecoveryContext& context, SearchMode mode, std::uint64_t start,
                    std::uint64_t end, VolumeKind kind, int partitionIndex = 0);

// Sets the search values of the context for partition `index` (from 0) of
// the selected disk's list, which must hold it.
void SetPartitionSearch(RecoveryContext& context, SearchMode mode, std::size_t index);

// The details rows of the search that is about to start: disk, partition,
// kind, range and mode, and when the searched partition is a listed one that
// extends past the end of the disk, a warning that says so.
DetailsList SearchSummaryRows(const RecoveryContext& context);

// Before the search's workers start: a Standard search validates the
// partition first (a failed validation leaves no volume values behind; the
// search then finds nothing and ends with the one nothing-found notice).
void BeginSearch(RecoveryContext& context);

// After a search or a loaded log: a FAT result's folders are named from
// their parents' directories, as opening each of them does, and deletion is
// passed down. Reads every folder's directory; `stop` ends it early.
void CompleteResult(RecoveryContext& context, std::stop_token stop = {});

// A folder of the result opened in the tree: a FAT folder names its child
// folders from its directory (a search names them all at its end; this
// covers any folder left). True when the names of its children may have
// changed.
bool OpenResultFolder(RecoveryContext& context, ItemId folder);

}  // namespace datrevo
