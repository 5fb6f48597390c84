// stand-in, replaced at merge
#pragma once
#include <array>
#include <optional>
#include <vector>

namespace klt {

class TKLTFile;
class TRatioSkalaOption;

enum TRatioChannel : int { rcPower = 0, rcHeartRate = 1, rcCadence = 2, rcSpeed = 3 };
inline constexpr int kRatioChannels = 4;

struct TRatioClass {            // from <= value < to, whole display units
    int from = 0;
    int to = 0;
    int samples = 0;
    int seconds = 0;
    double percent = 0;
    std::array<std::optional<int>, kRatioChannels> means; // key channel's own entry empty
};

class TRatioData {
public:
    explicit TRatioData(TRatioChannel key);
    TRatioChannel Key() const;
    void SetKey(TRatioChannel key);
    // samples first..last 1-based inclusive; speedUnit 0 km/h, 1 m/s, 2 mph
    void Fill(const TKLTFile& file, int first, int last, int smootingSeconds, int speedUnit);
    int TotalSamples() const;
    int Samples(int from, int to) const;
    int Time(int from, int to) const;
    int Mean(int from, int to, TRatioChannel channel) const;
    std::vector<TRatioClass> Classes(const TRatioSkalaOption& keyScale) const;

private:
    TRatioChannel key_;
};

} // namespace klt
