#pragma once
// Reading a measurement kind's definition: "minimum|maximum|name|short name" followed by unit
// entries "decimals|factor[;offset]|unit name|unit short name". Limits are written in the first
// unit and held in raw units.
#include "core/DefinitionText.h"

#include <string>
#include <string_view>
#include <vector>

namespace klt {

inline constexpr std::size_t MaxNameLength = 40;
inline constexpr std::size_t MaxShortNameLength = 6;

// One display unit: display value = raw × factor + offset.
struct TMesswertUnit {
    int decimals = 0;
    double factor = 1.0;
    double offset = 0.0;
    std::string name;
    std::string shortName;
};

struct TMesswertDefinition {
    double minimum = -UnboundedLimit;
    double maximum = UnboundedLimit;
    std::string name;
    std::string shortName;
    int unitIndex = 0;
    TMesswertUnit unit;
};

// The definition with its unitIndex-th unit selected. A unit index without an entry, or a
// malformed entry on the way to it, selects the first unit instead; a definition that cannot be
// read at all gives an unnamed kind with unbounded limits and a neutral unit.
TMesswertDefinition ReadMesswertDefinition(std::string_view text, int unitIndex);

// The long names of all readable unit entries, in order.
std::vector<std::string> ReadMesswertUnitNames(std::string_view text);

} // namespace klt
