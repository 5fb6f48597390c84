#include "online/DemoRunRecord.h"

#include "core/Exceptions.h"
#include "online/DemoResults.h"
#include "online/DemoRun.h"

namespace klt {

std::optional<TRecordedDemoRun> RecordDemoRun(TKLTDemoResults& results, const TOnlineDemoModeOptionSet& demo,
                                              const TKLTOnlineDatas& samples, const TDemoPerson& person) {
    TKLTDemoCategoryResults* stored = results.Categorie(person.categorie);
    const TKLTDemoCategorie* categorie = DemoCategorieAt(demo, person.categorie);
    if (stored == nullptr || categorie == nullptr) {
        throw ERangeError("There is no demo category " + std::to_string(person.categorie) + ".");
    }
    const std::optional<TKLTDemoResult> result =
        DemoRunResult(samples, demo.DemoMode, categorie, person.firstName, person.lastName);
    if (!result) {
        return std::nullopt;
    }
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
