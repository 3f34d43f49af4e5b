// Name decoding shared by the FAT and NTFS engines and the recovery log.
//
// Names travel through the system as UTF-8. Long names (FAT) and file names
// (NTFS) are UTF-16LE on disk; 8.3 short names are bytes of code page 437.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace datrevo {

// Decodes `units` UTF-16 code units (each taken as a little-endian pair of
// bytes) to UTF-8. Surrogate pairs become one code point; an unpaired
// surrogate becomes U+FFFD, so a damaged name still decodes.
std::string Utf16LeToUtf8(std::span<const std::uint8_t> bytes);
std::string Utf16ToUtf8(std::span<const char16_t> units);

// Appends the UTF-8 form of one code point (U+FFFD for anything invalid).
void AppendUtf8(std::string& out, char32_t codePoint);

// Decodes bytes of code page 437 (the 8.3 names of FAT directories) to UTF-8.
std::string Cp437ToUtf8(std::span<const std::uint8_t> bytes);
char32_t Cp437ToCodePoint(std::uint8_t byte);

// Number of code points in a UTF-8 text (continuation bytes not counted).
std::size_t Utf8Length(std::string_view text);

// True when the text is well-formed UTF-8.
bool IsValidUtf8(std::string_view text);

}  // namespace datrevo
