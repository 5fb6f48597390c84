#include "online/HeartRateVariance.h"

#include <cmath>
#include <cstdlib>

namespace klt {
namespace {

constexpr double kTenthsMsPerMinute = 600000;
constexpr double kLargestSpeedingMs = 100;

} // namespace

int32_t HeartrateOfInterval(int32_t hrDist) {
    return hrDist <= 0 ? 0 : static_cast<int32_t>(std::lround(kTenthsMsPerMinute / hrDist));
}

std::optional<double> IntervalVariance(int32_t previous, int32_t current) {
    const double variance = (static_cast<double>(previous) - current) / 10;
    return variance > kLargestSpeedingMs ? std::nullopt : std::optional(variance);
}

std::optional<double> LastBeatsMinimum(double maximum) {
    return maximum > kShownBeats ? std::optional(maximum - kShownBeats) : std::nullopt;
}

void THRDistTable::Append(const TDateTimeMark& time, int32_t hrDist) {
    THRDistRecord record{time, hrDist, HeartrateOfInterval(hrDist), std::nullopt,
                         static_cast<int32_t>(records_.size() + 1)};
    if (!records_.empty()) {
        const int32_t previous = records_.back().hrDist;
        record.heartrateVariance = IntervalVariance(previous, hrDist);
        TIntervalChangeSum& change = changes_[record.heartrate];
        change.sumTenthsMs += std::llabs(int64_t{previous} - hrDist);
        ++change.count;
    }
    records_.push_back(record);
}

void THRDistTable::Clear() {
    records_.clear();
    changes_.clear();
}

THRVarianceSummary THRDistTable::Summary() const {
    THRVarianceSummary summary;
    summary.beats = records_.size();
    double total = 0, squares = 0;
    for (size_t i = 0; i < records_.size(); ++i) {
        total += records_[i].hrDist;
        if (i > 0) {
            squares += std::pow(static_cast<double>(records_[i - 1].hrDist) - records_[i].hrDist, 2);
        }
    }
    if (total > 0) {
        summary.meanHeartrate = kTenthsMsPerMinute * static_cast<double>(records_.size()) / total;
    }
    if (records_.size() > 1) {
        summary.rmssdMs = std::sqrt(squares / static_cast<double>(records_.size() - 1)) / 10;
    }
    return summary;
}

} // namespace klt
