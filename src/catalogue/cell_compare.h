// The comparison the catalogue sorts by: two cells compare in the first way
// that reads both of them.
//   1. both read completely as unsigned hexadecimal numbers (a decimal text
//      reads this way too and keeps its decimal order);
//   2. both read as floating-point numbers, optionally followed by one "%";
//   3. both read as dates ("05-MAR-2009", "5-MAR-2009", "06-Dec-2026") or
//      times ("14:07", "14:7:3");
//   4. otherwise byte by byte.
#pragma once

#include <string_view>

namespace datrevo {

// <0, 0 or >0 as `a` sorts before, with or after `b`.
int CompareCells(std::string_view a, std::string_view b);

}  // namespace datrevo
