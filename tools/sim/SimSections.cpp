#include "tools/sim/SimSections.h"

#include <algorithm>

#include "core/KLTDate.h"
#include "tools/sim/SimClock.h"

namespace klt::sim {
namespace {

constexpr int kSplitGapSeconds = 45; // head unit switched off and on again

void PutWord(uint8_t* at, int value) {
    at[0] = static_cast<uint8_t>(value >> 8 & 0xFF);
    at[1] = static_cast<uint8_t>(value & 0xFF);
}

// Numbers the intervals of a ride as the marker byte shows them.
class TMarkerCounter {
public:
    uint8_t Next(bool interval) {
        if (interval && !inside_) {
            number_ = number_ < 0xFE ? number_ + 1 : 0xFE;
        }
        inside_ = interval;
        return interval ? static_cast<uint8_t>(number_) : 0;
    }

private:
    bool inside_ = false;
    int number_ = 0;
};

TSimSection EncodeSection(const std::vector<TRideSegment>& segments, const TSectionSettings& settings,
                          int intervalTenths, TMarkerCounter& markers) {
    TSimSection section{segments.front().start, intervalTenths * 100, settings, {}};
    int64_t end = section.start;
    for (const TRideSegment& segment : segments) {
        // The rider stood still: one pause record per storage interval.
        section.records.insert(section.records.end(),
                               static_cast<size_t>(IntervalsBetween(end, segment.start, intervalTenths)),
                               TSectionRecord{});
        for (const TRideSample& sample : segment.samples) {
            section.records.push_back(EncodeSectionSample(sample, markers.Next(sample.interval)));
        }
        end = segment.start + static_cast<int64_t>(segment.samples.size()) * intervalTenths / 10;
    }
    return section;
}

// The ride as two recordings: before its last pause and after it, or halves a little apart.
std::pair<std::vector<TRideSegment>, std::vector<TRideSegment>> SplitRide(const TSimRide& ride,
                                                                          int intervalTenths) {
    if (ride.segments.size() >= 2) {
        return {{ride.segments.begin(), ride.segments.end() - 1}, {ride.segments.back()}};
    }
    const TRideSegment& whole = ride.segments.front();
    const size_t half = whole.samples.size() / 2;
    TRideSegment first{whole.start, {whole.samples.begin(), whole.samples.begin() + static_cast<long>(half)}};
    TRideSegment second{whole.start + static_cast<int64_t>(half) * intervalTenths / 10 + kSplitGapSeconds,
                        {whole.samples.begin() + static_cast<long>(half), whole.samples.end()}};
    return {{first}, {second}};
}

} // namespace

TSectionRecord EncodeSectionSample(const TRideSample& sample, uint8_t marker) {
    TSectionRecord record{};
    PutWord(&record[0], std::clamp(sample.powerWatts, 0, 0xFFFF));
    record[2] = static_cast<uint8_t>(std::clamp(sample.cadence, 0, 255));
    PutWord(&record[3], std::clamp((sample.speed * 36 + 500) / 1000, 0, 0xFFFF)); // 0.1 km/h
    record[5] = ValidHeartRate(sample.heartRate);
    PutWord(&record[6], std::clamp(sample.altitude, -32768, 32767) & 0xFFFF);
    PutWord(&record[8], std::clamp(sample.temperature, -32768, 32767) & 0xFFFF);
    record[kSectionMarkerByte] = std::min<uint8_t>(marker, 0xFE);
    return record;
}

TSectionRecord SectionEndRecord() {
    TSectionRecord record{};
    record[kSectionMarkerByte] = kSectionEnd;
    return record;
}

bool IsPauseRecord(const TSectionRecord& record) {
    return std::all_of(record.begin(), record.begin() + 6, [](uint8_t byte) { return byte == 0; });
}

std::vector<TSimSection> EncodeSectionMemory(const std::vector<TSimRide>& rides,
                                             const TSectionSettings& settings, int intervalTenths) {
    std::vector<TSimSection> sections;
    for (size_t r = 0; r < rides.size(); ++r) {
        const TSimRide& ride = rides[r];
        const bool split = rides.size() >= 2 && r + 1 == rides.size() && !ride.segments.empty() &&
                           (ride.segments.size() >= 2 || ride.segments.front().samples.size() >= 2);
        TMarkerCounter markers;
        if (split) {
            const auto [before, after] = SplitRide(ride, intervalTenths);
            sections.push_back(EncodeSection(before, settings, intervalTenths, markers));
            sections.push_back(EncodeSection(after, settings, intervalTenths, markers));
        } else if (!ride.segments.empty()) {
            sections.push_back(EncodeSection(ride.segments, settings, intervalTenths, markers));
        }
    }
    return sections;
}

std::vector<TSimSection> BuildSectionMemory(const TSimOptions& options, int64_t now) {
    TRideSchedule schedule = RideScheduleFor(options, now);
    schedule.ridesPerDay = 2;
    schedule.longRideSamples = options.longRideSamples;
    TSectionSettings settings;
    settings.initials = options.initials.substr(0, 20);
    std::vector<TSimSection> sections = EncodeSectionMemory(BuildSimRides(schedule), settings, options.intervalTenths);
    ApplySectionOptions(sections, 1, options);
    return sections;
}

void ApplySectionOptions(std::vector<TSimSection>& sections, size_t firstNumber, const TSimOptions& options) {
    const auto badDateEvery = static_cast<size_t>(options.faults.badDateEvery);
    const auto pauses = static_cast<size_t>(options.leadingPauses);
    for (size_t i = 0; i < sections.size(); ++i) {
        TSimSection& section = sections[i];
        section.impossibleDate = badDateEvery > 0 && (firstNumber + i) % badDateEvery == 0;
        section.records.insert(section.records.begin(), pauses, TSectionRecord{});
        section.start -= static_cast<int64_t>(pauses) * section.intervalMs / 1000;
        section.unannouncedRecords =
            std::min(static_cast<size_t>(options.faults.extraRecords), section.records.size());
    }
}

int64_t SectionEnd(const TSimSection& section) {
    return section.start + (static_cast<int64_t>(section.records.size()) * section.intervalMs + 999) / 1000;
}

std::vector<uint8_t> SectionHeaderBytes(const TSimSection& section) {
    std::vector<uint8_t> header(kSectionHeaderSize, 0);
    const TCivilDate date = CivilFromDaysSince1880(static_cast<int32_t>(section.start / 86400) + kClockEpochDay);
    const int secondOfDay = static_cast<int>(section.start % 86400);
    header[0] = static_cast<uint8_t>(date.day);
    header[1] = static_cast<uint8_t>(section.impossibleDate ? 13 : date.month);
    PutWord(&header[2], date.year);
    header[4] = static_cast<uint8_t>(secondOfDay / 3600);
    header[5] = static_cast<uint8_t>(secondOfDay / 60 % 60);
    header[6] = static_cast<uint8_t>(secondOfDay % 60);
    PutWord(&header[7], section.intervalMs);
    std::string initials = section.settings.initials.substr(0, 20);
    initials.resize(20, ' ');
    std::copy(initials.begin(), initials.end(), header.begin() + 9);
    PutWord(&header[29], section.settings.slope);
    PutWord(&header[31], section.settings.wheel);
    PutWord(&header[33], section.settings.zeroOffset & 0xFFFF);
    const auto count = static_cast<uint32_t>(section.records.size() - section.unannouncedRecords);
    PutWord(&header[35], static_cast<int>(count >> 16));
    PutWord(&header[37], static_cast<int>(count & 0xFFFF));
    return header;
}

} // namespace klt::sim
