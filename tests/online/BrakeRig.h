#pragma once
// A brake control on a head unit that records what it is sent, with the live samples a live
// window would append before each step.
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "device/VeltrakExceptions.h"
#include "online/BreakControl.h"

namespace klt {

class TFakeBrakeHeadUnit : public TVeltrakInternal {
public:
    std::vector<TBrakeValues> sent;
    int attempts = 0;
    int failuresToCome = 0; // the next writes that fail with a time-out

    void WriteBrakeCalibration() override {
        ++attempts;
        if (failuresToCome > 0) {
            --failuresToCome;
            throw EVeltrakTimeout("fake port");
        }
        const TVeltrakStatus& status = Status();
        sent.push_back(
            {status.BremseOffset, status.BremseSteigung, status.BremseGrenze, status.BremseTeiler});
    }
};

class TRecordedBrakeEvents : public IBrakeEvents {
public:
    std::vector<std::pair<std::string, std::string>> warnings;
    void Warning(const std::string& caption, const std::string& text) override {
        warnings.emplace_back(caption, text);
    }
};

inline bool operator==(const TBrakeValues& a, const TBrakeValues& b) {
    return a.Offset == b.Offset && a.Steigung == b.Steigung && a.Grenze == b.Grenze && a.Teiler == b.Teiler;
}

struct TBrakeRig {
    TFakeBrakeHeadUnit device;
    TKLTOnlineDatas samples;
    TOnlineCommonOptionSet options;
    TDeviceAccess access;
    TRecordedBrakeEvents events;
    std::unique_ptr<TBreakControl> control;

    explicit TBrakeRig(int controlRate = 6, const std::string& databaseDir = {}) {
        options.ControlRate = controlRate;
        Create(databaseDir);
    }

    void Create(const std::string& databaseDir = {}) {
        control = std::make_unique<TBreakControl>(device, device.Status(), samples, options, databaseDir,
                                                  access, events);
    }

    // What the live window does once the head unit reports a brake.
    void Start(int targetWatts) {
        control->SetActive(true);
        control->SetBrakeEnabled(true);
        control->SetTargetPower(targetWatts);
    }

    // One head-unit read: its live values, the sample appended for it (with the brake offset the
    // head unit holds), then the step. Returns what was sent last.
    TBrakeValues Ride(int watts, int speed = 9652, int cadence = 90, int heartRate = 120) {
        TVeltrakStatus& status = device.Status();
        status.Leistung = static_cast<int16_t>(watts * 8);
        status.Geschwindigkeit = static_cast<int16_t>(speed);
        status.Tretfrequenz = static_cast<int16_t>(cadence * 32);
        status.Herzfrequenz = static_cast<int16_t>(heartRate * 64);
        TKLTOnlineData sample;
        sample.SetValue(dcPower, watts);
        sample.SetValue(dcSpeed, speed);
        sample.SetValue(dcCadence, cadence);
        sample.SetValue(dcHeartRate, heartRate);
        sample.BrakeOffset = static_cast<uint16_t>(status.BremseOffset);
        samples.Append(sample);
        control->AfterRead();
        return device.sent.empty() ? TBrakeValues{} : device.sent.back();
    }
};

} // namespace klt
