#include "flow/SaveDataTexts.h"

#include <cstdlib>

namespace klt {
namespace {

constexpr int32_t kBatteryUnknown = 0x7FFF;
constexpr int32_t kBatteryCritical = -5;
constexpr int32_t kFlashBelowTenthHours = 200;

std::string IntervalText(int32_t hundredths) {
    std::string text = std::to_string(hundredths / 100);
    if (hundredths % 100 != 0) {
        text += "." + std::to_string(hundredths % 100 / 10);
    }
    return text + " s";
}

} // namespace

std::string BatteryText(int32_t remaining) {
    switch (remaining) {
    case kBatteryUnknown:
        return "n/a";
    case -5:
        return "Critical";
    case -4:
        return "Low";
    case -3:
        return "OK";
    case -2:
        return "Good";
    case -1:
        return "New";
    default:
        return std::to_string(remaining / 10) + " h";
    }
}

bool BatteryFlashes(int32_t remaining) {
    return remaining == kBatteryCritical || (remaining >= 0 && remaining < kFlashBelowTenthHours);
}

int32_t BatteryRemaining(uint32_t recordValue) {
    return static_cast<int16_t>(recordValue & 0xFFFF);
}

std::vector<TStorageInterval> StorageIntervals(TVeltrakHWVersion hardware) {
    std::vector<int32_t> values;
    if (hardware == TVeltrakHWVersion::HWVersionVT5x128) {
        values = {50, 60, 70, 80, 90};
        for (int32_t seconds = 1; seconds <= 15; ++seconds) {
            values.push_back(seconds * 100);
        }
    } else if (hardware == TVeltrakHWVersion::HWVersionVT6x128) {
        values = {50, 100, 200, 500};
    } else {
        values = {10, 20, 50, 100, 200, 500, 1000, 1500, 3000, 6000, 12000, 24000};
    }
    std::vector<TStorageInterval> intervals;
    for (const int32_t value : values) {
        intervals.push_back({value, IntervalText(value)});
    }
    return intervals;
}

int NearestStorageInterval(const std::vector<TStorageInterval>& intervals, int32_t hundredths) {
    int best = -1;
    for (size_t i = 0; i < intervals.size(); ++i) {
        if (best < 0 || std::abs(intervals[i].hundredths - hundredths) <
                            std::abs(intervals[static_cast<size_t>(best)].hundredths - hundredths)) {
            best = static_cast<int>(i);
        }
    }
    return best;
}

} // namespace klt
