#include "base/time_left.h"

#include <limits>

namespace datrevo {

std::optional<std::int64_t> SecondsLeft(int percent, std::int64_t elapsedMs) {
    if (percent < kTimeLeftFromPercent || percent >= 100 || elapsedMs < 0) return std::nullopt;
    // elapsed * (100 - p) / p, split so that no product overflows; a clock
    // too large for the result gives the largest value.
    constexpr std::int64_t kMost = std::numeric_limits<std::int64_t>::max();
    const std::int64_t rest = 100 - percent;
    const std::int64_t whole = elapsedMs / percent;
    if (whole > (kMost - 100) / rest) return kMost / 1000;
    const std::int64_t leftMs = whole * rest + elapsedMs % percent * rest / percent;
    return leftMs / 1000;
}

std::string TimeLeftText(std::int64_t seconds) {
    if (seconds < 10) return "a few seconds left";
    if (seconds < 120) return "about " + std::to_string(seconds) + " seconds left";
    const std::int64_t minutes = (seconds + 30) / 60;
    if (minutes < 120) return "about " + std::to_string(minutes) + " minutes left";
    const std::int64_t hours = minutes / 60;
    const std::int64_t rest = minutes % 60;
    std::string text = "about " + std::to_string(hours) + " hours";
    if (rest != 0) text += " " + std::to_string(rest) + (rest == 1 ? " minute" : " minutes");
    return text + " left";
}

}  // namespace datrevo
