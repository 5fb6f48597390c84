// Series derived from the samples: moving averages, cumulative work and distance and their
// inverses.
#include <algorithm>
#include <cmath>

#include "core/KLTFile.h"

namespace klt {
namespace {

int ChannelValue(const TSampleElement& s, int kind) {
    switch (kind) {
    case 1:
        return s.Power();
    case 2:
        return s.Cadence();
    case 3:
        return s.HeartRate();
    case 4:
        return s.Speed();
    case 5:
        return s.Temperature();
    case 6:
        return s.Altitude();
    default:
        return 0;
    }
}

} // namespace

int TKLTFile::MovingAverage(int kind, int windowTime, int index) {
    TMovingAverageCache& c = movingAverage_;
    const int count = SampleCount();
    if (count == 0) {
        return 0;
    }
    const bool sameSeries = c.kind == kind && c.window == windowTime;
    if (!sameSeries) {
        const int h = windowTime / SafeInterval();
        c.kind = kind;
        c.window = windowTime;
        c.before = h / 2;
        c.after = h - h / 2;
        c.last = -1; // forces a fresh sum
    }
    const int first = std::max(1, index - c.before);
    const int last = std::clamp(index + c.after, first, count);
    const bool forward = sameSeries && c.last >= c.first && first >= c.first && last >= c.last && first <= c.last + 1;
    if (!forward) {
        c.sum = 0;
        for (int i = first; i <= last; ++i) {
            c.sum += ChannelValue(Sample(i), kind);
        }
    } else {
        for (int i = c.first; i < first; ++i) {
            c.sum -= ChannelValue(Sample(i), kind);
        }
        for (int i = c.last + 1; i <= last; ++i) {
            c.sum += ChannelValue(Sample(i), kind);
        }
    }
    c.first = first;
    c.last = last;
    return static_cast<int>(c.sum / (last - first + 1));
}

int64_t TKLTFile::CumulativeDistance(int n, bool inclusive) const {
    const int end = std::min(std::max(n, 1), SampleCount()) - (inclusive ? 0 : 1);
    int64_t sum = 0;
    for (int i = 1; i <= end; ++i) {
        sum += Sample(i).Speed();
    }
    return sum * interval_;
}

int64_t TKLTFile::CumulativeWork(int n, bool inclusive) const {
    const int end = std::min(std::max(n, 1), SampleCount()) - (inclusive ? 0 : 1);
    int64_t sum = 0;
    for (int i = 1; i <= end; ++i) {
        sum += Sample(i).Power();
    }
    return sum * interval_;
}

namespace {

// The sample at which a cumulated amount is reached: each sample counts once half (or, strict,
// a third of) its value is covered.
template <typename ValueOf>
int IndexAtAmount(const TKLTFile& file, int64_t amount, bool strict, ValueOf valueOf) {
    int64_t b = std::llround(static_cast<double>(amount) / std::max(file.Interval(), 1));
    int i = 1;
    while (i < file.SampleCount()) {
        const int64_t value = valueOf(file.Sample(i));
        const int64_t half = value / 2;
        const bool goOn = strict ? (b >= 3 * half || value == 0) : b >= half;
        if (!goOn) {
            break;
        }
        b -= value;
        ++i;
    }
    return i;
}

} // namespace

int TKLTFile::IndexAtDistance(int64_t distance, bool strict) const {
    return IndexAtAmount(*this, distance, strict, [](const TSampleElement& s) { return s.Speed(); });
}

int TKLTFile::IndexAtWork(int64_t work, bool strict) const {
    return IndexAtAmount(*this, work, strict, [](const TSampleElement& s) { return s.Power(); });
}

} // namespace klt
