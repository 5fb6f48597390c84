// Recalibration: the samples are recomputed for a new zero offset, slope, circumference and
// starting altitude, as if the power meter had been set up that way during the ride.
#include <algorithm>
#include <climits>

#include "core/KLTFile.h"

namespace klt {

void TKLTFile::Recalibrate(int zeroOffset, int slope, int altitudeAtStart, int circumference) {
    EnsureLoaded();
    const int64_t z0 = header_.zeroOffset, s0 = header_.slope, w0 = header_.circumference;
    const int64_t z = zeroOffset, s = slope, w = circumference;
    if (z == z0 && s == s0 && w == w0 && altitudeAtStart == 0) {
        return;
    }
    // Remainders carry each sample's rounding error into the next one. A slope or circumference
    // of 0 (files of old versions have no circumference) cannot be scaled from or to: that
    // channel then stays as it is.
    const bool scalePower = s != 0 && (s != s0 || z != z0);
    const bool scaleSpeed = w != 0 && w0 != 0 && w != w0;
    int64_t rp = 0, rq = 0, r8 = 0;
    const int count = SampleCount();
    const int dA = count > 0 ? altitudeAtStart - Sample(1).Altitude() : 0;
    for (int i = 1; i <= count; ++i) {
        TSampleElement& sample = Sample(i);
        int64_t power = sample.Power();
        if (scalePower) {
            int64_t p = power * s0 + rp;
            const int64_t cadence = sample.Cadence();
            if (z0 < z) {
                p = std::max<int64_t>(0, p - cadence * 8 * (z - z0));
            } else if (z < z0) {
                p += cadence * 8 * (z0 - z);
            }
            const int64_t watts = p / s;
            rp = p % s;
            power = watts + r8;
            r8 = (r8 + watts) % 8;
        }
        int64_t speed = sample.Speed();
        if (scaleSpeed) {
            const int64_t q = speed * w + rq;
            speed = q / w0;
            rq = q % w0;
            // The record keeps speed in steps of 32 mm/s; what it drops is carried on in the
            // same units as the remainder, so the ride's distance survives the rescaling.
            rq += (speed % 32) * w0;
        }
        sample.Set(static_cast<int>(std::min<int64_t>(power, INT32_MAX)), sample.Cadence(), sample.HeartRate(),
                   static_cast<int>(std::min<int64_t>(speed, INT32_MAX)), sample.Altitude() + dA,
                   sample.Temperature());
    }
    header_.circumference = static_cast<uint16_t>(w);
    header_.slope = static_cast<uint16_t>(s);
    header_.zeroOffset = static_cast<uint16_t>(z);
    SamplesEdited();
}

} // namespace klt
