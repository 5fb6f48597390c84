#include "device/usb/SectionRecords.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numeric>

#include "core/Exceptions.h"
#include "core/Initials.h"
#include "core/KLTDate.h"

namespace klt {

namespace {

constexpr double kSlopeFactor = 30.558;
constexpr int kHundredthsPerSecond = 100;

uint16_t Word(std::span<const uint8_t> p, size_t at) {
    return static_cast<uint16_t>(p[at] << 8 | p[at + 1]);
}

uint32_t Long(std::span<const uint8_t> p, size_t at) {
    return uint32_t{p[at]} << 24 | uint32_t{p[at + 1]} << 16 | uint32_t{p[at + 2]} << 8 | p[at + 3];
}

// Hundredths of a second as a fraction whose parts fit the training file's bytes; none for 0.
bool FitsFraction(uint16_t intervalMs, TIntervalFraction& fraction) {
    if (intervalMs == 0 || intervalMs % 10 != 0) {
        return false;
    }
    const int hundredths = intervalMs / 10;
    const int common = std::gcd(hundredths, kHundredthsPerSecond);
    const int numerator = hundredths / common;
    if (numerator > 255) {
        return false;
    }
    fraction = {static_cast<uint8_t>(numerator), static_cast<uint8_t>(kHundredthsPerSecond / common)};
    return true;
}

std::string Describe(std::span<const uint8_t> p) {
    char text[64];
    std::snprintf(text, sizeof text, "%02u.%02u.%04u %02u:%02u:%02u", p[0], p[1], Word(p, 2), p[4], p[5], p[6]);
    return text;
}

} // namespace

std::string TVeltrakDataHeader::InitialsText() const {
    const auto end = std::find(initials.begin(), initials.end(), '\0');
    return NormalizeInitials(std::string(initials.begin(), end));
}

uint16_t TVeltrakDataHeader::SlopeUsed() const {
    return static_cast<uint16_t>(std::min(std::lround(slope * kSlopeFactor), 65535L));
}

bool ContinuesRide(const TVeltrakDataHeader& last, const TVeltrakDataHeader& next, int32_t maxPause) {
    const int64_t gap = next.Start() - last.End();
    return gap < maxPause && gap > -kHundredthsPerSecond && next.intervalMs == last.intervalMs &&
           next.slope == last.slope && next.wheel == last.wheel && next.initials == last.initials;
}

bool IsSectionHeaderReply(std::span<const uint8_t> payload) {
    return payload.size() == kSectionHeaderSize;
}

TVeltrakDataHeader ParseSectionHeader(std::span<const uint8_t> p) {
    if (!IsSectionHeaderReply(p)) {
        throw EConvertError("The head unit sent a section header of " + std::to_string(p.size()) +
                            " bytes instead of " + std::to_string(kSectionHeaderSize) + ".");
    }
    const TCivilDate date{Word(p, 2), p[1], p[0]};
    if (date.year < 1880 || !IsValidCivilDate(date) || DaysSince1880(date) >= 0xFFFF || p[4] > 23 || p[5] > 59 ||
        p[6] > 59) {
        throw EConvertError("The head unit holds a section recorded at an impossible time (" + Describe(p) + ").");
    }
    TVeltrakDataHeader header;
    header.day = static_cast<uint16_t>(DaysSince1880(date));
    header.startTime = ((p[4] * 60 + p[5]) * 60 + p[6]) * kHundredthsPerSecond;
    header.intervalMs = Word(p, 7);
    TIntervalFraction fraction;
    if (!FitsFraction(header.intervalMs, fraction)) {
        throw EConvertError("The head unit holds a section of " + Describe(p) + " with a storage interval of " +
                            std::to_string(header.intervalMs) + " ms, which a training file cannot keep.");
    }
    std::copy_n(p.begin() + 9, header.initials.size(), header.initials.begin());
    header.slope = Word(p, 29);
    header.wheel = Word(p, 31);
    header.zeroOffset = static_cast<int16_t>(Word(p, 33));
    header.records = Long(p, 35);
    if (header.records > kMaxSectionRecords) {
        throw EConvertError("The head unit announces " + std::to_string(header.records) +
                            " records for the section of " + Describe(p) + ", more than its memory can hold.");
    }
    return header;
}

TIntervalFraction IntervalFraction(uint16_t intervalMs) {
    TIntervalFraction fraction;
    if (!FitsFraction(intervalMs, fraction)) {
        throw EConvertError("A storage interval of " + std::to_string(intervalMs) +
                            " ms cannot be kept in a training file.");
    }
    return fraction;
}

bool IsSectionBlockReply(std::span<const uint8_t> payload) {
    return !payload.empty() && payload.size() % kSectionRecordSize == 0 &&
           payload.size() <= kSectionBlockRecords * kSectionRecordSize;
}

TSectionBlock ParseSectionBlock(std::span<const uint8_t> payload) {
    if (!IsSectionBlockReply(payload)) {
        throw EConvertError("The head unit sent a data block of " + std::to_string(payload.size()) + " bytes.");
    }
    TSectionBlock block;
    const size_t count = payload.size() / kSectionRecordSize;
    for (size_t i = 0; i < count; ++i) {
        const auto r = payload.subspan(i * kSectionRecordSize, kSectionRecordSize);
        if (r[10] == kSectionEndMarker) {
            return block;
        }
        TSectionRecord record;
        record.power = Word(r, 0);
        record.cadence = r[2];
        record.speed = static_cast<int>(int64_t{Word(r, 3)} * 100000 / 3600);
        record.heartRate = r[5];
        record.altitude = static_cast<int16_t>(Word(r, 6));
        record.temperature = static_cast<int16_t>(Word(r, 8));
        record.marker = r[10];
        record.pause = std::all_of(r.begin(), r.begin() + 6, [](uint8_t b) { return b == 0; });
        block.records.push_back(record);
    }
    return block;
}

} // namespace klt
