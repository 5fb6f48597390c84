#include "online/OffsetTable.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <limits>

namespace klt {

namespace {

// No brake takes offsets this large: a model value beyond it is a failed computation (a standing
// flywheel divides by zero), and staying below it keeps every later step inside int.
constexpr double kValueLimit = 1 << 30;

struct EModelArithmetic {};

// To the nearest integer, ties to even (the default rounding mode); a value that is no number or
// out of range is a failed computation, never cast.
int64_t Rounded(double value) {
    if (!std::isfinite(value) || std::fabs(value) > kValueLimit) {
        throw EModelArithmetic{};
    }
    return static_cast<int64_t>(std::nearbyint(value));
}

// The brake's efficiency over the flywheel speed (a fit of the bench measurements).
double Efficiency(double speed) {
    const double fit = -5.923e-17 * std::pow(speed, 4) + 2.82169666e-12 * std::pow(speed, 3) -
                       4.952960717809e-8 * speed * speed + 0.000391126681761224 * speed - 0.253372034048685;
    return fit / 0.92;
}

// How the friction of the drive grows with the flywheel speed.
double FrictionFactor(double speed) {
    return std::pow(1.00014862314087, speed) * 0.0823990275387759 / 0.34;
}

// The power left for the brake once friction has taken its share; at least 0.
int64_t NetPower(const TBrakeOptionSet& brake, int speed, int power) {
    const double friction = static_cast<double>(Rounded(0.8 * brake.Friction)) * FrictionFactor(speed);
    return std::max<int64_t>(0, Rounded(power - friction));
}

// The torque the brake has to hold for a net power.
int64_t TorqueTerm(int64_t netPower, int speed) {
    return Rounded(static_cast<double>(netPower) / (speed / 4.0) * 9550);
}

// Below a torque of 400 the brake's response bends: each band is steeper than the one above.
struct TTorqueBand {
    int64_t bottom;
    int64_t top;
    double steepness;
};
constexpr std::array<TTorqueBand, 4> kTorqueBands{{
    {250, 399, 2.1},
    {150, 249, 2.3},
    {50, 149, 3.3},
    {std::numeric_limits<int64_t>::min(), 49, 8},
}};
constexpr int64_t kBentTorque = 400;

// The part of a torque below 400 that lies in `band`, counted down from the band's top.
int64_t PartInBand(int64_t torque, const TTorqueBand& band) {
    if (torque > band.top) {
        return 0;
    }
    return std::max(torque, band.bottom) - band.top;
}

double SteepnessAt(int64_t torque) {
    for (const TTorqueBand& band : kTorqueBands) {
        if (torque >= band.bottom && torque <= band.top) {
            return band.steepness;
        }
    }
    return 1;
}

// After a downward step the flywheel runs on; the lower the power, the more the offset is eased.
double StepDownEasing(int64_t netPower) {
    struct TEasing {
        int64_t upTo;
        double rate;
    };
    constexpr std::array<TEasing, 6> kEasings{
        {{150, 0.08}, {200, 0.06}, {250, 0.04}, {300, 0.03}, {350, 0}, {500, 0.02}}};
    for (const TEasing& easing : kEasings) {
        if (netPower <= easing.upTo) {
            return easing.rate;
        }
    }
    return 0;
}

// Offset at the bent part of the curve and above, before any correction.
int64_t ModelOffset(const TBrakeOptionSet& brake, int speed, int64_t torque) {
    constexpr int64_t kBase = 2500;
    const double efficiency = Efficiency(speed);
    const double fixpoint = brake.Fixpoint * efficiency;
    const double slope = brake.Slope;
    if (torque >= kBentTorque) {
        return Rounded(slope / 100 * static_cast<double>(Rounded(static_cast<double>(torque) - fixpoint)) *
                       (1 / efficiency)) +
               kBase;
    }
    int64_t offset =
        Rounded(slope / 100 * static_cast<double>(Rounded(kBentTorque - fixpoint)) / efficiency) + kBase;
    for (const TTorqueBand& band : kTorqueBands) {
        offset += Rounded(slope * band.steepness / 100 * static_cast<double>(PartInBand(torque, band)) /
                          efficiency);
    }
    return Rounded(static_cast<double>(offset));
}

std::string ModelLogPath(const std::string& databaseDir, const char* name) {
    return (std::filesystem::path(databaseDir) / "ErgoFiles" / name).string();
}

} // namespace

TOffsetTable::TOffsetTable(TBrakeOptionSet& brake, const std::string& databaseDir) : brake_(brake) {
    if (!databaseDir.empty()) {
        adaptationLog_.Open(ModelLogPath(databaseDir, "OffsetLogFile.log"));
        modelLog_.Open(ModelLogPath(databaseDir, "LogFile.log"));
    }
}

int TOffsetTable::BrakeOffsetFor(int speed, int power) {
    int64_t netPower = 0;
    int64_t torque = 0;
    int64_t offset = kFailedOffset;
    try {
        netPower = NetPower(brake_, speed, power);
        torque = TorqueTerm(netPower, speed);
        offset = ModelOffset(brake_, speed, torque);
    } catch (const EModelArithmetic&) {
        offset = kFailedOffset;
    }
    if (bigStepUp_) {
        offset = static_cast<int64_t>(std::nearbyint(static_cast<double>(offset) * 0.85));
    }
    if (stepDown_ != 0) {
        offset = static_cast<int64_t>(
            std::nearbyint(static_cast<double>(offset) * (1 - StepDownEasing(netPower))));
    }
    offset += brake_.OffsetCorrection;
    const int result = static_cast<int>(
        std::clamp<int64_t>(offset, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
    modelLog_.Line("Speed:" + std::to_string(speed) + " Power:" + std::to_string(power) +
                   " NetPower:" + std::to_string(netPower) + " Torque:" + std::to_string(torque) +
                   " StepDown:" + std::to_string(stepDown_) +
                   " BigStepUp:" + std::to_string(bigStepUp_ ? 1 : 0) + " Offset:" + std::to_string(result));
    return result;
}

double TOffsetTable::RegulationGain(int speed, int power, int offset) const {
    try {
        const double perWatt = brake_.Slope / (speed / 4.0 / 9550 * 100) * (1 / Efficiency(speed));
        const int64_t gain = std::max<int64_t>(Rounded(perWatt), 2);
        const int64_t torque = TorqueTerm(NetPower(brake_, speed, power), speed);
        // Near the lowest working point the brake barely responds.
        constexpr int kWeakOffset = 800;
        return static_cast<double>(gain) * SteepnessAt(torque) * (offset < kWeakOffset ? 2 : 1);
    } catch (const EModelArithmetic&) {
        return kFailedGain;
    }
}

void TOffsetTable::AdaptCorrection(int speed, int power, int averageOffset) {
    const int before = brake_.OffsetCorrection;
    const double wanted = (static_cast<double>(averageOffset) + before - BrakeOffsetFor(speed, power)) * 0.95;
    brake_.OffsetCorrection = static_cast<int>(
        std::clamp(std::nearbyint(wanted), double{-kCorrectionLimit}, double{kCorrectionLimit}));
    adaptationLog_.Line("Speed:" + std::to_string(speed) + " Power:" + std::to_string(power) + " AvrOffset:" +
                        std::to_string(averageOffset) + " OffsetCorrection:" + std::to_string(before) +
                        " -> " + std::to_string(brake_.OffsetCorrection));
}

} // namespace klt
