#pragma once
// What a finished demo run gives the results of its category.
#include <optional>
#include <string_view>

#include "online/KLTDemoResult.h"
#include "online/KLTOnlineData.h"
#include "online/OnlineDemoModeOptionSet.h"

namespace klt {

constexpr int kDemoModeRace = 3;

// Category `index` of the demo options; nothing when there is none of that index.
const TKLTDemoCategorie* DemoCategorieAt(const TOnlineDemoModeOptionSet& options, int index);

// The result of the run's samples 0..last: average power rounded, the maximum, and the failure,
// the sum of each sample's distance from the category's target ("Watt" / 8 W), at most the
// largest 32-bit value, which it also is without a category (nullptr), ranking such a run last.
// Nothing for a "Race" or a run of ten samples or fewer.
std::optional<TKLTDemoResult> DemoRunResult(const TKLTOnlineDatas& samples, int demoMode,
                                            const TKLTDemoCategorie* categorie, std::string_view firstName,
                                            std::string_view lastName);

} // namespace klt
