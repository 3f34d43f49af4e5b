#include "catalogue/cell_compare.h"

#include <array>
#include <cctype>
#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>

namespace datrevo {
namespace {

std::string_view SkipBlanks(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    return text;
}

// Hexadecimal reading. Values past 64 bits saturate, so decimal texts of up
// to sixteen digits keep their order (a 32-bit reading would lose the order
// of nine- and ten-digit cluster and record numbers).
std::optional<std::uint64_t> ReadHex(std::string_view text) {
    text = SkipBlanks(text);
    std::uint64_t value = 0;
    bool saturated = false;
    for (char c : text) {
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return std::nullopt;
        if (value > (UINT64_MAX >> 4)) saturated = true;
        value = saturated ? UINT64_MAX : (value << 4) | static_cast<std::uint64_t>(digit);
    }
    return value;
}

std::optional<double> ReadNumber(std::string_view text) {
    text = SkipBlanks(text);
    if (!text.empty() && text.back() == '%') text.remove_suffix(1);
    if (text.empty()) return std::nullopt;
    const std::string copy(text);
    char* end = nullptr;
    const double value = std::strtod(copy.c_str(), &end);
    if (end != copy.c_str() + copy.size()) return std::nullopt;
    return value;
}

std::optional<int> ReadSmallNumber(std::string_view& text, int maxDigits) {
    int value = 0;
    int digits = 0;
    while (!text.empty() && std::isdigit(static_cast<unsigned char>(text.front())) &&
           digits < maxDigits) {
        value = value * 10 + (text.front() - '0');
        text.remove_prefix(1);
        ++digits;
    }
    if (digits == 0) return std::nullopt;
    return value;
}

// Date texts of the file list: day, "-", month name, "-", year. Returns a
// sortable key, or nothing when the text is no such date.
std::optional<std::int64_t> ReadDate(std::string_view text) {
    static constexpr std::array<std::string_view, 13> kMonths = {
        "ERR", "JAN", "FEB", "MAR", "APR", "MAY", "JUN", "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};
    text = SkipBlanks(text);
    const auto day = ReadSmallNumber(text, 2);
    if (!day || text.size() < 5 || text[0] != '-' || text[4] != '-') return std::nullopt;
    int month = -1;
    for (std::size_t m = 0; m < kMonths.size(); ++m) {
        bool same = true;
        for (std::size_t k = 0; k < 3; ++k)
            same = same && std::toupper(static_cast<unsigned char>(text[1 + k])) == kMonths[m][k];
        if (same) month = static_cast<int>(m);
    }
    if (month < 0) return std::nullopt;
    text.remove_prefix(5);
    const auto year = ReadSmallNumber(text, 5);
    if (!year || !text.empty()) return std::nullopt;
    return (static_cast<std::int64_t>(*year) * 13 + month) * 32 + *day;
}

// Time texts: hours ":" minutes, optionally ":" seconds.
std::optional<std::int64_t> ReadTime(std::string_view text) {
    text = SkipBlanks(text);
    const auto hours = ReadSmallNumber(text, 2);
    if (!hours || text.empty() || text.front() != ':') return std::nullopt;
    text.remove_prefix(1);
    const auto minutes = ReadSmallNumber(text, 2);
    if (!minutes) return std::nullopt;
    int seconds = 0;
    if (!text.empty()) {
        if (text.front() != ':') return std::nullopt;
        text.remove_prefix(1);
        const auto read = ReadSmallNumber(text, 2);
        if (!read || !text.empty()) return std::nullopt;
        seconds = *read;
    }
    return (static_cast<std::int64_t>(*hours) * 60 + *minutes) * 60 + seconds;
}

template <typename T>
int Order(T a, T b) {
    return a < b ? -1 : (b < a ? 1 : 0);
}

}  // namespace

int CompareCells(std::string_view a, std::string_view b) {
    if (const auto ha = ReadHex(a), hb = ReadHex(b); ha && hb) return Order(*ha, *hb);
    if (const auto na = ReadNumber(a), nb = ReadNumber(b); na && nb) return Order(*na, *nb);
    if (const auto da = ReadDate(a), db = ReadDate(b); da && db) return Order(*da, *db);
    if (const auto ta = ReadTime(a), tb = ReadTime(b); ta && tb) return Order(*ta, *tb);
    const int bytes = a.compare(b);  // char_traits<char>::compare compares as unsigned char
    return bytes < 0 ? -1 : (bytes > 0 ? 1 : 0);
}

}  // namespace datrevo
