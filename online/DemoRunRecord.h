#pragma once
// A finished demo run entered into its category's results, as the live window and `klt ergo run`
// do at the end of a demo: the result of the rider's samples, stored in the category's results
// file and ranked.
#include <optional>
#include <string>

#include "online/DemoPerson.h"
#include "online/DemoResults.h"
#include "online/KLTDemoResult.h"
#include "online/KLTOnlineData.h"
#include "online/OnlineDemoModeOptionSet.h"

namespace klt {

struct TRecordedDemoRun {
    TKLTDemoResult result;
    int position = 0; // in the ranking of the demo kind, 1-based
    std::string file; // the category's results file
};

// The result of `samples` ridden by `person` in their category (its "Watt" the target) added to
// that category's `results`, loaded by the caller. Nothing for a "Race" or a run of ten samples or
// fewer. Throws ERangeError for a category the options do not hold, and EInOutError when the
// results file cannot be written: the result then stays in `results` only, the old file as it was.
std::optional<TRecordedDemoRun> RecordDemoRun(TKLTDemoResults& results, const TOnlineDemoModeOptionSet& demo,
                                              const TKLTOnlineDatas& samples, const TDemoPerson& person);

} // namespace klt
