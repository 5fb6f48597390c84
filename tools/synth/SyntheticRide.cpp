#include "tools/synth/SyntheticRide.h"

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

namespace klt::synth {
namespace {

struct TEffort {
    int seconds;
    double watts;
    double rpm;
    std::string marker; // empty: no marker of its own
};

// The speed (m/s) at which rolling, climbing and air resistance of rider and bike (80 kg) take up
// the power, found by bisection since the balance is monotonic in speed.
double SteadySpeed(double watts, double gradient) {
    constexpr double kWeight = 80.0 * 9.81, kRolling = 0.004, kDrag = 0.5 * 1.2 * 0.32;
    auto demand = [&](double v) { return v * kWeight * (kRolling + gradient) + kDrag * v * v * v; };
    double low = 0.0, high = 30.0;
    for (int i = 0; i < 40; ++i) {
        const double mid = (low + high) / 2;
        (demand(mid) < watts ? low : high) = mid;
    }
    return std::max(low, 1.5);
}

// The rider's state carried from one second to the next.
class TRider {
public:
    TRider(uint32_t seed, double temperature) : random_(seed), temperature_(temperature) {}

    // One second of riding at the target effort on a road of the given gradient.
    void Step(const TEffort& effort, double gradient) {
        power_ = std::max(0.0, effort.watts * (1.0 + 0.06 * Noise()));
        cadence_ = std::max(0.0, effort.rpm + 3.0 * Noise());
        // Heart rate settles towards a level set by power with a time constant of about 30 s.
        const double targetHeartRate = 62.0 + power_ * 0.36;
        heartRate_ += (targetHeartRate - heartRate_) / 30.0 + 0.4 * Noise();
        speed_ += (SteadySpeed(power_, gradient) - speed_) / 6.0;
        altitude_ += speed_ * gradient;
        temperature_ += 0.0008;
    }

    void Pause(int seconds) {
        heartRate_ = std::max(70.0, heartRate_ - seconds * 0.2);
        speed_ = 0;
        temperature_ += 0.0008 * seconds;
    }

    void Store(TSampleElement& sample) const {
        sample.Set(static_cast<int>(std::lround(power_ * 8)), static_cast<int>(std::lround(cadence_ * 32)),
                   static_cast<int>(std::lround(heartRate_ * 64)), static_cast<int>(std::lround(speed_ * 1000)),
                   static_cast<int>(std::lround(altitude_)), static_cast<int>(std::lround(temperature_ * 10)));
    }

private:
    double Noise() { return std::uniform_real_distribution<double>(-1.0, 1.0)(random_); }

    std::mt19937 random_;
    double power_ = 0, cadence_ = 0, heartRate_ = 75, speed_ = 0, altitude_ = 240, temperature_;
};

// A gently rolling road: two overlaid hills.
double Gradient(int second) {
    return 0.025 * std::sin(second / 420.0) + 0.012 * std::sin(second / 97.0);
}

} // namespace

void BuildRide(TKLTFile& file, const TRideOptions& options) {
    std::vector<TEffort> firstBlock = {{600, 150, 85, "Warm-up"}};
    for (int i = 1; i <= options.intervals; ++i) {
        firstBlock.push_back({180, 320, 98, "Interval " + std::to_string(i)});
        firstBlock.push_back({120, 130, 82, ""});
    }
    const std::vector<TEffort> secondBlock = {{900, 190, 90, "Tempo"}, {480, 120, 80, "Cool-down"}};

    file.Clear();
    TKLTHeader& header = file.EditHeader();
    header.magic = {'K', 'L', 'T', '7'};
    header.date = options.date;
    header.circumference = 2105;
    header.intervalNumerator = 1;
    header.intervalDenominator = 1;
    header.zeroOffset = 512;
    header.slope = 3056; // 10 Hz/Nm
    file.SetCommentText(options.comment);
    file.EditExtraHeader().batInfo.battery = 2870;
    file.EditExtraHeader().sensorInfo.words[0] = 4711;

    auto seconds = [](const std::vector<TEffort>& efforts) {
        int total = 0;
        for (const auto& e : efforts) {
            total += e.seconds;
        }
        return total;
    };
    const int firstCount = seconds(firstBlock);
    const int secondCount = seconds(secondBlock);
    file.SetBlocks({{options.startTime, static_cast<uint16_t>(firstCount)},
                    {options.startTime + static_cast<uint32_t>((firstCount + options.pauseSeconds) * 100),
                     static_cast<uint16_t>(secondCount)}});
    file.SetSampleCount(firstCount + secondCount);

    file.InsertMarker(TKLTMarker(options.initials, 0, 0));
    TRider rider(options.seed, options.temperature);
    int index = 1;
    auto ride = [&](const std::vector<TEffort>& efforts) {
        for (const TEffort& effort : efforts) {
            const int first = index;
            for (int s = 0; s < effort.seconds; ++s, ++index) {
                rider.Step(effort, Gradient(index));
                rider.Store(file.Sample(index));
            }
            if (!effort.marker.empty()) {
                file.InsertMarker(TKLTMarker(effort.marker, first, index - 1));
            }
        }
    };
    ride(firstBlock);
    rider.Pause(options.pauseSeconds);
    ride(secondBlock);

    file.Normalise();
    file.MarkModified();
}

} // namespace klt::synth
