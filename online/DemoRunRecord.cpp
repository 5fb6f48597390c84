#include "online/DemoRunRecord.h"

#include "core/Exceptions.h"
#include "online/DemoResults.h"
#include "online/DemoRun.h"

namespace klt {

std::optional<TRecordedDemoRun> RecordDemoRun(const TOnlineOptions& options, int categorie,
                                              const TKLTOnlineDatas& samples, std::string_view firstName,
                                              std::string_view lastName) {
    const TOnlineDemoModeOptionSet& demo = options.OnlineDemoModeOptionSet;
    TKLTDemoResults results(options.Directory(), demo);
    TKLTDemoCategoryResults* stored = results.Categorie(categorie);
    if (stored == nullptr) {
        throw ERangeError("There is no demo category " + std::to_string(categorie) + ".");
    }
    const std::optional<TKLTDemoResult> result =
        DemoRunResult(samples, demo.DemoMode, &demo.Categories.Items()[static_cast<size_t>(categorie)], firstName,
                      lastName);
    if (!result) {
        return std::nullopt;
    }
    stored->Load();
    stored->Add(*result);
    // a new result takes the next place, or the last one once every place is taken
    const TKLTDemoResult* added = &stored->Results().back();
    TRecordedDemoRun recorded{*result, 0, stored->Path()};
    for (const TDemoRankedResult& ranked : RankDemoResults(stored->Results(), SortKindOfDemoMode(demo.DemoMode))) {
        if (ranked.Result == added) {
            recorded.position = ranked.Position;
        }
    }
    return recorded;
}

} // namespace klt
