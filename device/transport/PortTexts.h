#pragma once
// Messages of the port transport. The numbered ones live in the text table.
#include <string_view>

namespace klt {

inline constexpr int kTextPortNotExisting = 257; // "Port %s is not existing": a call on a closed port
inline constexpr int kTextNone = 265;            // "None": a port without a number

inline constexpr std::string_view kPortMissing = "Port %s does not exist";
inline constexpr std::string_view kPortInUse = "Port %s is in use by another application";

} // namespace klt
