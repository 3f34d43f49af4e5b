// Writes a recovery log's bytes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "log/log_contents.h"

namespace datrevo {

struct EncodedLog {
    std::vector<std::uint8_t> bytes;
    // Empty on success; otherwise why the contents cannot be stored (a text
    // longer than its field carries), worded for the user.
    std::string error;

    bool ok() const { return error.empty(); }
};

// Lays the contents out as a log file: signature, model text, the four
// single bytes, the two partition texts, the search range, the 12, 8 and 4
// parameter values, the active kind, the folder records and, for an NTFS
// result, the file records. All integers little-endian, texts without
// terminator after their length, no padding.
EncodedLog EncodeRecoveryLog(const LogContents& contents);

}  // namespace datrevo
