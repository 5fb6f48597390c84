// What the value panels of the live window show, from the run's state.
#include <cstdio>
#include <string>

#include "online/OnlineRunController.h"

namespace klt {
namespace {

std::string Printed(const char* format, auto value) {
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

std::string ClockTime(int64_t ms) {
    const int64_t seconds = std::max<int64_t>(ms, 0) / 1000;
    char text[32];
    std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld", static_cast<long long>(seconds / 3600),
                  static_cast<long long>(seconds / 60 % 60), static_cast<long long>(seconds % 60));
    return text;
}

// At least four digits, thousands apart: 12 m reads "0,012".
std::string Metres(double metres) {
    std::string digits = Printed("%04lld", static_cast<long long>(metres + 0.5));
    for (int i = static_cast<int>(digits.size()) - 3; i > 0; i -= 3) {
        digits.insert(static_cast<size_t>(i), ",");
    }
    return digits;
}

const char* ControlName(TBrakeControlBy control) {
    switch (control) {
    case TBrakeControlBy::Cadence:
        return "Cadence";
    case TBrakeControlBy::HeartRate:
        return "Heartrate";
    default:
        return "Power";
    }
}

} // namespace

TRunDisplay TOnlineRunController::Display(int rider) const {
    const TLiveValueSet values = lastValues_[rider == 2 ? 1 : 0].value_or(TLiveValueSet{});
    TRunDisplay display;
    display.power = std::to_string(mode_ == emOpenEndTest ? targetPower_ : values.power / 8);
    display.heartRate = Printed("%d Heartrate [1/min]", values.heartRate / 64);
    display.cadence = Printed("%d Cad. [1/min]", values.cadence / 32);
    display.speed = Printed("%3.1f Speed [km/h]", values.speed * 3.6 / 1000.0);
    display.time = ClockTime(elapsedMs_);
    if (mode_ == emPredefinedFile) {
        display.secondTitle = "Countdown next step:";
        display.secondValue = ClockTime(stepStartMs_ + StepTimeMs(step_) - elapsedMs_);
    } else if (mode_ == emOpenEndTest) {
        display.secondTitle = "Total Distance in Meters:";
        display.secondValue = Metres(distance_);
    } else if (DemoRace()) {
        display.secondTitle = "Time difference";
    }
    display.program = Program().Count() == 0 || Program().Name().empty() ? "none" : Program().Name();
    if (brake_ == nullptr) {
        display.brake = "No Brake";
    } else {
        display.brake = brake_->BrakeEnabled() ? "Brake is on" : "Brake is off";
    }
    display.controlBy = Printed("Control by %s", ControlName(controlBy_));
    if (mode_ == emManual) {
        display.mode = "manuell";
    } else if (mode_ == emError) {
        display.mode = modeError_;
    }
    if (linkLost_) {
        display.chartNote = kLinkLost;
    } else if (state_ == TRunState::Waiting) {
        display.chartNote = mode_ == emCalibrationMode ? "Please select gear 6 and start pedaling" : "Start pedaling";
    }
    return display;
}

} // namespace klt
