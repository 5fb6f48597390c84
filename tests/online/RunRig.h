#pragma once
// The live window's run logic on a fake clock, a fake read thread and a regulator whose head unit
// records what it is sent: a test plays the rider by handing in value sets and the window's timer
// by ticking.
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "online/OnlineRunController.h"
#include "tests/online/BrakeRig.h"
#include "tests/support/RawTraining.h"
#include "tests/support/ScriptedPrompt.h"

namespace klt {

class TFakeRunClock : public IRunClock {
public:
    int64_t ms = 0;
    int64_t SteadyMs() const override { return ms; }
    TDateTimeMark Now() const override { return {53000, static_cast<int32_t>(3'600'000 + ms / 10)}; }
};

class TFakeReader : public IReadControl {
public:
    bool reading = false;
    void Suspend() override { reading = false; }
    void Resume() override { reading = true; }
};

class TFakeRunOwner : public IRunOwner {
public:
    std::optional<TSaveDetails> details; // what the save dialog answers
    int saveDialogs = 0;
    std::vector<std::string> stored;
    int demoResults = 0;

    std::optional<TSaveDetails> AskSaveDetails(const TSaveDetails&) override {
        ++saveDialogs;
        return details;
    }
    void TrainingStored(const std::string& path) override { stored.push_back(path); }
    void ShowDemoResult(const TKLTOnlineDatas&) override { ++demoResults; }
};

inline TLiveValueSet Values(int watts, int cadence = 90, int speed = 9000, int heartRate = 120) {
    TLiveValueSet values;
    values.elapsedMs = TOnlineRunController::kSampleMs;
    values.power = watts * 8;
    values.cadence = cadence * 32;
    values.heartRate = heartRate * 64;
    values.speed = speed;
    return values;
}

inline TKLTErgoSection PowerSection(int seconds, int watts, bool marked = false) {
    TKLTErgoSection section;
    section.Time = {seconds * 100, marked};
    section.Power = {watts * 8, true};
    return section;
}

struct TRunRig {
    test::TTempDir dir;
    std::string databaseDir;
    TOnlineOptions options{dir.Path()};
    TFakeRunClock clock;
    TFakeReader reader;
    TFakeRunOwner owner;
    test::TScriptedPrompt prompt;
    TFakeBrakeHeadUnit device;
    TDeviceAccess access;
    TRecordedBrakeEvents events;
    // The samples and the regulator outlive the run, which releases the brake.
    TRiderSamples samples;
    std::unique_ptr<TBreakControl> brake;
    std::unique_ptr<TOnlineRunController> run;

    explicit TRunRig(std::deque<TPromptAnswer> answers = {}) : databaseDir(dir.File("db")), prompt(std::move(answers)) {
        options.OnlineCommonOptionSet.AutomaticMarkers = 1;
    }

    void Program(const std::vector<TKLTErgoSection>& sections) {
        TKLTErgoFile& program = options.OnlineErgometerOptions.PredefinedFileOptionSet.EditProgram();
        for (size_t i = 0; i < sections.size(); ++i) {
            program.PutSection(static_cast<int>(i), sections[i]);
        }
    }

    TOnlineRunController& Create(TErgometerMode mode) {
        Destroy();
        brake = std::make_unique<TBreakControl>(device, device.Status(), samples[0], options.OnlineCommonOptionSet, "",
                                                access, events);
        run = std::make_unique<TOnlineRunController>(
            TRunParts{options, samples, brake.get(), reader, owner, prompt, clock, databaseDir}, mode);
        return *run;
    }

    void Destroy() {
        run.reset();
        brake.reset();
    }

    // Half a second of the window's clock ticks, then the head unit's values; the regulator's step
    // follows as the read thread would run it.
    void Ride(int count, const TLiveValueSet& values = Values(150)) {
        for (int i = 0; i < count; ++i) {
            for (int tick = 0; tick < 10; ++tick) {
                clock.ms += TOnlineRunController::kSampleMs / 10;
                run->Tick();
            }
            TVeltrakStatus& status = device.Status();
            status.Leistung = static_cast<int16_t>(values.power);
            status.Tretfrequenz = static_cast<int16_t>(values.cadence);
            status.Geschwindigkeit = static_cast<int16_t>(values.speed);
            run->Handle(values);
            brake->AfterRead();
        }
    }

    bool BrakeReleased() const {
        return !brake->Active() && !device.sent.empty() && device.sent.back().Offset == TBreakControl::kReleasedOffset;
    }

    bool Shown(const std::string& text) const {
        for (const auto& shown : prompt.shown) {
            if (shown.text == text) {
                return true;
            }
        }
        return false;
    }
};

} // namespace klt
