// One regulation step: from the live values just read and the latest samples to the brake values
// sent, by the rules of power, cadence and heart-rate control.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

#include "core/NumberFormat.h"
#include "online/BreakControl.h"

namespace klt {

namespace {

constexpr int32_t kPowerSupplyOffset = 40768; // more than the brake's supply can hold for long
constexpr int32_t kPowerSupplyLimit = 20480;  // the same for the isokinetic limit
constexpr int kPowerSupplySteps = 10;         // steps beyond it in a row before the brake is freed
constexpr int kSteadySteps = 20;              // steady steps before the model is corrected
constexpr int kCalibrationSettledOffset = 34269;
constexpr double kDefaultGearRatio = 3.35139769;

// To the nearest integer, ties to even, within int (an offset beyond it is no offset).
int32_t RoundedOffset(double value) {
    if (std::isnan(value)) {
        return TBreakControl::kLowestOffset;
    }
    constexpr double kLow = std::numeric_limits<int32_t>::min();
    constexpr double kHigh = std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(std::clamp(std::nearbyint(value), kLow, kHigh));
}

int Sign(int64_t value) {
    return (value > 0) - (value < 0);
}

// The isokinetic limit that holds the rider at `cadence` with the flywheel turning `ratio` times
// per crank turn; 0 (no limit) when either makes no sense.
int32_t CadenceLimit(int cadence, double ratio) {
    if (cadence <= 0 || !(ratio > 0) || !std::isfinite(ratio)) {
        return 0;
    }
    return RoundedOffset(86.0 / cadence * 8192 * (kDefaultGearRatio / ratio));
}

// The fixed offsets the calibration targets stand for; 0 for any other target.
int32_t CalibrationOffset(int target) {
    switch (target) {
    case 997:
        return 35168;
    case 998:
        return 35768;
    case 999:
        return 35268;
    default:
        return 0;
    }
}

// The divisors the regulator moves by: a falling power is followed more gently, a fast control
// rate more boldly.
struct TGains {
    int k6, kA, kB, kC;
};
TGains GainsFor(int difference, int controlRate) {
    if (difference < 0) {
        return {6, 3, 2, 2};
    }
    return controlRate < 6 ? TGains{6, 5, 4, 4} : TGains{6, 4, 3, 3};
}

// Log lines read the same in every locale.
std::string GainText(double gain) {
    return FormatFloatFixed(gain, 2, false, {.decimalSeparator = ".", .thousandSeparator = ""});
}

} // namespace

struct TBreakControl::TStepValues {
    TBrakeControlBy control = TBrakeControlBy::Power;
    TErgometerMode mode = emPredefinedFile;
    int target = 0;
    int speed = 0;
    int difference = 0;
    int speedChange = 0;
    double gain = 0;
    int meanOffset = 0;
    int lastSent = 0;
    int32_t offset = 0;
    int32_t limit = 0;
    int reg = 0;
};

void TBreakControl::Step() {
    const int speed = status_.Geschwindigkeit;
    const int rawCadence = status_.Tretfrequenz;
    const int rawPower = status_.Leistung;
    headUnitPower_ = rawPower / 8;
    const TRegulationSamples samples(
        samples_, {.Power = rawPower / 8, .HeartRate = status_.Herzfrequenz / 64, .Speed = speed});

    if (rawCadence > 0) {
        stopRequested_ = false;
    }
    if (stopRequested_) {
        if (speed >= 50) {
            Send({.Offset = kStopOffset, .Steigung = 0, .Grenze = 0, .Teiler = 1});
        } else {
            stopRequested_ = false;
            Send({.Offset = 0, .Steigung = 0, .Grenze = 0, .Teiler = 1});
        }
        return;
    }
    if (speed < kLowestRegulatedSpeed || samples.Speed(samples.Last()) == 0) {
        Send({.Offset = kReleasedOffset, .Steigung = 0, .Grenze = 0, .Teiler = 1});
        newOffsetCount_ = 4;
        log_.Line("RegBreak Off Speed 0");
        return;
    }
    if (rawCadence == 0) {
        Send({.Offset = kReleasedOffset, .Steigung = 0, .Grenze = 0, .Teiler = 1});
        log_.Line("RegBreak Off Cad 0");
        return;
    }
    if (rawPower < 8) {
        log_.Line("RegBreak Off Pow 0");
    }

    const int rate = options_.ControlRate;
    if (newOffsetCount_ == 1) {
        hold_ = rate <= 3 ? 0 : rate <= 8 ? 2 : 4;
    }
    if (newOffsetCount_ >= 1 && newOffsetCount_ <= 50) {
        --newOffsetCount_;
        averagingDepth_ = -1; // no averaging while a new set point is approached
    }
    averagingDepth_ = std::min(averagingDepth_ + 1, 3);
    // Whatever the head unit reports back, the regulator starts from a brake offset.
    currentOffset_ =
        status_.BremseOffset != 0 ? std::clamp(status_.BremseOffset, 0, kStopOffset) : kReleasedOffset;

    TStepValues step;
    step.control = controlBy_;
    step.mode = ergometerMode_;
    step.target = targetPower_;
    step.speed = speed;
    TrackSteadiness(step, samples);

    step.difference = step.target - samples.MeanPower(averagingDepth_);
    step.speedChange = samples.SpeedChange(averagingDepth_);
    step.gain = table_.RegulationGain(speed, step.target, currentOffset_ - kLowestOffset);
    step.meanOffset = samples.MeanBrakeOffset(averagingDepth_);
    step.lastSent = samples.LastSentOffset();
    step.offset = currentOffset_;
    if (hold_ > 0) {
        --hold_;
    } else if (newOffsetCount_ >= 1) {
        NewOffsetPhase(step);
    } else {
        RegulatePhase(step);
    }

    if (step.control == TBrakeControlBy::HeartRate) {
        ControlHeartRate(step, samples);
    }
    if (step.mode == emOpenEndTest) {
        step.offset = RoundedOffset(speed * 0.036 * step.target + kLowestOffset);
    }
    if (step.mode == emCalibrationMode && CalibrationOffset(step.target) != 0) {
        step.offset = CalibrationOffset(step.target);
    }
    if (step.offset < kLowestOffset) {
        step.offset = kLowestOffset;
        step.reg = 99;
    }

    const bool cadenceControl = step.control == TBrakeControlBy::Cadence;
    const TBrakeValues values = cadenceControl ? CadenceValues() : PowerValues(step.offset);
    if (!cadenceControl) {
        step.offset = values.Offset;
    }
    step.limit = values.Grenze;
    Send(values);
    LogStep(step);
    lastCase_ = step.reg;
    samples_.SetBrakeOffset(samples.Last(), step.offset);
    log_.Line("RegBreak Off");
}

void TBreakControl::TrackSteadiness(TStepValues& step, const TRegulationSamples& samples) {
    const bool calibration = step.mode == emCalibrationMode;
    if (step.target == 0 && !calibration) {
        return;
    }
    const int difference = step.target - samples.MeanPower(averagingDepth_);
    const int speedChange = std::abs(samples.SpeedChange(averagingDepth_));
    if (std::abs(difference) >= step.target * 0.05 || speedChange >= 100) {
        if (speedChange >= 201) {
            steadyCount_ = 0;
        }
    } else {
        ++steadyCount_;
    }
    log_.Line("FCorrectOffsetCount=" + std::to_string(steadyCount_));
    if (!calibration) {
        if (steadyCount_ == kSteadySteps) {
            table_.AdaptCorrection(samples.Speed(samples.Last() - 1), step.target,
                                   samples.MeanBrakeOffset(averagingDepth_) - kLowestOffset);
        }
        return;
    }
    averagingDepth_ = 3;
    const bool heldUnderPower = steadyCount_ == kSteadySteps && step.control == TBrakeControlBy::Power &&
                                currentOffset_ >= kCalibrationSettledOffset;
    const bool calibrationTarget = CalibrationOffset(step.target) != 0;
    const bool flywheelSettled =
        speedChange < 50 && step.speed > 5000 &&
        ((step.target == 0 && samples.Last() > 20) ||
         (calibrationTarget && samples.SetPower(samples.Last() - 30) == step.target));
    if (!calibrationDone_ && (heldUnderPower || flywheelSettled)) {
        calibrationDone_ = true;
        log_.Line("FCorrectOffsetCount>20");
    }
}

void TBreakControl::RegulatePhase(TStepValues& step) {
    const TGains gains = GainsFor(step.difference, options_.ControlRate);
    const int difference = std::abs(step.difference);
    const int speedChange = std::abs(step.speedChange);
    const double m = step.meanOffset;
    const double correction = step.difference * step.gain;
    if (speedChange < 50) {
        if (difference <= 500) {
            step.offset = RoundedOffset(m + correction / (difference <= 25 ? gains.kA : gains.kB));
            step.reg = difference < 6 ? 1 : difference <= 25 ? 2 : 3;
        } else {
            const int model = table_.BrakeOffsetFor(step.speed, step.target);
            step.offset = RoundedOffset(m + (model - m + kLowestOffset) / gains.kC);
            step.reg = 4;
        }
        if (step.reg != 1) {
            hold_ = 1;
        }
    } else if ((step.speedChange >= 1 && step.difference >= 1) ||
               (step.speedChange < 0 && step.difference < 0)) {
        // The flywheel already moves the way the power must go: follow only part of the way.
        step.offset = RoundedOffset(m + correction * 7 / 10);
        step.reg = 6;
        hold_ = 3;
    } else if (difference >= 11) {
        if (speedChange >= 51 && speedChange <= 75) {
            step.offset = RoundedOffset(m + correction / gains.k6 - 1);
        } else if (speedChange >= 76 && speedChange <= 150) {
            step.offset = RoundedOffset(m + correction / gains.k6);
        } else {
            step.offset = RoundedOffset(m + correction / (gains.k6 + 1));
        }
        step.reg = 7;
        hold_ = 4;
    }
}

void TBreakControl::NewOffsetPhase(TStepValues& step) {
    const int rate = options_.ControlRate;
    const int difference = std::abs(step.difference);
    const double m = step.meanOffset;
    const double share = step.difference < 1 ? rate * 0.05 + 0.5 : rate * 0.1;
    if (difference < 6) {
        step.reg = 11;
    } else if (difference <= 24) {
        step.offset = RoundedOffset(m + step.difference * step.gain * 9 * share / 10);
        step.reg = 12;
        hold_ = 4;
    } else {
        const int model = table_.BrakeOffsetFor(step.speed, step.target);
        step.offset = RoundedOffset(m + (model - m + kLowestOffset) * share * 9 / 10);
        step.reg = 15;
        hold_ = 0;
    }
    // Moving against the error means the set point is reached: regulate from here on.
    if (newOffsetCount_ < 7 && Sign(int64_t{step.offset} - step.lastSent) != Sign(step.difference)) {
        newOffsetCount_ = 0;
    }
}

void TBreakControl::ControlHeartRate(TStepValues& step, const TRegulationSamples& samples) {
    constexpr int kHeartRateSamples = 15;
    constexpr int kHeartRateHold = 50;
    if (hold_ == 0) {
        const int target = targetHeartRate_;
        const int mean = samples.MeanHeartRate(kHeartRateSamples);
        const int change = samples.HeartRateChange(kHeartRateSamples);
        if (mean > 1.01 * target && change >= 0) {
            heartRateFactor_ -= 0.01;
            hold_ = kHeartRateHold;
        } else if (mean < 0.97 * target && change < 1) {
            heartRateFactor_ += 0.01;
            hold_ = kHeartRateHold;
        }
    }
    step.offset = RoundedOffset(step.speed * heartRateFactor_ + kLowestOffset);
}

bool TBreakControl::PowerSupplyOverloaded(bool overloaded) {
    protectionCount_ = overloaded ? protectionCount_ + 1 : std::max(0, protectionCount_ - 1);
    if (protectionCount_ <= kPowerSupplySteps) {
        return false;
    }
    // Counted afresh, so the rider is warned once per overload rather than at every step.
    protectionCount_ = 0;
    ReleaseBrakeLocked(kLowestOffset);
    powerSupplyOverloaded_ = true;
    return true;
}

TBrakeValues TBreakControl::PowerValues(int32_t offset) {
    if (PowerSupplyOverloaded(offset > kPowerSupplyOffset)) {
        offset = kLowestOffset;
    }
    return {.Offset = offset, .Steigung = kRegulatingSlope, .Grenze = 0, .Teiler = 1};
}

TBrakeValues TBreakControl::CadenceValues() {
    const int speed = status_.Geschwindigkeit;
    const int rawCadence = status_.Tretfrequenz;
    const int watts = status_.Leistung / 8;
    const int target = targetCadence_;
    const double cadence = rawCadence / 32.0;
    if ((watts >= 121 && gearRatio_ == 0) || cadence > target || (cadence < target && watts >= 181)) {
        gearRatio_ = static_cast<double>(speed) / rawCadence;
    }
    if (!(gearRatio_ > 0) || !std::isfinite(gearRatio_)) {
        gearRatio_ = kDefaultGearRatio;
    }
    if (options_.Gearing == 1 && options_.GearingLow != 0) {
        const double fixed = static_cast<double>(options_.GearingHigh) / options_.GearingLow - 1;
        if (fixed > 0) {
            gearRatio_ = fixed;
        }
    }
    int32_t limit = status_.BremseGrenze;
    const bool targetChanged = targetCadenceChanged_.exchange(false);
    const bool keep = limit != 0 && !targetChanged && target >= cadence && (cadence >= target || watts < 151);
    if (!keep) {
        limit = CadenceLimit(target, gearRatio_);
    }
    if (PowerSupplyOverloaded(limit > kPowerSupplyLimit)) {
        limit = 0;
    }
    return {.Offset = 0, .Steigung = kRegulatingSlope, .Grenze = limit, .Teiler = 1};
}

void TBreakControl::LogStep(const TStepValues& step) {
    const std::string offset = std::to_string(step.offset - kLowestOffset);
    log_.Line(" TPower:" + std::to_string(step.target) + "Bremse Grenze:" + std::to_string(step.limit) +
              " PowerDif:" + std::to_string(step.difference) + " CalcOffset" + "Offset:" + offset +
              "SpeedChangeRate:" + std::to_string(step.speedChange) +
              " PowerMultiOffsetPerWatt:" + GainText(step.gain) + " Speed:" + std::to_string(step.speed) +
              " AvrOffset:" + std::to_string(step.meanOffset) + " Reg:" + std::to_string(step.reg));
    log_.Line(" TPower:" + std::to_string(step.target) + " PowerDif:" + std::to_string(step.difference) +
              "Hysterese" + std::to_string(hold_) + " CalcOffset" + "Offset:" + offset +
              " CorrectionOffsetFactor:" + std::to_string(options_.BrakeOptionSet.OffsetCorrection) +
              "OldOffset:" + std::to_string(step.lastSent) + "NewOffsetCount:" +
              std::to_string(newOffsetCount_) + "AvrCountSet:" + std::to_string(averagingDepth_) +
              "SpeedChangeRate:" + std::to_string(step.speedChange) + " PowerMulti:" + GainText(step.gain) +
              " Speed:" + std::to_string(step.speed) + " AvrOffset:" + std::to_string(step.meanOffset) +
              " Reg:" + std::to_string(step.reg));
}

} // namespace klt
