#include "online/DemoRun.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "core/Exceptions.h"

namespace klt {
namespace {

constexpr int kFewestSamples = 11;

} // namespace

const TKLTDemoCategorie* DemoCategorieAt(const TOnlineDemoModeOptionSet& options, int index) {
    return index >= 0 && index < options.Categories.Count() ? options.Categories.Item(index) : nullptr;
}

std::optional<TKLTDemoResult> DemoRunResult(const TKLTOnlineDatas& samples, int demoMode,
                                            const TKLTDemoCategorie* categorie, std::string_view firstName,
                                            std::string_view lastName) {
    const int count = samples.Count();
    if (demoMode == kDemoModeRace || count < kFewestSamples) {
        return std::nullopt;
    }
    constexpr int64_t kLargestFailure = std::numeric_limits<int32_t>::max();
    int64_t sum = 0;
    int64_t failure = categorie ? 0 : kLargestFailure;
    int maximum = 0;
    for (int i = 0; i < count; ++i) {
        const int power = samples.Sample(i)->Power();
        sum += power;
        maximum = std::max(maximum, power);
        if (categorie) {
            failure = std::min(failure + std::abs(power - categorie->Watt / 8), kLargestFailure);
        }
    }
    TKLTDemoResult result;
    result.SetFirstName(firstName);
    result.SetLastName(lastName);
    result.AveragePower = static_cast<int32_t>(std::llround(static_cast<double>(sum) / count));
    result.MaxPower = maximum;
    result.Failure = static_cast<int32_t>(failure);
    result.CategorieWatt = categorie ? categorie->Watt : 0;
    return result;
}

} // namespace klt
