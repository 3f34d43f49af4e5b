// Decimal texts of the catalogue cells, and their conversion back to numbers.
//
// Cells hold numbers as decimal text. Readers parse them the way a plain
// string-to-integer conversion does: leading blanks, an optional sign, then
// digits up to the first non-digit. An empty cell reads as 0.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace datrevo {

// The unsigned conversion of a 32-bit cell: "-1" reads as 4294967295, values
// past the 32-bit range saturate at 4294967295.
std::uint32_t ParseUnsigned32(std::string_view text);
// Signed conversions saturating at the limits of the field's signed range.
std::int32_t ParseSigned32(std::string_view text);
std::int64_t ParseSigned64(std::string_view text);

// Cell texts: unsigned values are written with the unsigned conversion of a
// 32-bit value, so -1 is stored as "4294967295".
std::string UnsignedText(std::uint32_t value);
std::string Unsigned64Text(std::uint64_t value);
std::string SignedText(std::int64_t value);

}  // namespace datrevo
