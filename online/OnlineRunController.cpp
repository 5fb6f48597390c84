#include "online/OnlineRunController.h"

#include <algorithm>
#include <chrono>
#include <variant>

#include "core/Exceptions.h"
#include "online/DemoRun.h"
#include "online/LiveRunParts.h"
#include "online/LiveTraining.h"

namespace klt {
namespace {

constexpr double kMsPerDay = 86'400'000.0;
constexpr int kHundredthsToMs = 10;
constexpr int kAbortAfterSamples = 10;
constexpr int kCalibrationFirst = 997; // then 998 and 999, the last
constexpr int kCalibrationLast = 999;
constexpr int kCalibrationMaxCadence = 3519; // 1/32 rpm: just below 110 rpm
constexpr int kCalibrationMinSpeed = 5500;

double Days(const TDateTimeMark& mark) { return mark.days + mark.time / 8'640'000.0; }

} // namespace

TSystemRunClock::TSystemRunClock(int speedup)
    : speedup_(std::max(1, speedup)), originMs_(RealMs()), origin_(TDateTimeMark::Now()) {}

int64_t TSystemRunClock::RealMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

int64_t TSystemRunClock::SteadyMs() const { return originMs_ + (RealMs() - originMs_) * speedup_; }

TDateTimeMark TSystemRunClock::Now() const {
    if (speedup_ == 1) {
        return TDateTimeMark::Now();
    }
    return LaterBy(origin_, (SteadyMs() - originMs_) / kHundredthsToMs);
}

TOnlineRunController::TOnlineRunController(TRunParts parts, TErgometerMode mode)
    : parts_(std::move(parts)), brake_(parts_.brake), common_(parts_.options.OnlineCommonOptionSet),
      samples_(parts_.samples),
      chart_(parts_.options.OnlineMainChartOptionSet.TimeScaleMode, parts_.options.OnlineMainChartOptionSet.Time()) {
    if (!parts_.databaseDir.empty()) {
        recovery_.emplace(parts_.databaseDir);
    }
    SetMode(mode);
    ResetRun();
}

TOnlineRunController::~TOnlineRunController() {
    try {
        ReleaseBrake();
    } catch (const std::exception&) {
        // the head unit is gone: nothing is left to brake with
    }
    try {
        if (recording_) {
            KeepRide(true);
        }
    } catch (const std::exception&) {
        // a ride that cannot be written now is lost with the program in any case
    }
}

void TOnlineRunController::SetMode(TErgometerMode mode) {
    try {
        if (mode == emPredefinedFile && Program().Count() == 0) {
            throw Exception("No ergo program is selected.");
        }
        mode_ = mode;
        modeError_.clear();
        if (mode == emOpenEndTest) {
            targetPower_ = kOpenEndStartLevel;
        }
        if (mode == emDemoMode) {
            ApplyDemoTargets();
        }
        if (brake_ != nullptr) {
            brake_->SetErgometerMode(mode);
        }
    } catch (const std::exception& error) {
        mode_ = emError;
        modeError_ = error.what();
    }
}

void TOnlineRunController::SetState(TRunState state) {
    state_ = state;
    if (state == TRunState::Stopped || state == TRunState::Paused) {
        parts_.reader.Suspend();
    } else {
        parts_.reader.Resume();
    }
}

void TOnlineRunController::WaitForRider() {
    if (common_.StartTestBy == 0 && mode_ != emDemoMode && mode_ != emError) {
        SetState(TRunState::Waiting);
    }
}

void TOnlineRunController::WaitForDemoRider() {
    if (mode_ == emDemoMode) {
        SetState(TRunState::Waiting);
    }
}

void TOnlineRunController::TakeTickReference() { tickReference_ = parts_.clock.SteadyMs(); }

void TOnlineRunController::ResetRun() {
    step_ = 0;
    stepStartMs_ = 0;
    elapsedMs_ = 0;
    lastKeptMs_ = 0;
    distance_ = 0;
    countDown_ = 0;
    linkLost_ = false;
    markerTimes_.clear();
    chart_.Reset();
    // a demo rides for its program's time, or the demo options' time without a program
    const int64_t programMs = Program().TotalTime() * kHundredthsToMs;
    demoEndMs_ = programMs > 0 ? programMs : int64_t{parts_.options.OnlineDemoModeOptionSet.Time} * kHundredthsToMs;
    if (PlaysProgram()) {
        SetStepTime();
    }
    if (mode_ == emCalibrationMode) {
        targetPower_ = 0;
    }
    ReleaseBrake();
    TakeTickReference();
}

void TOnlineRunController::Start() {
    if (mode_ == emError) {
        return;
    }
    if (recording_) {
        // the last ride was not stored: it waits beside the database like one a crash left
        KeepRide(true);
        recording_ = false;
    }
    OfferLeftBehindRide();
    ResetRun();
    const double now = Days(parts_.clock.Now());
    for (TKLTOnlineDatas& samples : samples_) {
        samples.Reset();
        TKLTOnlineData first;
        first.WallTime = now;
        samples.PutSample(0, first);
    }
    lastValues_ = {};
    if (PlaysProgram()) {
        ApplyStep();
    } else if (mode_ == emDemoMode) {
        ApplyDemoTargets();
    }
    if (brake_ != nullptr) {
        brake_->SetActive(true);
        brake_->SetBrakeEnabled(true);
        ApplyTargetsToBrake();
        brake_->ResetRegulation();
    }
    recording_ = true;
    SetState(TRunState::Running);
    samples_[0].SetSetPowerOfLast(targetPower_);
    AddMarkerTime();
}

void TOnlineRunController::TogglePause() {
    if (state_ == TRunState::Running) {
        SetState(TRunState::Paused);
        TakeTickReference();
    } else if (state_ == TRunState::Paused) {
        TakeTickReference();
        linkLost_ = false;
        SetState(TRunState::Running);
    } else {
        Start();
    }
}

void TOnlineRunController::Tick() {
    if (state_ != TRunState::Running) {
        return;
    }
    const int64_t now = parts_.clock.SteadyMs();
    const int64_t difference = now - tickReference_;
    tickReference_ = now;
    elapsedMs_ += difference;
    if (lastValues_[0]) {
        distance_ += lastValues_[0]->speed / 1000.0 * static_cast<double>(difference) / 1000.0;
    }
    TimeCheck();
}

void TOnlineRunController::TimeCheck() {
    const TKLTOnlineDatas& samples = samples_[0];
    if (common_.AbortTestBy == 0 && samples.Count() > kAbortAfterSamples &&
        samples.WindowMean(TOnlineChannel::Cadence, samples.LastIndex()) == 0) {
        EndTest();
        return;
    }
    if (mode_ == emDemoMode && elapsedMs_ >= demoEndMs_) {
        EndTest();
        return;
    }
    if (PlaysProgram()) {
        if (elapsedMs_ >= totalMs_) {
            EndTest();
            return;
        }
        const int64_t stepMs = StepTimeMs(step_);
        if (stepMs < 0 || elapsedMs_ - stepStartMs_ >= stepMs) {
            MoveStep(+1);
        }
    }
    if (mode_ == emCalibrationMode && brake_ != nullptr && brake_->CalibrationDone()) {
        brake_->ClearCalibrationDone();
        AdvanceCalibration();
        if (state_ != TRunState::Running) {
            return;
        }
    }
    if (countDown_ > 0 && --countDown_ == 0) {
        AddMarkerTime();
        ApplyStep();
    }
}

void TOnlineRunController::AdvanceCalibration() {
    if (targetPower_ >= kCalibrationLast) {
        EndTest();
        parts_.prompt.ShowMessage("Information", "Calibration finished. Please switch back to testing mode");
        return;
    }
    targetPower_ = targetPower_ < kCalibrationFirst ? kCalibrationFirst : targetPower_ + 1;
    if (brake_ != nullptr) {
        brake_->SetTargetPower(targetPower_);
    }
}

void TOnlineRunController::DetectStart() {
    if (state_ != TRunState::Waiting) {
        return;
    }
    const std::optional<TLiveValueSet>& values = lastValues_[0];
    bool start = false;
    switch (mode_) {
    case emDemoMode:
        start = values && values->power > 0;
        break;
    case emCalibrationMode:
        start = values && values->cadence <= kCalibrationMaxCadence &&
                ((targetPower_ == 0 && values->power >= 1 && values->speed > kCalibrationMinSpeed) ||
                 (targetPower_ == kCalibrationLast && values->speed > kCalibrationMinSpeed));
        break;
    case emTelemetrie:
        start = (lastValues_[0] && lastValues_[0]->cadence > 0) || (lastValues_[1] && lastValues_[1]->cadence > 0);
        break;
    default:
        start = common_.StartTestBy == 0 && values && values->power > 0;
    }
    if (start) {
        Start();
    }
}

void TOnlineRunController::Handle(const TLiveEvent& event) {
    if (const auto* values = std::get_if<TLiveValueSet>(&event)) {
        SampleReady(*values);
    } else if (std::holds_alternative<TLiveConnectionLost>(event)) {
        ConnectionLost();
    } else if (const auto* failure = std::get_if<TLiveBrakeFailure>(&event)) {
        const bool running = state_ == TRunState::Running || state_ == TRunState::Paused;
        if (running) {
            EndTest();
        }
        ReleaseBrake();
        parts_.prompt.ShowMessage("Warning", failure->message);
    }
}

void TOnlineRunController::SampleReady(const TLiveValueSet& values) {
    const int rider = values.rider == 2 ? 2 : 1;
    if (rider == 2 && mode_ != emTelemetrie) {
        return;
    }
    lastValues_[static_cast<size_t>(rider - 1)] = values;
    if (state_ == TRunState::Paused && linkLost_) {
        // the head unit answers again: the ride goes on where it stopped
        TogglePause();
    }
    if (state_ != TRunState::Running) {
        return;
    }
    AppendSample(rider, values);
    if (rider == 1) {
        KeepRide(false);
    }
}

void TOnlineRunController::AppendSample(int rider, const TLiveValueSet& values, std::optional<double> wallTime) {
    TKLTOnlineDatas& samples = samples_[static_cast<size_t>(rider - 1)];
    TKLTOnlineData sample = LiveSampleOf(values);
    if (wallTime) {
        sample.WallTime = *wallTime;
    } else if (samples.LastIndex() == 0) {
        sample.WallTime = Days(parts_.clock.Now());
    } else {
        sample.WallTime = samples.Sample(samples.LastIndex())->WallTime +
                          static_cast<double>(std::max<int64_t>(values.elapsedMs, 0)) / kMsPerDay;
    }
    sample.ElapsedTime = static_cast<double>(elapsedMs_) / kMsPerDay;
    samples.Append(sample);
}

void TOnlineRunController::ConnectionLost() {
    if (state_ == TRunState::Waiting) {
        SetState(TRunState::Stopped);
        if (parts_.prompt.Ask("Warning", kLinkLost, TPromptButtons::OkCancel) == TPromptAnswer::Ok) {
            SetState(TRunState::Waiting);
        }
    } else if (state_ == TRunState::Running) {
        // paused, but the reader goes on trying, so that the run goes on once the head unit answers
        state_ = TRunState::Paused;
        TakeTickReference();
        KeepRide(true);
        linkLost_ = true;
        if (parts_.prompt.Ask("Warning", kLinkLost, TPromptButtons::OkCancel) == TPromptAnswer::Ok &&
            state_ == TRunState::Paused) {
            TogglePause();
        }
    }
}

void TOnlineRunController::EndTest() {
    const bool wasRecording = state_ == TRunState::Running || state_ == TRunState::Paused;
    SetState(TRunState::Stopped);
    if (!wasRecording) {
        ReleaseBrake();
        return;
    }
    linkLost_ = false;
    if (mode_ != emTelemetrie && lastValues_[0]) {
        AppendSample(1, *lastValues_[0], samples_[0].Sample(0)->WallTime + static_cast<double>(elapsedMs_) / kMsPerDay);
    }
    AddMarkerTime();
    ReleaseBrake();
    KeepRide(true);
    if (samples_[0].Count() < kFewestSavedSamples) {
        return;
    }
    if (mode_ == emDemoMode && !DemoRace()) {
        parts_.owner.ShowDemoResult(samples_[0]);
    }
    if (common_.SaveData) {
        OfferSave();
    }
}

bool TOnlineRunController::CanSave() const {
    return state_ == TRunState::Stopped && mode_ != emTelemetrie && samples_[0].Count() >= kFewestSavedSamples;
}

void TOnlineRunController::OfferSave() {
    if (!CanSave()) {
        return;
    }
    TSaveDetails proposed;
    const TLiveTrainingInfo started = StartedAt(parts_.clock.Now());
    proposed.date = started.date;
    proposed.startTime = started.startTime;
    if (const std::optional<TSaveDetails> details = parts_.owner.AskSaveDetails(proposed)) {
        Save(*details);
    }
}

bool TOnlineRunController::DemoRace() const {
    return mode_ == emDemoMode && parts_.options.OnlineDemoModeOptionSet.DemoMode == kDemoModeRace;
}

void TOnlineRunController::SetDemoCategorie(int index) {
    demoCategorie_ = index;
    if (mode_ == emDemoMode) {
        ApplyDemoTargets();
    }
}

const TKLTDemoCategorie* TOnlineRunController::DemoCategorie() const {
    return DemoCategorieAt(parts_.options.OnlineDemoModeOptionSet, demoCategorie_);
}

void TOnlineRunController::ApplyDemoTargets() {
    if (DemoRace()) {
        ApplyStep();
        return;
    }
    const TKLTDemoCategorie* categorie = DemoCategorie();
    targetPower_ = categorie == nullptr ? 0 : categorie->Watt / 8;
    controlBy_ = TBrakeControlBy::Power;
    ApplyTargetsToBrake();
}

void TOnlineRunController::ReleaseBrake() {
    if (brake_ != nullptr && brake_->Active()) {
        brake_->SetActive(false); // sends the released offset
    }
}

void TOnlineRunController::AddMarkerTime() {
    if (common_.AutomaticMarkers == 1) {
        markerTimes_.push_back(elapsedMs_);
    }
}

void TOnlineRunController::SetMarker() {
    if (state_ == TRunState::Running || state_ == TRunState::Paused) {
        samples_[0].SetMarker(samples_[0].LastIndex(), true);
    }
}

// Both riders' charts share the time axis of the one further on.
TSampleRange TOnlineRunController::ChartRange() {
    return chart_.Follow(std::max(samples_[0].LastIndex(), samples_[1].LastIndex()));
}

} // namespace klt
