#pragma once
// The head unit's clock: seconds since 1 January 1970 in the rider's local time (day 32872 of the
// training files' day numbering) plus hundredths, running on from whatever it was last set to.
#include <chrono>
#include <cstdint>

#include "core/KLTDate.h"

namespace klt::sim {

constexpr int32_t kClockEpochDay = 32872;

int64_t SecondsFromCivil(const TCivilDate& date, int secondOfDay);
// The local wall-clock time of the computer, as a head unit set from it would show it.
int64_t LocalNowSeconds();

struct TClockReading {
    int64_t seconds = 0;
    int hundredths = 0;
};

class THeadUnitClock {
public:
    // `rate`: simulated seconds per real second (a simulation sped up runs the clock with it).
    explicit THeadUnitClock(int64_t seconds, double rate = 1) : rate_(rate) { Set(seconds); }
    void Set(int64_t seconds, int hundredths = 0);
    TClockReading Now() const;

private:
    double rate_;
    std::chrono::steady_clock::time_point setAt_;
    int64_t setCentis_ = 0;
};

// The clock as six BCD bytes: day, month, year - 2000, hour, minute, second.
struct TBcdTime {
    uint8_t bytes[6]{};
};
TBcdTime ToBcdTime(int64_t seconds);
// False when the bytes form no valid date and time of the years 2000 to 2099.
bool FromBcdTime(const uint8_t* bytes, int64_t& seconds);

inline uint8_t ToBcd(int value) {
    return static_cast<uint8_t>((value / 10) << 4 | value % 10);
}

} // namespace klt::sim
