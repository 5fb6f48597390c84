// Series derived from the samples: moving averages, cumulative work and distance and their
// inverses.
#include <algorithm>
#include <cmath>
#include <vector>

#include "core/KLTFile.h"
#include "core/WindowDivider.h"

namespace klt {
namespace {

template <typename ValueOf>
int64_t SumOf(const TKLTFile& file, int first, int last, ValueOf valueOf) {
    int64_t sum = 0;
    for (int i = first; i <= last; ++i) {
        sum += valueOf(file.Sample(i));
    }
    return sum;
}

// Calls `use` with the value reader of kind 1..6 (power, cadence, heart rate, speed,
// temperature, altitude; raw units), so loops pick the channel once, not once per sample.
template <typename Use>
auto WithChannel(int kind, Use use) {
    switch (kind) {
    case 1:
        return use([](const TSampleElement& s) { return s.Power(); });
    case 2:
        return use([](const TSampleElement& s) { return s.Cadence(); });
    case 3:
        return use([](const TSampleElement& s) { return s.HeartRate(); });
    case 4:
        return use([](const TSampleElement& s) { return s.Speed(); });
    case 5:
        return use([](const TSampleElement& s) { return s.Temperature(); });
    case 6:
        return use([](const TSampleElement& s) { return s.Altitude(); });
    default:
        return use([](const TSampleElement&) { return 0; });
    }
}

int64_t SumOfKind(const TKLTFile& file, int kind, int first, int last) {
    return WithChannel(kind, [&](auto valueOf) { return SumOf(file, first, last, valueOf); });
}

// Walks the samples in order with a pointer, touching the page table only between pages.
class TSampleCursor {
public:
    TSampleCursor(const TKLTFile& file, int index) : file_(file), index_(index) { Fetch(); }
    const TSampleElement& operator*() const { return *sample_; }
    void Next() {
        ++index_;
        if (--left_ > 0) {
            ++sample_;
        } else if (index_ <= file_.SampleCount()) {
            Fetch();
        }
    }

private:
    void Fetch() {
        if (index_ <= file_.SampleCount()) {
            sample_ = &file_.Sample(index_);
            left_ = file_.ContiguousSamples(index_);
        }
    }

    const TKLTFile& file_;
    int index_;
    const TSampleElement* sample_ = nullptr;
    int left_ = 0;
};

template <typename ValueOf>
std::vector<int> SlidingAverages(const TKLTFile& file, int before, int after, ValueOf valueOf) {
    const int count = file.SampleCount();
    std::vector<int> averages(static_cast<size_t>(count));
    if (count == 0) {
        return averages;
    }
    TWindowDivider divider;
    TSampleCursor entering(file, 1), leaving(file, 1);
    int first = 1, last = 0;
    int64_t sum = 0;
    // Generic step for the ends, where the window is cut by the first or the last sample.
    auto step = [&](int i) {
        const int newLast = std::min(count, i + after);
        for (; last < newLast; ++last, entering.Next()) {
            sum += valueOf(*entering);
        }
        const int newFirst = std::max(1, i - before);
        for (; first < newFirst; ++first, leaving.Next()) {
            sum -= valueOf(*leaving);
        }
        averages[static_cast<size_t>(i - 1)] = divider.Divide(sum, last - first + 1);
    };
    const int middleBegin = std::min(count + 1, before + 2); // from here on one sample leaves...
    const int middleEnd = count - after;                      // ...and one enters per step
    int i = 1;
    for (; i < middleBegin; ++i) {
        step(i);
    }
    if (i <= middleEnd) {
        const int length = before + after + 1;
        for (; i <= middleEnd; ++i, ++first, ++last, entering.Next(), leaving.Next()) {
            sum += valueOf(*entering) - valueOf(*leaving);
            averages[static_cast<size_t>(i - 1)] = divider.Divide(sum, length);
        }
    }
    for (; i <= count; ++i) {
        step(i);
    }
    return averages;
}

} // namespace

std::vector<int> TKLTFile::MovingAverages(int kind, int windowTime) const {
    const int h = std::max(0, windowTime / SafeInterval());
    return WithChannel(kind, [&](auto valueOf) { return SlidingAverages(*this, h / 2, h - h / 2, valueOf); });
}

int TKLTFile::MovingAverage(int kind, int windowTime, int index) {
    TMovingAverageCache& c = movingAverage_;
    const int count = SampleCount();
    if (count == 0) {
        return 0;
    }
    // Outside the samples the nearest one stands in; a negative window is none.
    index = std::clamp(index, 1, count);
    const bool sameSeries = c.kind == kind && c.window == windowTime;
    if (!sameSeries) {
        const int h = std::max(0, windowTime / SafeInterval());
        c.kind = kind;
        c.window = windowTime;
        c.before = h / 2;
        c.after = h - h / 2;
        c.last = -1; // forces a fresh sum
    }
    const int first = std::max(1, index - c.before);
    const int last = static_cast<int>(std::min<int64_t>(int64_t{index} + c.after, count));
    const bool forward = sameSeries && c.last >= c.first && first >= c.first && last >= c.last && first <= c.last + 1;
    if (!forward) {
        c.sum = SumOfKind(*this, kind, first, last);
    } else {
        c.sum += SumOfKind(*this, kind, c.last + 1, last) - SumOfKind(*this, kind, c.first, first - 1);
    }
    c.first = first;
    c.last = last;
    return static_cast<int>(c.sum / (last - first + 1));
}

int64_t TKLTFile::CumulativeDistance(int n, bool inclusive) const {
    const int end = std::min(std::max(n, 1), SampleCount()) - (inclusive ? 0 : 1);
    return SumOfKind(*this, 4, 1, end) * interval_;
}

int64_t TKLTFile::CumulativeWork(int n, bool inclusive) const {
    const int end = std::min(std::max(n, 1), SampleCount()) - (inclusive ? 0 : 1);
    return SumOfKind(*this, 1, 1, end) * interval_;
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
