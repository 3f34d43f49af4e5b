// exFAT timestamps: a 32-bit DOS date and time with two-second steps, a
// 10-millisecond increment (0-199) and an offset from UTC in 15-minute steps.
#pragma once

#include <cstdint>
#include <ctime>

namespace datrevo {

struct ExfatTime {
    std::uint16_t fatDate = 0;  // bits 0-4 day, 5-8 month, 9-15 years since 1980
    std::uint16_t fatTime = 0;  // bits 0-4 seconds / 2, 5-10 minute, 11-15 hour
    std::uint8_t tenMs = 0;     // 0-199 as stored: hundredths of a second added to the time
    bool utcOffsetValid = false;
    int utcOffsetMinutes = 0;  // local time minus UTC, when valid

    int year() const { return 1980 + (fatDate >> 9); }
    int month() const { return (fatDate >> 5) & 0x0F; }
    int day() const { return fatDate & 0x1F; }
    int hour() const { return fatTime >> 11; }
    int minute() const { return (fatTime >> 5) & 0x3F; }
    // Whole seconds, the 10 ms part's whole seconds included (0-61).
    int second() const { return (fatTime & 0x1F) * 2 + tenMs / 100; }
    int centiseconds() const { return tenMs % 100; }
    bool isZero() const { return fatDate == 0 && fatTime == 0; }
};

// Decodes a stored timestamp with its 10 ms increment and UTC offset byte
// (bit 7: the offset is valid; bits 0-6: signed count of 15 minutes). An
// increment above 199 counts as 0.
ExfatTime DecodeExfatTime(std::uint32_t timestamp, std::uint8_t tenMsIncrement,
                          std::uint8_t utcOffset);

// Seconds since 1970-01-01 00:00 UTC. A time without a valid offset is taken
// as UTC. Nothing (false) for a date that does not exist (month 0 or 13, day 0).
bool ExfatTimeToUnix(const ExfatTime& time, std::int64_t& seconds);

}  // namespace datrevo
