#include "device/VeltrakImage.h"

#include <algorithm>
#include <cstring>

#include "device/VeltrakClock.h"
#include "device/VeltrakRecords.h"

namespace klt {

namespace {

constexpr int32_t kHundredthsPerDay = 8640000;
constexpr uint16_t kDenominatorFirmware = 239; // stores the interval denominator above this
constexpr uint16_t kSlopeFirmware = 203;       // stores the slope above this

// Moves the start on by `hundredths`, carrying whole days so that the time stays within its day.
void Advance(TVeltrakTrainingHeader& header, int64_t hundredths) {
    const int64_t time = header.startTime + hundredths;
    header.startDay = static_cast<uint16_t>(header.startDay + time / kHundredthsPerDay);
    header.startTime = static_cast<int32_t>(time % kHundredthsPerDay);
}

bool SameSeries(const TVeltrakTrainingHeader& a, const TVeltrakTrainingHeader& b) {
    return a.initials == b.initials && a.interval == b.interval && a.startDay == b.startDay;
}

// Whether `next` belongs to the same training as `header` when pauses up to `maxGap` are allowed
// (no limit when `maxGap` is 0 or less). A next segment that starts earlier means the clock was set
// back in between; the two are kept together rather than ordered by a clock that cannot be trusted.
bool Follows(const TVeltrakTrainingHeader& header, const TVeltrakTrainingHeader& next, int32_t maxGap) {
    if (!SameSeries(header, next)) {
        return false;
    }
    return maxGap <= 0 || next.startTime - header.EndTime() < maxGap || next.startTime < header.startTime;
}

} // namespace

TVeltrakImage::TVeltrakImage() : records_(kVeltrakRecordSize) {}

void TVeltrakImage::SetBlockMemory(std::vector<uint8_t> blocks, std::vector<size_t> garbled) {
    blockMemory_ = std::move(blocks);
    garbledBlocks_ = std::move(garbled);
}

int32_t TVeltrakImage::BatteryValue() const {
    // The record holds a signed 16-bit value; 0x7FFF is a head unit without a power meter.
    const auto value = static_cast<int16_t>(BatInfo.battery);
    return value == 0x7FFF ? kNoBattery : value;
}

void TVeltrakImage::SetMemory(std::span<const uint8_t> memory) {
    const size_t count = static_cast<size_t>(HeapCount) + HeapCountUpper;
    if (memory.size() < count * kVeltrakRecordSize) {
        throw ERangeError("The head unit's memory holds fewer records than it reported.");
    }
    records_.SetCount(static_cast<int>(count));
    for (size_t i = 0; i < count; ++i) {
        std::memcpy(records_.Items(static_cast<int>(i)), memory.data() + i * kVeltrakRecordSize,
                    kVeltrakRecordSize);
    }
}

TVeltrakTrainingHeader TVeltrakImage::StartingHeader() const {
    TVeltrakTrainingHeader header;
    header.initials = Initialen();
    header.startDay = ClockDay;
    header.startTime = std::max(ClockTime, 0);
    header.intervalNumerator = AbspeicherZeitZaehler();
    header.intervalDenominator = ValidIntervalDenominator(AbspeicherZeitNenner());
    header.interval = IntervalHundredths(AbspeicherZeitZaehler(), AbspeicherZeitNenner());
    header.zeroOffset = NullstelleUsed;
    header.slope = SteigungUsed;
    header.wheel = Radumfang;
    header.firmwareVersion = SWVersion();
    return header;
}

void TVeltrakImage::Parse(const TVeltrakTrainingLimits& limits, const TExceptionHandler& handler) {
    counters_ = {};
    headers_.clear();
    try {
        Walk();
    } catch (const ERangeError& error) {
        if (!handler) {
            throw;
        }
        handler(error);
    }
    if (headers_.empty()) {
        return;
    }
    headers_.back().flags |= TVeltrakTrainingHeader::Last;
    counters_.headersBefore = static_cast<int>(headers_.size());
    for (const auto& header : headers_) {
        counters_.timeBefore += header.EndTime() - header.startTime;
    }
    MarkContinuations(limits);
    DropShortTrainings(limits);
    MarkJoins(limits);
    Compact();
}

void TVeltrakImage::Walk() {
    TVeltrakTrainingHeader running = StartingHeader();
    const int count = records_.Count();
    int i = 0;
    while (i < count) {
        const uint8_t* record = records_.Items(i);
        switch (RecordKind(record)) {
        case TVeltrakRecordKind::DateTime: {
            const TVeltrakDayTime start = DayTimeFromClock({RecordUInt32(record, 1), 0});
            running.startDay = start.day;
            running.startTime = start.time;
            break;
        }
        case TVeltrakRecordKind::ZeroOffsetDenominator:
            if (running.firmwareVersion > kDenominatorFirmware) {
                running.intervalDenominator = ValidIntervalDenominator(record[1]);
            }
            running.zeroOffset = static_cast<int16_t>(RecordUInt16(record, 3));
            break;
        case TVeltrakRecordKind::SlopeWheel:
            if (running.firmwareVersion > kSlopeFirmware) {
                running.slope = static_cast<int16_t>(RecordUInt16(record, 1));
            }
            running.wheel = static_cast<int16_t>(RecordUInt16(record, 3));
            break;
        case TVeltrakRecordKind::Numerator:
            running.intervalNumerator = record[1];
            break;
        case TVeltrakRecordKind::TimeFraction:
        case TVeltrakRecordKind::EmptyMemory:
            throw ECheckMesswertType();
        case TVeltrakRecordKind::Invalid:
            break;
        case TVeltrakRecordKind::Measurement: {
            running.interval = IntervalHundredths(static_cast<uint8_t>(running.intervalNumerator),
                                                  static_cast<uint8_t>(running.intervalDenominator));
            if (IsPauseRecord(record)) {
                Advance(running, running.interval);
                break;
            }
            int end = i;
            while (end < count && RecordKind(records_.Items(end)) == TVeltrakRecordKind::Measurement &&
                   !IsPauseRecord(records_.Items(end))) {
                ++end;
            }
            TVeltrakTrainingHeader header = running;
            header.firstRecord = i;
            header.recordCount = static_cast<uint16_t>(end - i);
            headers_.push_back(header);
            Advance(running, static_cast<int64_t>(header.recordCount) * running.interval);
            i = end;
            continue;
        }
        }
        ++i;
    }
}

void TVeltrakImage::MarkContinuations(const TVeltrakTrainingLimits& limits) {
    for (size_t i = 0; i + 1 < headers_.size(); ++i) {
        if (Follows(headers_[i], headers_[i + 1], limits.MinPauseTraining)) {
            headers_[i].flags |= TVeltrakTrainingHeader::Continues;
        }
    }
}

void TVeltrakImage::DropShortTrainings(const TVeltrakTrainingLimits& limits) {
    if (limits.MinDauerTraining <= 0) {
        return;
    }
    size_t first = 0;
    while (first < headers_.size()) {
        size_t last = first;
        while (last + 1 < headers_.size() && headers_[last].Has(TVeltrakTrainingHeader::Continues)) {
            ++last;
        }
        // Measured from the earliest start to the latest end: with a clock set back inside the chain,
        // the last end can lie before the first start, and a long training would be thrown away.
        int64_t earliest = headers_[first].startTime;
        int64_t latest = headers_[first].EndTime();
        for (size_t i = first + 1; i <= last; ++i) {
            earliest = std::min<int64_t>(earliest, headers_[i].startTime);
            latest = std::max(latest, headers_[i].EndTime());
        }
        if (latest - earliest < limits.MinDauerTraining) {
            for (size_t i = first; i <= last; ++i) {
                headers_[i].flags |= TVeltrakTrainingHeader::Dropped;
            }
        }
        first = last + 1;
    }
}

void TVeltrakImage::MarkJoins(const TVeltrakTrainingLimits& limits) {
    auto kept = [](const TVeltrakTrainingHeader& h) { return !h.Has(TVeltrakTrainingHeader::Dropped); };
    auto current = std::find_if(headers_.begin(), headers_.end(), kept);
    while (current != headers_.end()) {
        const auto next = std::find_if(current + 1, headers_.end(), kept);
        if (next != headers_.end() && Follows(*current, *next, limits.MaxPauseTraining)) {
            current->flags |= TVeltrakTrainingHeader::JoinedWithNext;
        }
        current = next;
    }
}

void TVeltrakImage::Compact() {
    std::erase_if(headers_,
                  [](const TVeltrakTrainingHeader& h) { return h.Has(TVeltrakTrainingHeader::Dropped); });
    counters_.headersAfter = static_cast<int>(headers_.size());
    for (auto& header : headers_) {
        header.flags &= static_cast<uint8_t>(~TVeltrakTrainingHeader::Last);
        counters_.recordsInTrainings += header.recordCount;
        counters_.timeAfter += header.EndTime() - header.startTime;
        if (!header.Has(TVeltrakTrainingHeader::JoinedWithNext)) {
            ++counters_.trainingFiles;
        }
    }
    if (!headers_.empty()) {
        headers_.back().flags |= TVeltrakTrainingHeader::Last;
    }
}

} // namespace klt
