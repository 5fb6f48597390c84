#pragma once
// Applying the unit choices of the configuration to the measurement kinds.

namespace klt {

// Unit indices as the configuration stores them.
struct TMesswertUnitSettings {
    int unitsSPD = 0; // speed: km/h, m/s, mph
    int unitsTMP = 0; // temperature: °C, °F
    int unitsAlt = 0; // altitude: m, ft
    int unitsDST = 0; // distance: m, km, mi
    int unitsCOW = 0; // tire circumference: mm, in
    int unitsPAP = 0; // paper size: cm, in
};

// Selects the configured units; long distances follow the distance choice in km or mi. Returns
// whether any kind changed its unit, so that open windows can be refreshed.
bool SelectMesswertUnits(const TMesswertUnitSettings& units);

} // namespace klt
