#include "cli/machine_text.h"

#include <array>
#include <charconv>
#include <cstdio>

#include "base/text_codec.h"

namespace datrevo::cli {
namespace {

constexpr std::uint64_t kFileTimeUnitsPerSecond = 10'000'000;
// Days from 1601-01-01, where FILETIME counts from, to 1970-01-01.
constexpr std::int64_t kDaysFrom1601To1970 = 134'774;
constexpr std::array<std::string_view, 12> kMonthNames = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                                          "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};

bool IsLeapYear(std::int64_t year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(std::int64_t year, int month) {
    constexpr std::array<int, 12> kDays = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[static_cast<std::size_t>(month - 1)];
}

// Civil date of a day count from 1970-01-01 (proleptic Gregorian).
void CivilFromDays(std::int64_t days, std::int64_t& year, int& month, int& day) {
    days += 719'468;
    const std::int64_t era = (days >= 0 ? days : days - 146'096) / 146'097;
    const std::int64_t dayOfEra = days - era * 146'097;
    const std::int64_t yearOfEra =
        (dayOfEra - dayOfEra / 1'460 + dayOfEra / 36'524 - dayOfEra / 146'096) / 365;
    const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const std::int64_t shiftedMonth = (5 * dayOfYear + 2) / 153;
    day = static_cast<int>(dayOfYear - (153 * shiftedMonth + 2) / 5 + 1);
    month = static_cast<int>(shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9);
    year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
}

std::string IsoText(std::int64_t year, int month, int day, int hour, int minute, int second,
                    bool utc) {
    char text[48];
    std::snprintf(text, sizeof text, "%04lld-%02d-%02dT%02d:%02d:%02d%s",
                  static_cast<long long>(year), month, day, hour, minute, second, utc ? "Z" : "");
    return text;
}

bool ReadNumber(std::string_view text, std::int64_t& value) {
    if (text.empty()) return false;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() && value >= 0;
}

// Passes each code point of `text` to `put` with its bytes; a byte that is
// not part of valid UTF-8 comes as U+FFFD with no bytes.
template <typename Put>
void ForEachCodePoint(std::string_view text, Put put) {
    std::size_t at = 0;
    while (at < text.size()) {
        const auto lead = static_cast<unsigned char>(text[at]);
        std::size_t length = lead < 0x80           ? 1
                             : (lead >> 5) == 0x6  ? 2
                             : (lead >> 4) == 0xE  ? 3
                             : (lead >> 3) == 0x1E ? 4
                                                   : 0;
        if (length != 0 && at + length <= text.size() && IsValidUtf8(text.substr(at, length))) {
            char32_t code = length == 1 ? lead : lead & (0x7F >> length);
            for (std::size_t i = 1; i < length; ++i)
                code = (code << 6) | (static_cast<unsigned char>(text[at + i]) & 0x3F);
            put(code, text.substr(at, length));
            at += length;
        } else {
            put(U'\uFFFD', std::string_view());  // no bytes: not valid UTF-8
            ++at;
        }
    }
}

}  // namespace

std::string IsoFromFatWords(std::uint16_t date, std::uint16_t time) {
    if (date == 0) return {};
    const int day = date & 0x1F;
    const int month = (date >> 5) & 0x0F;
    const std::int64_t year = 1980 + (date >> 9);
    const int second = (time & 0x1F) * 2;
    const int minute = (time >> 5) & 0x3F;
    const int hour = time >> 11;
    if (month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month)) return {};
    if (hour > 23 || minute > 59 || second > 59) return {};
    return IsoText(year, month, day, hour, minute, second, false);
}

std::string IsoFromFileTime(std::uint64_t filetime) {
    if (filetime == 0) return {};
    const std::uint64_t seconds = filetime / kFileTimeUnitsPerSecond;
    const auto days = static_cast<std::int64_t>(seconds / 86'400) - kDaysFrom1601To1970;
    const auto inDay = static_cast<int>(seconds % 86'400);
    std::int64_t year = 0;
    int month = 0;
    int day = 0;
    CivilFromDays(days, year, month, day);
    return IsoText(year, month, day, inDay / 3'600, inDay / 60 % 60, inDay % 60, true);
}

std::string IsoFromNtfsTexts(std::string_view date, std::string_view time) {
    const std::size_t dash1 = date.find('-');
    const std::size_t dash2 = date.find('-', dash1 == std::string_view::npos ? 0 : dash1 + 1);
    const std::size_t colon1 = time.find(':');
    const std::size_t colon2 = time.find(':', colon1 == std::string_view::npos ? 0 : colon1 + 1);
    if (dash1 == std::string_view::npos || dash2 == std::string_view::npos ||
        colon1 == std::string_view::npos || colon2 == std::string_view::npos)
        return {};
    std::int64_t day = 0, year = 0, hour = 0, minute = 0, second = 0;
    const std::string_view monthName = date.substr(dash1 + 1, dash2 - dash1 - 1);
    int month = 0;
    for (std::size_t i = 0; i < kMonthNames.size(); ++i)
        if (kMonthNames[i] == monthName) month = static_cast<int>(i) + 1;
    if (month == 0 || !ReadNumber(date.substr(0, dash1), day) ||
        !ReadNumber(date.substr(dash2 + 1), year) || !ReadNumber(time.substr(0, colon1), hour) ||
        !ReadNumber(time.substr(colon1 + 1, colon2 - colon1 - 1), minute) ||
        !ReadNumber(time.substr(colon2 + 1), second))
        return {};
    if (day < 1 || day > DaysInMonth(year, month) || hour > 23 || minute > 59 || second > 59)
        return {};
    // FILETIME 0: not stored.
    if (year == 1601 && month == 1 && day == 1 && hour == 0 && minute == 0 && second == 0)
        return {};
    return IsoText(year, month, static_cast<int>(day), static_cast<int>(hour),
                   static_cast<int>(minute), static_cast<int>(second), true);
}

std::string TsvEscaped(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
            case '\t': out += "\\t"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\\': out += "\\\\"; break;
            default: out += c;
        }
    }
    return out;
}

std::string JsonString(std::string_view text) {
    std::string out = "\"";
    ForEachCodePoint(text, [&out](char32_t code, std::string_view bytes) {
        switch (code) {
            case U'"': out += "\\\""; return;
            case U'\\': out += "\\\\"; return;
            case U'\n': out += "\\n"; return;
            case U'\r': out += "\\r"; return;
            case U'\t': out += "\\t"; return;
            case U'\b': out += "\\b"; return;
            case U'\f': out += "\\f"; return;
            default: break;
        }
        if (bytes.empty()) {
            out += "\\uFFFD";
            return;
        }
        if (code < 0x20 || code == 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04X", static_cast<unsigned>(code));
            out += escaped;
            return;
        }
        out += bytes;
    });
    out += '"';
    return out;
}

std::string XmlEscaped(std::string_view text) {
    std::string out;
    ForEachCodePoint(text, [&out](char32_t code, std::string_view bytes) {
        switch (code) {
            case U'&': out += "&amp;"; return;
            case U'<': out += "&lt;"; return;
            case U'>': out += "&gt;"; return;
            case U'"': out += "&quot;"; return;
            case U'\'': out += "&apos;"; return;
            case U'\t': out += "&#9;"; return;
            case U'\n': out += "&#10;"; return;
            case U'\r': out += "&#13;"; return;
            default: break;
        }
        // Characters XML 1.0 does not allow at all.
        if (bytes.empty() || code < 0x20 || code == 0xFFFE || code == 0xFFFF) {
            out += "\xEF\xBF\xBD";
            return;
        }
        out += bytes;
    });
    return out;
}

}  // namespace datrevo::cli
