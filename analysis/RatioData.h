#pragma once
// The distribution (ratio) of a marker's training time over the values of one key channel, with
// what the other channels averaged at those values: the data behind the four charts of the
// distribution view.
#include <array>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "core/MesswertDefinition.h"

namespace klt {

class TKLTFile;
class TRatioSkalaOption;

enum TRatioChannel : int { rcPower = 0, rcHeartRate = 1, rcCadence = 2, rcSpeed = 3 };
inline constexpr int kRatioChannels = 4;
// Key values are counted in whole display units from 0 up to this (exclusive).
inline constexpr int kRatioBins = 4096;
// Heart rates at or below this are the belt's silence, not a pulse.
inline constexpr int kLowestHeartRate = 20;

// One class of the key axis as the view shows it: from <= value < to, in whole display units.
// The last class reaches one past the key scale's upper end, so that the end itself counts.
struct TRatioClass {
    int from = 0;
    int to = 0;
    int samples = 0;
    int seconds = 0;     // round(samples x recording interval)
    double percent = 0;  // of all samples counted for the key in the marker; 0 when there are none
    // Mean of each channel over the class (display units), none where no bin of the class holds
    // samples; the key channel's own entry stays empty.
    std::array<std::optional<int>, kRatioChannels> means;
};

// A marker's samples in the units the tables count: whole watts (4096 W and more count as 0),
// beats and revolutions per minute, speed in its unit; with where the recording paused. Read once,
// they fill the tables of every key.
struct TRatioSamples {
    std::array<std::vector<int32_t>, kRatioChannels> values;
    std::vector<int32_t> speedMillimetres; // mm/s, which a speed key is smoothed in
    // Index one past the end of each stretch recorded without a pause, in order.
    std::vector<int> runEnds;
    int interval = 100; // 1/100 s
    int speedUnit = 0;

    // Samples first..last (1-based, inclusive) of the file.
    void Read(const TKLTFile& file, int first, int last, int speedUnit);
    int Count() const { return static_cast<int>(values[rcPower].size()); }
};

// A speed unit (0 km/h, 1 m/s, 2 mph; others the first) without switching the one on show.
TMesswertUnit RatioSpeedUnit(int speedUnit);
// Display value per raw unit of a channel (power 1/8 W, heart rate 1/64 bpm, cadence 1/32 rpm,
// speed mm/s).
double RatioDisplayFactor(TRatioChannel channel, int speedUnit);

class TRatioData {
public:
    explicit TRatioData(TRatioChannel key);
    TRatioChannel Key() const { return key_; }
    void SetKey(TRatioChannel key); // the next Fill starts afresh
    // Counts the samples first..last (1-based, inclusive, as markers count) of the file, each key
    // value smoothed over `smootingSeconds`; speed in the unit `speedUnit` (0 km/h, 1 m/s, 2 mph).
    // A smoothing window never reaches across a pause.
    void Fill(const TKLTFile& file, int first, int last, int smootingSeconds, int speedUnit);
    // The same from samples read before, so that the four keys share one read of the marker.
    void Fill(const TRatioSamples& samples, int smootingSeconds);
    int TotalSamples() const { return total_; } // samples counted for the key
    int Samples(int from, int to) const;        // key bins from..to inclusive; 0 when to < from
    int Time(int from, int to) const;           // seconds
    int Mean(int from, int to, TRatioChannel channel) const;
    // The mean over every sample of the bins that holds a value of the channel; none without one.
    std::optional<double> MeanValue(int from, int to, TRatioChannel channel) const;
    // The classes of the key scale: none for a width below 1 or a scale without room.
    std::vector<TRatioClass> Classes(const TRatioSkalaOption& keyScale) const;
    int SpeedUnit() const { return speedUnit_; }

private:
    // Samples of a bin carry a value of every channel but the heart rate, which needs a pulse.
    struct TBin {
        int32_t count = 0;
        int32_t heartRateCount = 0;
        std::array<int32_t, kRatioChannels> sums{}; // 65,534 samples of 4095 W still fit
    };
    struct TTotal {
        std::array<int64_t, kRatioChannels> sums{};
        std::array<int, kRatioChannels> counts{}; // a marker holds at most 65,534 samples
    };
    void Clear();
    // The key scale's ends in whole display units, clamped to the table; nothing when empty.
    std::optional<std::pair<int, int>> KeyRange(const TRatioSkalaOption& keyScale) const;
    // The key value of every sample, smoothed within its stretch.
    void KeyValues(const TRatioSamples& samples, int smootingSeconds);
    // Counts every sample under its key value; the key known at compile time keeps the loop tight.
    template <int Key> void CountAll(const TRatioSamples& samples);
    TTotal Total(int from, int to) const;

    TRatioChannel key_;
    std::vector<TBin> bins_;
    std::vector<int32_t> keyValues_; // reused between fills
    std::vector<int64_t> prefix_;
    int total_ = 0;
    int interval_ = 100;
    int speedUnit_ = 0;
};

} // namespace klt
