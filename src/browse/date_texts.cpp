#include "browse/date_texts.h"

#include <array>
#include <cstdio>
#include <string_view>

namespace datrevo {
namespace {

constexpr std::array<std::string_view, 12> kMonthNames = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                                          "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};
constexpr std::array<std::string_view, 12> kShortMonthNames = {
    "Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

std::string_view MonthName(unsigned month) {
    return month >= 1 && month <= 12 ? kMonthNames[month - 1] : std::string_view("ERR");
}

std::string TwoDigits(unsigned value) {
    char text[16];
    std::snprintf(text, sizeof text, "%02u", value);
    return text;
}

constexpr std::uint64_t kTicksPerSecond = 10'000'000;
constexpr std::uint64_t kSecondsPerDay = 86'400;
// Days from 0000-03-01 (the start of the proleptic Gregorian era used below)
// to 1601-01-01.
constexpr std::int64_t kEraDaysTo1601 = 584'694;

struct CivilDate {
    std::int64_t year;
    unsigned month;  // 1..12
    unsigned day;    // 1..31
};

// Calendar date of a day count from 0000-03-01, by whole 400-year eras of
// 146097 days; integer arithmetic only, valid for any non-negative count.
CivilDate CivilFromEraDays(std::int64_t days) {
    const std::int64_t era = days / 146'097;
    const auto dayOfEra = static_cast<unsigned>(days - era * 146'097);
    const unsigned yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36'524 - dayOfEra / 146'096) / 365;
    const unsigned dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const unsigned shiftedMonth = (5 * dayOfYear + 2) / 153;  // 0 = March
    const unsigned day = dayOfYear - (153 * shiftedMonth + 2) / 5 + 1;
    const unsigned month = shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9;
    const std::int64_t year =
        static_cast<std::int64_t>(yearOfEra) + era * 400 + (month <= 2 ? 1 : 0);
    return {year, month, day};
}

}  // namespace

std::string FatDateText(std::uint16_t date) {
    const unsigned day = date & 31u;
    const unsigned month = (date >> 5) & 15u;
    const unsigned year = (date >> 9) + 1980u;
    return TwoDigits(day) + "-" + std::string(MonthName(month)) + "-" + std::to_string(year);
}

std::string FatTimeText(std::uint16_t time) {
    return TwoDigits(time >> 11) + ":" + TwoDigits((time >> 5) & 63u);
}

std::string NtfsDateText(std::uint64_t filetime) {
    const std::uint64_t days = filetime / kTicksPerSecond / kSecondsPerDay;
    const CivilDate date = CivilFromEraDays(static_cast<std::int64_t>(days) + kEraDaysTo1601);
    return std::to_string(date.day) + "-" + std::string(MonthName(date.month)) + "-" +
           std::to_string(date.year);
}

std::string NtfsTimeText(std::uint64_t filetime) {
    const std::uint64_t secondOfDay = filetime / kTicksPerSecond % kSecondsPerDay;
    return std::to_string(secondOfDay / 3600) + ":" + std::to_string(secondOfDay / 60 % 60) + ":" +
           std::to_string(secondOfDay % 60);
}

std::string CurrentDateText(const std::tm& localTime) {
    const auto month = static_cast<unsigned>(localTime.tm_mon) % 12;
    return TwoDigits(static_cast<unsigned>(localTime.tm_mday)) + "-" +
           std::string(kShortMonthNames[month]) + "-" + std::to_string(localTime.tm_year + 1900);
}

std::string CurrentTimeText(const std::tm& localTime) {
    return TwoDigits(static_cast<unsigned>(localTime.tm_hour)) + ":" +
           TwoDigits(static_cast<unsigned>(localTime.tm_min));
}

}  // namespace datrevo
