#pragma once
// Corrections of generation V recordings, applied as each sample arrives: the head unit stores the
// last power-meter value again when no new one came in time, lags a stopped crank, and older
// firmware miscounts single cadence readings.
#include <cstdint>
#include <vector>

#include "device/genv/MemoryV.h"

namespace klt {

// Firmware below this miscounts single cadence readings at slow storage intervals.
inline constexpr uint16_t kFirstSteadyCadenceFirmware = 16681;

struct TMemoryVCorrections {
    int32_t intervalHundredths = 100;
    uint16_t firmware = 0;

    // Runs the corrections that the newest sample (samples.back()) completes.
    void AfterSample(std::vector<TVeltrakVSample>& samples) const;
};

} // namespace klt
