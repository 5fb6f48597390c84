// Any text as a measurement kind's definition (translations bring their own) and as a number typed
// by a user: reading must never crash and must give usable units.
#include <cmath>
#include <cstdint>
#include <string_view>

#include "core/MesswertDefinition.h"
#include "core/NumberFormat.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    for (int unit = 0; unit < 3; ++unit) {
        const klt::TMesswertDefinition definition = klt::ReadMesswertDefinition(text, unit);
        if (!std::isfinite(definition.unit.factor) || definition.unit.factor == 0.0) {
            __builtin_trap(); // conversions to raw divide by the factor
        }
    }
    klt::ReadMesswertUnitNames(text);
    klt::ParseFloat(text, {".", ","});
    klt::ParseFloat(text, {",", "\u202f"});
    return 0;
}
