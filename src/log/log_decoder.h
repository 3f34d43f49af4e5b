// Reads a recovery log's bytes back into its contents.
//
// The format has neither checksum nor end marker, so every length and count
// is checked against the bytes that remain before anything is allocated: a
// cut or hostile log is reported as damaged, never read past its end.
#pragma once

#include <cstdint>
#include <span>
#include <stop_token>
#include <string>

#include "log/log_contents.h"

namespace datrevo {

enum class LogDecodeStatus {
    Decoded,
    ModelUnreadable,  // the model text (the log's first field) could not be read
    Damaged,          // the model text was read, a later field was not
    Stopped,          // the stop token was triggered
};

struct DecodedLog {
    LogDecodeStatus status = LogDecodeStatus::Damaged;
    // Filled as far as the log was read; the model text is valid for every
    // status but ModelUnreadable.
    LogContents contents;
    // What was wrong and at which byte offset, for diagnostics.
    std::string problem;
};

// The signature (bytes 0 to 18) is not compared: a log whose signature was
// damaged but whose fields read is still a log. Bytes after the last record
// are ignored. Names that are not UTF-8 (logs written with an 8-bit code
// page) are read as Windows-1252.
DecodedLog DecodeRecoveryLog(std::span<const std::uint8_t> bytes, std::stop_token stop = {});

}  // namespace datrevo
