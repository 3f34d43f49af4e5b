#include "save/copy_time.h"

#include <ctime>

namespace datrevo {
namespace {

// FILETIME of 1970-01-01 00:00 UTC.
constexpr std::uint64_t kUnixEpochFiletime = 116444736000000000ULL;
constexpr std::uint64_t kFiletimeUnitsPerSecond = 10000000ULL;

}  // namespace

std::optional<CopyTime> FatCopyTime(std::uint16_t date, std::uint16_t time) {
    if (date == 0) return std::nullopt;
    const int day = date & 0x1F;
    const int month = (date >> 5) & 0x0F;
    const int year = (date >> 9) + 1980;
    const int hour = time >> 11;
    const int minute = (time >> 5) & 0x3F;
    const int second = (time & 0x1F) * 2;
    if (day < 1 || day > 31 || month < 1 || month > 12 || hour > 23 || minute > 59 || second > 59)
        return std::nullopt;
    std::tm fields{};
    fields.tm_year = year - 1900;
    fields.tm_mon = month - 1;
    fields.tm_mday = day;
    fields.tm_hour = hour;
    fields.tm_min = minute;
    fields.tm_sec = second;
    fields.tm_isdst = -1;
    const std::time_t seconds = std::mktime(&fields);
    if (seconds == static_cast<std::time_t>(-1)) return std::nullopt;
    return CopyTime{static_cast<std::int64_t>(seconds), 0};
}

std::optional<CopyTime> NtfsCopyTime(std::uint64_t filetime) {
    if (filetime < kUnixEpochFiletime) return std::nullopt;
    const std::uint64_t since = filetime - kUnixEpochFiletime;
    const std::uint64_t seconds = since / kFiletimeUnitsPerSecond;
    if (seconds > static_cast<std::uint64_t>(INT64_MAX)) return std::nullopt;
    return CopyTime{static_cast<std::int64_t>(seconds),
                    static_cast<std::uint32_t>((since % kFiletimeUnitsPerSecond) * 100)};
}

}  // namespace datrevo
