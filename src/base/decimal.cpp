#include "base/decimal.h"

#include <limits>

namespace datrevo {
namespace {

struct ParsedDecimal {
    bool negative = false;
    bool overflow = false;  // magnitude beyond 2^64 - 1
    std::uint64_t magnitude = 0;
};

ParsedDecimal ParseDecimal(std::string_view text) {
    ParsedDecimal parsed;
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        parsed.negative = text[i] == '-';
        ++i;
    }
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        const auto digit = static_cast<std::uint64_t>(text[i] - '0');
        if (parsed.magnitude > (std::numeric_limits<std::uint64_t>::max() - digit) / 10) {
            parsed.overflow = true;
            parsed.magnitude = std::numeric_limits<std::uint64_t>::max();
            continue;
        }
        if (!parsed.overflow) parsed.magnitude = parsed.magnitude * 10 + digit;
    }
    return parsed;
}

template <typename Signed>
Signed SaturateSigned(const ParsedDecimal& parsed) {
    using Limits = std::numeric_limits<Signed>;
    const auto maxMagnitude = static_cast<std::uint64_t>(Limits::max());
    if (parsed.negative) {
        if (parsed.overflow || parsed.magnitude > maxMagnitude + 1) return Limits::min();
        if (parsed.magnitude == maxMagnitude + 1) return Limits::min();
        return static_cast<Signed>(-static_cast<Signed>(parsed.magnitude));
    }
    if (parsed.overflow || parsed.magnitude > maxMagnitude) return Limits::max();
    return static_cast<Signed>(parsed.magnitude);
}

}  // namespace

std::uint32_t ParseUnsigned32(std::string_view text) {
    const ParsedDecimal parsed = ParseDecimal(text);
    constexpr std::uint64_t kMax = std::numeric_limits<std::uint32_t>::max();
    if (parsed.overflow || parsed.magnitude > kMax) return static_cast<std::uint32_t>(kMax);
    const auto value = static_cast<std::uint32_t>(parsed.magnitude);
    return parsed.negative ? static_cast<std::uint32_t>(0u - value) : value;
}

std::int32_t ParseSigned32(std::string_view text) {
    return SaturateSigned<std::int32_t>(ParseDecimal(text));
}

std::int64_t ParseSigned64(std::string_view text) {
    return SaturateSigned<std::int64_t>(ParseDecimal(text));
}

std::string UnsignedText(std::uint32_t value) { return std::to_string(value); }
std::string Unsigned64Text(std::uint64_t value) { return std::to_string(value); }
std::string SignedText(std::int64_t value) { return std::to_string(value); }

}  // namespace datrevo
