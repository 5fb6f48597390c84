#pragma once
// What every live run does with the head unit's values and a program step's targets, headless or
// in the window.
#include "device/live/LiveEvents.h"
#include "online/BreakControl.h"
#include "online/ErgoProgramPlayer.h"
#include "online/KLTOnlineData.h"

namespace klt {

// A live sample of the measured values of a value set (watts and beats and revolutions per
// minute); times, set power and brake offset are the caller's.
TKLTOnlineData LiveSampleOf(const TLiveValueSet& values);

// Sets the regulator to control by what the step asks and to its targets.
void ApplyTargets(TBreakControl& brake, const TErgoTargets& targets);

} // namespace klt
