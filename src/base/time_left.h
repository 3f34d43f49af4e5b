// The time a long task still needs, from the rate it kept so far: what the
// progress bars of the searches and the save show beside their figure.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace datrevo {

// Below this share done the rate says little (the first sectors are read
// from a cold cache, a scan's first cylinders are mostly empty).
inline constexpr int kTimeLeftFromPercent = 2;

// Whole seconds still to go when `percent` (0 to 100) of the work took
// `elapsedMs` milliseconds; nothing while less than kTimeLeftFromPercent is
// done, once all of it is, or for a negative time.
std::optional<std::int64_t> SecondsLeft(int percent, std::int64_t elapsedMs);

// "about 3 minutes left", "about 40 seconds left", "a few seconds left",
// "about 2 hours 5 minutes left".
std::string TimeLeftText(std::int64_t seconds);

}  // namespace datrevo
