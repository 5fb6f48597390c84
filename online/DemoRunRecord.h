#pragma once
// A finished demo run entered into its category's results, as the live window does at the end of
// a demo: the result of the rider's samples, stored in the category's results file and ranked.
#include <optional>
#include <string>
#include <string_view>

#include "online/KLTDemoResult.h"
#include "online/KLTOnlineData.h"
#include "online/OnlineOptions.h"

namespace klt {

struct TRecordedDemoRun {
    TKLTDemoResult result;
    int position = 0; // in the ranking of the demo kind, 1-based
    std::string file; // the category's results file
};

// The result of `samples` in the demo category `categorie` of the options (its "Watt" the target)
// added to the category's results. Nothing for a "Race" or a run of ten samples or fewer. Throws
// ERangeError for a category the options do not hold, EInOutError when the results file cannot be
// written (the old file stays as it was).
std::optional<TRecordedDemoRun> RecordDemoRun(const TOnlineOptions& options, int categorie,
                                              const TKLTOnlineDatas& samples, std::string_view firstName,
                                              std::string_view lastName);

} // namespace klt
