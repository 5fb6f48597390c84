#pragma once
// One sample of the training data module: six channels in the units a training file stores, with
// their conversions to the units the user chose. The live mode derives its own samples from it.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace klt {

// Channel indices. Values: power W, heart rate bpm, cadence rpm, speed mm/s, altitude m,
// temperature 0.1 degC.
enum TDataChannel : int { dcPower, dcHeartRate, dcCadence, dcSpeed, dcAltitude, dcTemperature };

// The unit choices of the configuration that the channels are shown in.
struct TDataUnits {
    int UnitsSPD = 0; // 0 km/h, 1 m/s, 2 mph
    int UnitsAlt = 0; // 0 m, 1 ft
    int UnitsTMP = 0; // 0 degC, 1 degF
};

class TData {
public:
    static constexpr int kChannelCount = 6;

    TData() = default;
    // Values by channel index, clamped like SetValue.
    explicit TData(const std::array<int, kChannelCount>& values);
    TData(const TData&) = default;
    TData& operator=(const TData&) = default;
    virtual ~TData() = default;

    // 0 for an index outside the channels.
    int Value(int channel) const;
    // Ignored for an index outside the channels. Values are clamped to what a training file can
    // hold (power 0..65535, heart rate and cadence 0..255, speed 0..65535, temperature 16 bits),
    // so that a value set is the value written and read back.
    void SetValue(int channel, int value);

    // Display units: speed in km/h, m/s or mph; altitude in m or whole feet; temperature in degC
    // or degF; the other channels unchanged.
    double DisplayValue(int channel, const TDataUnits& units) const;
    void SetDisplayValue(int channel, double value, const TDataUnits& units);
    // The display value with the user's decimal separator: speed and temperature with one decimal,
    // the others as integers.
    std::string Text(int channel, const TDataUnits& units) const;
    // False, and nothing changes, when the text is not a number.
    bool SetText(int channel, std::string_view text, const TDataUnits& units);

    // The stored value a display value or text stands for: rounded and clamped; nothing for a
    // channel outside the range, a value that is not finite or a text that is not a number.
    static std::optional<int> ValueFromDisplay(int channel, double value, const TDataUnits& units);
    static std::optional<int> ValueFromText(int channel, std::string_view text, const TDataUnits& units);
    static bool IsChannel(int channel) { return channel >= 0 && channel < kChannelCount; }

private:
    std::array<int32_t, kChannelCount> values_{};
};

} // namespace klt
