#include "exfat/exfat_time.h"

namespace datrevo {
namespace {

constexpr std::uint8_t kMaxTenMs = 199;
constexpr std::uint8_t kOffsetValid = 0x80;
constexpr int kMinutesPerOffsetStep = 15;

// Days from 1970-01-01 to the given civil date (proleptic Gregorian).
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

}  // namespace

ExfatTime DecodeExfatTime(std::uint32_t timestamp, std::uint8_t tenMsIncrement,
                          std::uint8_t utcOffset) {
    ExfatTime t;
    t.fatTime = static_cast<std::uint16_t>(timestamp & 0xFFFF);
    t.fatDate = static_cast<std::uint16_t>(timestamp >> 16);
    t.tenMs = tenMsIncrement <= kMaxTenMs ? tenMsIncrement : 0;
    t.utcOffsetValid = (utcOffset & kOffsetValid) != 0;
    if (t.utcOffsetValid) {
        // Seven-bit two's complement.
        int steps = utcOffset & 0x7F;
        if (steps & 0x40) steps -= 0x80;
        t.utcOffsetMinutes = steps * kMinutesPerOffsetStep;
    }
    return t;
}

bool ExfatTimeToUnix(const ExfatTime& time, std::int64_t& seconds) {
    if (time.month() < 1 || time.month() > 12 || time.day() < 1) return false;
    const std::int64_t days = DaysFromCivil(time.year(), static_cast<unsigned>(time.month()),
                                            static_cast<unsigned>(time.day()));
    seconds = days * 86400 + time.hour() * 3600 + time.minute() * 60 + time.second();
    if (time.utcOffsetValid) seconds -= std::int64_t{time.utcOffsetMinutes} * 60;
    return true;
}

}  // namespace datrevo
