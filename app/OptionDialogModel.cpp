#include "app/OptionDialogModel.h"

#include <algorithm>
#include <cstdio>

#include "analysis/GlaettungsStufen.h"
#include "app/SystemData.h"

namespace klt {

TOptionDialogModel::TOptionDialogModel(const TOptionData& source, const TSystemData& s)
    : system{s.UnitsSPD,     s.UnitsTMP,       s.UnitsAlt,        s.UnitsDST,       s.UnitsCOW,
             s.ShowSpeedbar, s.ShowStatusLine, s.DefaultNewFiles, s.DefaultAllFiles} {
    options.Assign(source);
}

void TOptionDialogModel::WriteBack(TOptionData& targetOptions, TSystemData& s) const {
    targetOptions.Assign(options);
    s.UnitsSPD = system.unitsSPD;
    s.UnitsTMP = system.unitsTMP;
    s.UnitsAlt = system.unitsAlt;
    s.UnitsDST = system.unitsDST;
    s.UnitsCOW = system.unitsCOW;
    s.ShowSpeedbar = system.showSpeedbar;
    s.ShowStatusLine = system.showStatusLine;
    s.DefaultNewFiles = system.defaultNewFiles;
    s.DefaultAllFiles = system.defaultAllFiles;
}

namespace {

std::string AnalyseProblem(const TKLTAnalyseData& analyse, const std::string& page) {
    const int low = TOptionDialogModel::DelaySeconds(analyse.MinZeitVersatz);
    const int high = TOptionDialogModel::DelaySeconds(analyse.MaxZeitVersatz);
    const int step = std::max(TOptionDialogModel::DelaySeconds(analyse.OfsZeitVersatz), 1);
    if (low > high) {
        return page + ": the smallest delay (" + std::to_string(low) + " s) is larger than the largest (" +
               std::to_string(high) + " s).";
    }
    const int tried = (high - low) / step + 1;
    if (tried > TOptionDialogModel::kMaxDelaysTried) {
        return page + ": " + std::to_string(tried) + " delays would be tried; at most " +
               std::to_string(TOptionDialogModel::kMaxDelaysTried) +
               " are, so choose a larger step or a narrower range.";
    }
    return {};
}

} // namespace

std::optional<TOptionDialogModel::TProblem> TOptionDialogModel::Problem() const {
    if (std::string text = AnalyseProblem(options.KLTAnalyse, "Analysis"); !text.empty()) {
        return TProblem{false, text};
    }
    if (std::string text = AnalyseProblem(options.ConconiAnalyse, "Conconi"); !text.empty()) {
        return TProblem{true, text};
    }
    return std::nullopt;
}

std::vector<TSmoothingChoice> TOptionDialogModel::SmoothingChoices(int32_t current) {
    std::vector<int32_t> values(GlaettungsStufen.begin(), GlaettungsStufen.end());
    if (std::find(values.begin(), values.end(), current) == values.end()) {
        values.insert(std::upper_bound(values.begin(), values.end(), current), current);
    }
    std::vector<TSmoothingChoice> choices;
    for (int32_t value : values) {
        choices.push_back({value, SmoothingText(value)});
    }
    return choices;
}

std::string TOptionDialogModel::SmoothingText(int32_t value) {
    if (value == 0) {
        return "none";
    }
    if (value < 0) {
        return std::to_string(-int64_t{value}) + " % of the shown time";
    }
    const int64_t seconds = (int64_t{value} + 50) / 100;
    char text[48];
    if (seconds < 60) {
        std::snprintf(text, sizeof text, "%lld s", static_cast<long long>(seconds));
    } else if (seconds < 3600) {
        std::snprintf(text, sizeof text, seconds % 60 == 0 ? "%lld min" : "%lld:%02lld min",
                      static_cast<long long>(seconds / 60), static_cast<long long>(seconds % 60));
    } else {
        const int64_t minutes = seconds / 60;
        std::snprintf(text, sizeof text, minutes % 60 == 0 ? "%lld h" : "%lld:%02lld h",
                      static_cast<long long>(minutes / 60), static_cast<long long>(minutes % 60));
    }
    return text;
}

} // namespace klt
