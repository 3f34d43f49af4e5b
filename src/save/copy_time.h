// The modification time given to a copy, from the times the medium stores.
#pragma once

#include <cstdint>
#include <optional>

namespace datrevo {

// Seconds and nanoseconds since 1970-01-01 00:00 UTC.
struct CopyTime {
    std::int64_t seconds = 0;
    std::uint32_t nanoseconds = 0;

    bool operator==(const CopyTime&) const = default;
};

// A FAT date word (bits 15-9 year from 1980, 8-5 month, 4-0 day) and time
// word (bits 15-11 hour, 10-5 minute, 4-0 seconds / 2), read as local time
// (FAT stores no zone). Nothing for a date word of 0 or fields out of range.
std::optional<CopyTime> FatCopyTime(std::uint16_t date, std::uint16_t time);

// An NTFS FILETIME (100-nanosecond units since 1601-01-01 UTC). Nothing for
// 0 and for values before 1970 or too large for the host's time type.
std::optional<CopyTime> NtfsCopyTime(std::uint64_t filetime);

}  // namespace datrevo
