#include "tools/sim/SimClock.h"

#include <ctime>

namespace klt::sim {
namespace {

int FromBcd(uint8_t value, bool& valid) {
    if ((value & 0x0F) > 9 || (value >> 4) > 9) {
        valid = false;
    }
    return (value >> 4) * 10 + (value & 0x0F);
}

} // namespace

int64_t SecondsFromCivil(const TCivilDate& date, int secondOfDay) {
    return int64_t{DaysSince1880(date) - kClockEpochDay} * 86400 + secondOfDay;
}

int64_t LocalNowSeconds() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return int64_t{now} + local.tm_gmtoff;
}

void THeadUnitClock::Set(int64_t seconds, int hundredths) {
    setAt_ = std::chrono::steady_clock::now();
    setCentis_ = seconds * 100 + hundredths;
}

TClockReading THeadUnitClock::Now() const {
    const auto elapsed =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - setAt_);
    const int64_t centis = setCentis_ + static_cast<int64_t>(static_cast<double>(elapsed.count()) * rate_) / 10;
    return {centis / 100, static_cast<int>(centis % 100)};
}

TBcdTime ToBcdTime(int64_t seconds) {
    const int64_t days = seconds / 86400;
    const int secondOfDay = static_cast<int>(seconds % 86400);
    const TCivilDate date = CivilFromDaysSince1880(static_cast<int32_t>(days) + kClockEpochDay);
    TBcdTime time;
    time.bytes[0] = ToBcd(date.day);
    time.bytes[1] = ToBcd(date.month);
    time.bytes[2] = ToBcd((date.year - 2000) % 100);
    time.bytes[3] = ToBcd(secondOfDay / 3600);
    time.bytes[4] = ToBcd(secondOfDay / 60 % 60);
    time.bytes[5] = ToBcd(secondOfDay % 60);
    return time;
}

bool FromBcdTime(const uint8_t* bytes, int64_t& seconds) {
    bool valid = true;
    TCivilDate date;
    date.day = FromBcd(bytes[0], valid);
    date.month = FromBcd(bytes[1], valid);
    date.year = 2000 + FromBcd(bytes[2], valid);
    const int hour = FromBcd(bytes[3], valid), minute = FromBcd(bytes[4], valid),
              second = FromBcd(bytes[5], valid);
    if (!valid || !IsValidCivilDate(date) || hour > 23 || minute > 59 || second > 59) {
        return false;
    }
    seconds = SecondsFromCivil(date, hour * 3600 + minute * 60 + second);
    return true;
}

} // namespace klt::sim
