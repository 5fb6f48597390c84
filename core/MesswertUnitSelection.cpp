#include "core/MesswertUnitSelection.h"

#include "core/PRMesWrt.h"

#include <utility>

namespace klt {
namespace {

constexpr int DistanceInMiles = 2;

} // namespace

bool SelectMesswertUnits(const TMesswertUnitSettings& units) {
    const std::pair<TMesswertArtType, int> choices[] = {
        {mwaGeschwindigkeit, units.unitsSPD},
        {mwaTemperatur, units.unitsTMP},
        {mwaHoehe, units.unitsAlt},
        {mwaStreckeKurz, units.unitsDST},
        // Long distances have no metre unit: km stands in for it, mi is their second entry.
        {mwaStrecke, units.unitsDST == DistanceInMiles ? 1 : 0},
        {mwaRadumfang, units.unitsCOW},
        {mwaPapiermass, units.unitsPAP},
    };
    bool changed = false;
    for (auto [kind, index] : choices) {
        TMesswertArt& art = MesswertArt(kind);
        int before = art.UnitIndex();
        art.SetUnit(index);
        changed = changed || art.UnitIndex() != before;
    }
    return changed;
}

} // namespace klt
