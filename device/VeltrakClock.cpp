#include "device/VeltrakClock.h"

namespace klt {

TVeltrakClockValue ClockFromDayTime(const TVeltrakDayTime& dayTime) {
    if (dayTime.day < kVeltrakClockFirstDay || dayTime.day == 0xFFFF || dayTime.time < 0) {
        return {};
    }
    const int64_t seconds = int64_t{dayTime.day - kVeltrakClockFirstDay} * 86400 + dayTime.time / 100;
    return {seconds, static_cast<uint8_t>(dayTime.time % 100)};
}

TVeltrakDayTime DayTimeFromClock(const TVeltrakClockValue& clock) {
    if (clock.seconds < 0) {
        return {0xFFFF, 0};
    }
    const int64_t day = kVeltrakClockFirstDay + clock.seconds / 86400;
    if (day >= 0xFFFF) {
        return {0xFFFF, 0};
    }
    const auto time = static_cast<int32_t>((clock.seconds % 86400) * 100 + clock.hundredths % 100);
    return {static_cast<uint16_t>(day), time};
}

TVeltrakClockValue SubtractHundredths(TVeltrakClockValue clock, int hundredths) {
    int64_t total = clock.seconds * 100 + clock.hundredths - hundredths;
    if (total < 0) {
        total = 0;
    }
    return {total / 100, static_cast<uint8_t>(total % 100)};
}

} // namespace klt
