// Texts of the machine-readable outputs (--tsv, --json, --dfxml): ISO 8601
// times and names escaped for each format.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace datrevo::cli {

// A FAT date and time word (local time, no zone) as "2026-12-08T05:31:58";
// empty for a date word of 0 or a field out of range.
std::string IsoFromFatWords(std::uint16_t date, std::uint16_t time);
// An NTFS FILETIME (UTC) as "2026-12-08T05:31:58Z"; empty for 0.
std::string IsoFromFileTime(std::uint64_t filetime);
// The file list's NTFS date and time texts ("8-DEC-2026", "5:44:9") as
// IsoFromFileTime gives them; empty when they do not read as a time or
// stand for a FILETIME of 0.
std::string IsoFromNtfsTexts(std::string_view date, std::string_view time);

// A cell of a tab-separated line: tab, newline, carriage return and
// backslash as \t, \n, \r and \\.
std::string TsvEscaped(std::string_view text);
// A JSON string with its quotes; bytes that are not valid UTF-8 become
// U+FFFD, control characters \uXXXX (or \n, \t ...).
std::string JsonString(std::string_view text);
// Text for XML character data or an attribute value: &, <, >, " and '
// as entities; bytes that are not valid UTF-8 become U+FFFD, and control
// characters XML 1.0 cannot hold as well.
std::string XmlEscaped(std::string_view text);

}  // namespace datrevo::cli
