#pragma once
// The head unit's clock: seconds since the day 32872 of the training files' day numbering, plus
// hundredths. The status keeps a day number and hundredths of the day.
#include <cstdint>

namespace klt {

inline constexpr int32_t kVeltrakClockFirstDay = 32872;

struct TVeltrakClockValue {
    int64_t seconds = 0;
    uint8_t hundredths = 0;
    bool operator==(const TVeltrakClockValue&) const = default;
};

struct TVeltrakDayTime {
    uint16_t day = 0xFFFF;
    int32_t time = 0; // hundredths of the day
    bool operator==(const TVeltrakDayTime&) const = default;
};

// Days up to 32871 give a zero clock.
TVeltrakClockValue ClockFromDayTime(const TVeltrakDayTime& dayTime);
// A negative count gives day 0xFFFF and the smallest time.
TVeltrakDayTime DayTimeFromClock(const TVeltrakClockValue& clock);
// Takes hundredths off, borrowing a second when needed (never below zero).
TVeltrakClockValue SubtractHundredths(TVeltrakClockValue clock, int hundredths);

} // namespace klt
