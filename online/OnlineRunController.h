#pragma once
// The run logic of the live ergometer window, without a window: it turns the read thread's value
// sets into live samples, plays the test kind of the options on the brake regulator, keeps the
// ride safe while it records and saves it at the end. The owner drives it: a clock tick every
// 48 ms, start detection every second, the events drained from the read thread's queue, and the
// buttons. It never waits itself; the time comes from the clock it is given.
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/KLTDate.h"
#include "core/Prompt.h"
#include "device/live/LiveEvents.h"
#include "online/BreakControl.h"
#include "online/ErgoProgramPlayer.h"
#include "online/KLTOnlineData.h"
#include "online/LiveChartWindow.h"
#include "online/LiveRecovery.h"
#include "online/OnlineOptions.h"

namespace klt {

enum class TRunState { Stopped = 0, Waiting = 1, Paused = 2, Running = 3 };

// The read thread as the run switches it: it reads only while the rider may ride.
class IReadControl {
public:
    virtual ~IReadControl() = default;
    virtual void Suspend() = 0;
    virtual void Resume() = 0;
};

class IRunClock {
public:
    virtual ~IRunClock() = default;
    virtual int64_t SteadyMs() const = 0; // any origin, never going back
    virtual TDateTimeMark Now() const = 0;
};

// The system's clock; against a simulator that runs `speedup` times faster than real time it runs
// as fast, so that the ride's times are the simulated rider's.
class TSystemRunClock : public IRunClock {
public:
    explicit TSystemRunClock(int speedup = 1);
    int64_t SteadyMs() const override;
    TDateTimeMark Now() const override;

private:
    static int64_t RealMs();

    int64_t speedup_;
    int64_t originMs_;
    TDateTimeMark origin_;
};

// What the save dialog asks for.
struct TSaveDetails {
    std::string initials;
    uint16_t date = kNoDate;
    int32_t startTime = 0; // 1/100 s since midnight
    std::string comment;
    std::string path; // written there instead of the database when set
};

// What the window does for the run.
class IRunOwner {
public:
    virtual ~IRunOwner() = default;
    // The save dialog, filled with `proposed`; nothing when the user cancels.
    virtual std::optional<TSaveDetails> AskSaveDetails(const TSaveDetails& proposed) = 0;
    // A training the run stored, to be opened.
    virtual void TrainingStored(const std::string& path) = 0;
    // A demo ride of these samples is over (not "Race").
    virtual void ShowDemoResult(const TKLTOnlineDatas& samples) = 0;
};

// Riders 1 and 2; the regulator reads rider 1's.
using TRiderSamples = std::array<TKLTOnlineDatas, 2>;

// What the run works with, all of it outliving the run.
struct TRunParts {
    TOnlineOptions& options;
    TRiderSamples& samples;
    TBreakControl* brake = nullptr; // on rider 1's samples; none when the head unit has no brake
    IReadControl& reader;
    IRunOwner& owner;
    IPrompt& prompt;
    const IRunClock& clock;
    std::string databaseDir; // where rides are stored and kept while they record
};

enum class TTarget { Power, Cadence, HeartRate };

// What the value panels show.
struct TRunDisplay {
    std::string power;     // W (a level in the open-end test)
    std::string heartRate; // "%d Heartrate [1/min]"
    std::string cadence;   // "%d Cad. [1/min]"
    std::string speed;     // "%3.1f Speed [km/h]"
    std::string time;      // hh:mm:ss
    std::string secondTitle;
    std::string secondValue;
    std::string brake;
    std::string controlBy;
    std::string mode;      // "manuell", or the error of a failed mode change
    std::string program;   // the selected ergo program's name, "none" without one
    std::string chartNote; // "Start pedaling" while waiting; the lost link
};

class TOnlineRunController {
public:
    static constexpr int64_t kSampleMs = 500;
    static constexpr int kFewestSavedSamples = 11;
    static constexpr int64_t kRecoveryEveryMs = 10'000;
    static constexpr const char* kLinkLost =
        "Could not read from Veltrak\r\nPlease check cable\r\nand press OK to resume";
    static constexpr int kPowerStep = 5; // W; "a" and "y"
    // In the open-end test the power target is a resistance level.
    static constexpr int kOpenEndStartLevel = 5;

    TOnlineRunController(TRunParts parts, TErgometerMode mode);
    // A ride still recording is kept for the next start; the brake is released.
    ~TOnlineRunController();
    TOnlineRunController(const TOnlineRunController&) = delete;
    TOnlineRunController& operator=(const TOnlineRunController&) = delete;

