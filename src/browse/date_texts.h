// Date and time texts of the file list.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>

namespace datrevo {

// FAT date word: bits 0-4 day, 5-8 month, 9-15 years since 1980. The day
// with two digits, the month's name ("JAN" .. "DEC", "ERR" for 0 or above
// 12) and the year: "05-MAR-2009".
std::string FatDateText(std::uint16_t date);
// FAT time word: bits 11-15 hour, 5-10 minute (seconds are not shown): "14:07".
std::string FatTimeText(std::uint16_t time);

// A FILETIME (100-nanosecond units since 1601-01-01) as it stands, without a
// time zone: "5-MAR-2009", and "14:7:3". Exact for every 64-bit value.
std::string NtfsDateText(std::uint64_t filetime);
std::string NtfsTimeText(std::uint64_t filetime);

// The texts the catch-all folder shows instead of stored values: the given
// local time as "06-Dec-2026" and "14:07".
std::string CurrentDateText(const std::tm& localTime);
std::string CurrentTimeText(const std::tm& localTime);

}  // namespace datrevo
