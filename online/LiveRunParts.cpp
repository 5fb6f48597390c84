#include "online/LiveRunParts.h"

#include <cmath>

namespace klt {
namespace {

int Unscaled(int32_t raw, double scale) { return static_cast<int>(std::lround(raw / scale)); }

} // namespace

TKLTOnlineData LiveSampleOf(const TLiveValueSet& values) {
    TKLTOnlineData sample;
    sample.SetValue(dcPower, Unscaled(values.power, 8));
    sample.SetValue(dcCadence, Unscaled(values.cadence, 32));
    sample.SetValue(dcHeartRate, Unscaled(values.heartRate, 64));
    sample.SetValue(dcSpeed, values.speed);
    sample.SetValue(dcTemperature, values.temperature);
    return sample;
}

void ApplyTargets(TBreakControl& brake, const TErgoTargets& targets) {
    switch (targets.control) {
    case TErgoControl::Cadence:
        brake.SetControlBy(TBrakeControlBy::Cadence);
        brake.SetTargetCadence(targets.cadence);
        break;
    case TErgoControl::Heartrate:
        brake.SetControlBy(TBrakeControlBy::HeartRate);
        brake.SetTargetHeartRate(targets.heartRate);
        break;
    default:
        brake.SetControlBy(TBrakeControlBy::Power);
    }
    brake.SetTargetPower(targets.watts);
}

} // namespace klt