    // Changes the test kind; a failure puts the run into the error mode with its text. The demo
    // mode rides for the selected program's time (the demo options' time without a program) at
    // its category's power, or the program's targets in a "Race".
    void SetMode(TErgometerMode mode);
    // The demo category the rider rides in (an index into the demo options' categories); its
    // power is the target outside a "Race".
    void SetDemoCategorie(int index);
    // Nothing when the index names no category.
    const TKLTDemoCategorie* DemoCategorie() const;
    TErgometerMode Mode() const { return mode_; }
    TRunState State() const { return state_; }

    // Waits for the rider ("StartTestBy" 0, not demo): after the window is shown and set up.
    void WaitForRider();
    // Waits for the next visitor of the demo: the run starts once the head unit reports power.
    void WaitForDemoRider();
    // Offers to store a ride a crashed or cut-off run left behind, then starts recording.
    void Start();
    // "Pause" / "Resume".
    void TogglePause();
    // "Exit"/"End": ends the run as its end would.
    void EndTest();

    // The owner's timers and the read thread's events.
    void Tick();
    void DetectStart();
    void Handle(const TLiveEvent& event);

    void NextStepButton();
    void PrevStepButton();
    void ChangeTarget(TTarget target, int delta);
    // "a" raises and "y" lowers the target power; other keys do nothing.
    void Key(char key);
    void SetMarker();
    // "Brake is on"/"Brake is off".
    void ToggleBrake();
    // The window set up afresh: the brake, when there is one, is on for the next run.
    void SwitchBrakeOn();
    // "Control by %s".
    void SetControlBy(TBrakeControlBy control);
    // "Stop Ergo": the flywheel is braked to a stop, when the options allow it.
    void StopErgo();

    // "Save Data": the save dialog for the ride of the run that ended, when there is one to save.
    bool CanSave() const;
    void OfferSave();
    // Stores the ride; shows the outcome. The stored path, or nothing (the samples stay to retry).
    std::optional<std::string> Save(const TSaveDetails& details);

    // The value panels show the last values of `rider`; the rest is the run's.
    TRunDisplay Display(int rider = 1) const;
    TSampleRange ChartRange();

    const TKLTOnlineDatas& Samples(int rider = 1) const { return samples_[rider == 2 ? 1 : 0]; }
    const std::vector<int64_t>& MarkerTimes() const { return markerTimes_; }
    int64_t ElapsedMs() const { return elapsedMs_; }
    int Step() const { return step_; }
    double DistanceMetres() const { return distance_; }
    int TargetPower() const { return targetPower_; }
    int TargetCadence() const { return targetCadence_; }
    int TargetHeartRate() const { return targetHeartRate_; }

private:
    void SetState(TRunState state);
    void ResetRun();
    void TakeTickReference();
    void TimeCheck();
    void SampleReady(const TLiveValueSet& values);
    void ConnectionLost();
    // At `wallTime`, or the previous sample's plus the time the value set took.
    void AppendSample(int rider, const TLiveValueSet& values, std::optional<double> wallTime = std::nullopt);
    void AddMarkerTime();
    void ReleaseBrake();
    void KeepRide(bool now);
    void OfferLeftBehindRide();
    void AdvanceCalibration();
    bool DemoRace() const;
    // The program plays its steps: a predefined file, or a demo "Race".
    bool PlaysProgram() const { return mode_ == emPredefinedFile || DemoRace(); }
    void ApplyDemoTargets();

    const TKLTErgoFile& Program() const;
    TErgoProgramPlayer Player() const { return TErgoProgramPlayer(Program()); }
    void SetStepTime();
    // One step on (+1) or back (-1); the targets follow unless a count-down runs.
    void MoveStep(int direction);
    void StepButton(int direction);
    void ApplyStep();
    void ApplyTargetsToBrake();
    bool Marked(int step) const;
    int64_t StepTimeMs(int step) const;

    TRunParts parts_;
    TBreakControl* const brake_;
    const TOnlineCommonOptionSet& common_;
    TErgometerMode mode_ = emPredefinedFile;
    std::string modeError_;
    TRunState state_ = TRunState::Stopped;
    TRiderSamples& samples_;
    std::array<std::optional<TLiveValueSet>, 2> lastValues_;
    std::vector<int64_t> markerTimes_;
    std::optional<TLiveRecovery> recovery_;
    TLiveChartWindow chart_;

    int64_t elapsedMs_ = 0;
    int64_t tickReference_ = 0;
    int64_t lastKeptMs_ = 0;
    int step_ = 0;
    int64_t stepStartMs_ = 0;
    int64_t totalMs_ = 0;
    int64_t demoEndMs_ = 0;
    int demoCategorie_ = 0;
    double distance_ = 0;
    int countDown_ = 0;
    int targetPower_ = 0; // W; the calibration target in calibration
    int targetCadence_ = 0;
    int targetHeartRate_ = 0;
    TBrakeControlBy controlBy_ = TBrakeControlBy::Power;
    bool linkLost_ = false;
    bool recording_ = false; // samples of this run are not stored yet
};

} // namespace klt
