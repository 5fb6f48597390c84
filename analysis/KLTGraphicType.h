#pragma once
// Which view of a training a document window shows.
#include <array>
#include <cstdint>
#include <string_view>

namespace klt {

enum TKLTGraphicType : uint8_t {
    gtSingleRow,
    gtMultiRow,
    gtAnalyse,
    gtStatistical,
    gtRatio,
    gtPeriodical,
    gtEdit
};

inline constexpr std::array<std::string_view, 7> KLTGraphicTypeNames = {
    "gtSingleRow", "gtMultiRow", "gtAnalyse", "gtStatistical", "gtRatio", "gtPeriodical", "gtEdit"};

} // namespace klt
