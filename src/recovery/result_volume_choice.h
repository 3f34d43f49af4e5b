// The result volume of the current result, chosen once from the kind of the
// active layout: the file list and the save both read the files, and the
// save and the byte-run listing their contents, through it.
#pragma once

#include <memory>

#include "browse/result_volume.h"
#include "recovery/recovery_context.h"

namespace datrevo {

// NTFS and exFAT read EntryTable through its index by parent, kept in the
// context (built on the first list, rebuilt after the table changes), so
// every list and save of one result shares it;
// FAT16 and FAT32 read the folders' directories from the selected disk. A
// kind no engine searches lists its folders only, through the FAT reader,
// which gives no files for it.
std::unique_ptr<ResultVolume> MakeResultVolume(RecoveryContext& context);

}  // namespace datrevo
