#include "core/TrainingSample.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "core/NumberFormat.h"

namespace klt {
namespace {

struct TChannelRange {
    int min;
    int max;
};

// What the fields of a training file hold; readers take speed from the low 16 bits, unsigned.
constexpr std::array<TChannelRange, TData::kChannelCount> kRanges = {{
    {0, 65535},             // power
    {0, 255},               // heart rate
    {0, 255},               // cadence
    {0, 65535},             // speed
    {INT32_MIN, INT32_MAX}, // altitude
    {INT16_MIN, INT16_MAX}, // temperature
}};

constexpr double kFeetPerMetre = 3.28083;
constexpr double kKmhPerMms = 3600.0 / 1'000'000.0;
constexpr double kKmPerMile = 1.61;

int Clamp(int channel, int value) {
    const TChannelRange& range = kRanges[static_cast<size_t>(channel)];
    return std::clamp(value, range.min, range.max);
}

int Clamp(int channel, double value) {
    const TChannelRange& range = kRanges[static_cast<size_t>(channel)];
    return static_cast<int>(
        std::llround(std::clamp(value, static_cast<double>(range.min), static_cast<double>(range.max))));
}

// Unknown unit numbers fall back to the first unit, as unreadable settings do everywhere.
double ToDisplay(int channel, int value, const TDataUnits& units) {
    switch (channel) {
    case dcSpeed:
        switch (units.UnitsSPD) {
        case 1:
            return value / 1000.0;
        case 2:
            return value * kKmhPerMms / kKmPerMile;
        default:
            return value * kKmhPerMms;
        }
    case dcAltitude:
        return units.UnitsAlt == 1 ? std::round(value * kFeetPerMetre) : value;
    case dcTemperature:
        // Tenths of a degree are stored; degrees are shown.
        return units.UnitsTMP == 1 ? (value * 9.0 / 5.0 + 320.0) / 10.0 : value / 10.0;
    default:
        return value;
    }
}

double FromDisplay(int channel, double value, const TDataUnits& units) {
    switch (channel) {
    case dcSpeed:
        switch (units.UnitsSPD) {
        case 1:
            return value * 1000.0;
        case 2:
            return value * kKmPerMile / kKmhPerMms;
        default:
            return value / kKmhPerMms;
        }
    case dcAltitude:
        return units.UnitsAlt == 1 ? value / kFeetPerMetre : value;
    case dcTemperature:
        return units.UnitsTMP == 1 ? (value * 10.0 - 320.0) * 5.0 / 9.0 : value * 10.0;
    default:
        return value;
    }
}

} // namespace

TData::TData(const std::array<int, kChannelCount>& values) {
    for (int channel = 0; channel < kChannelCount; ++channel) {
        SetValue(channel, values[static_cast<size_t>(channel)]);
    }
}

int TData::Value(int channel) const {
    return IsChannel(channel) ? values_[static_cast<size_t>(channel)] : 0;
}

void TData::SetValue(int channel, int value) {
    if (IsChannel(channel)) {
        values_[static_cast<size_t>(channel)] = Clamp(channel, value);
    }
}

double TData::DisplayValue(int channel, const TDataUnits& units) const {
    return ToDisplay(channel, Value(channel), units);
}

void TData::SetDisplayValue(int channel, double value, const TDataUnits& units) {
    if (const auto stored = ValueFromDisplay(channel, value, units)) {
        SetValue(channel, *stored);
    }
}

std::string TData::Text(int channel, const TDataUnits& units) const {
    const int decimals = channel == dcSpeed || channel == dcTemperature ? 1 : 0;
    return FormatFloatFixed(DisplayValue(channel, units), decimals, false, FormatSettings());
}

bool TData::SetText(int channel, std::string_view text, const TDataUnits& units) {
    const auto stored = ValueFromText(channel, text, units);
    if (stored) {
        SetValue(channel, *stored);
    }
    return stored.has_value();
}

std::optional<int> TData::ValueFromDisplay(int channel, double value, const TDataUnits& units) {
    if (!IsChannel(channel) || !std::isfinite(value)) {
        return std::nullopt;
    }
    return Clamp(channel, FromDisplay(channel, value, units));
}

std::optional<int> TData::ValueFromText(int channel, std::string_view text, const TDataUnits& units) {
    const auto value = ParseFloat(text, FormatSettings());
    return value ? ValueFromDisplay(channel, *value, units) : std::nullopt;
}

} // namespace klt
