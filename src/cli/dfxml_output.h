// --dfxml FILE: the result as Digital Forensics XML, the form fiwalk and
// other forensic tools write: one volume with its offset on the disk, one
// fileobject per folder and file with its name, size, allocation, time and
// the byte runs where its contents lie.
#pragma once

#include <ostream>
#include <string>

#include "recovery/recovery_context.h"

namespace datrevo::cli {

// Writes the DFXML document of the current result; `imagePath` names the
// disk it was read from. Finding the byte runs reads the FAT and MFT
// records but not the files' data.
void WriteDfxml(std::ostream& out, RecoveryContext& context, const std::string& imagePath);

}  // namespace datrevo::cli
