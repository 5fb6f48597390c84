// The ergo program played step by step, the step buttons and the targets the rider changes.
#include <algorithm>

#include "online/LiveRunParts.h"
#include "online/OnlineRunController.h"

namespace klt {
namespace {

constexpr int kHundredthsToMs = 10;
constexpr int kNextPrevTicks = 3; // the clock ticks before a moved step takes over

} // namespace

void TOnlineRunController::StopErgo() {
    if (brake_ != nullptr && brake_->Active() && common_.Breakfreewheel != 0) {
        brake_->RequestStop();
    }
}

void TOnlineRunController::SetControlBy(TBrakeControlBy control) {
    controlBy_ = control;
    ApplyTargetsToBrake();
}

void TOnlineRunController::ToggleBrake() {
    if (brake_ != nullptr) {
        brake_->SetBrakeEnabled(!brake_->BrakeEnabled());
    }
}

void TOnlineRunController::SwitchBrakeOn() {
    if (brake_ != nullptr) {
        brake_->SetBrakeEnabled(true);
    }
}

void TOnlineRunController::ChangeTarget(TTarget target, int delta) {
    switch (target) {
    case TTarget::Power:
        targetPower_ = std::max(0, targetPower_ + delta);
        if (mode_ == emPredefinedFile && step_ < Program().Count()) {
            TKLTErgoSection section = *Program().Section(step_);
            section.Power.Value = targetPower_ * 8;
            parts_.options.OnlineErgometerOptions.PredefinedFileOptionSet.EditProgram().PutSection(step_, section);
        }
        break;
    case TTarget::Cadence:
        targetCadence_ = std::max(0, targetCadence_ + delta);
        break;
    case TTarget::HeartRate:
        targetHeartRate_ = std::max(0, targetHeartRate_ + delta);
        break;
    }
    ApplyTargetsToBrake();
}

void TOnlineRunController::Key(char key) {
    const int step = mode_ == emOpenEndTest ? 1 : kPowerStep;
    if (key == 'a') {
        ChangeTarget(TTarget::Power, step);
    } else if (key == 'y') {
        ChangeTarget(TTarget::Power, -step);
    }
}

void TOnlineRunController::ApplyTargetsToBrake() {
    if (brake_ == nullptr) {
        return;
    }
    ApplyTargets(*brake_, {controlBy_ == TBrakeControlBy::Cadence     ? TErgoControl::Cadence
                                 : controlBy_ == TBrakeControlBy::HeartRate ? TErgoControl::Heartrate
                                                                            : TErgoControl::Power,
                                 targetPower_, targetHeartRate_, targetCadence_});
}

const TKLTErgoFile& TOnlineRunController::Program() const {
    return parts_.options.OnlineErgometerOptions.PredefinedFileOptionSet.Program();
}

int64_t TOnlineRunController::StepTimeMs(int step) const {
    const TKLTErgoSection* section = Program().Section(step);
    return section == nullptr ? 0 : int64_t{section->Time.Value} * kHundredthsToMs;
}

bool TOnlineRunController::Marked(int step) const {
    const TKLTErgoSection* section = Program().Section(step);
    return section != nullptr && section->Time.Checked;
}

void TOnlineRunController::SetStepTime() {
    stepStartMs_ = elapsedMs_;
    totalMs_ = stepStartMs_;
    for (int i = step_; i < Program().Count(); ++i) {
        totalMs_ += StepTimeMs(i);
    }
}

void TOnlineRunController::ApplyStep() {
    const TErgoTargets targets = Player().Targets(step_);
    targetPower_ = targets.watts;
    targetCadence_ = targets.cadence;
    targetHeartRate_ = targets.heartRate;
    controlBy_ = targets.control == TErgoControl::Cadence     ? TBrakeControlBy::Cadence
                 : targets.control == TErgoControl::Heartrate ? TBrakeControlBy::HeartRate
                                                              : TBrakeControlBy::Power;
    ApplyTargetsToBrake();
}

void TOnlineRunController::MoveStep(int direction) {
    const int step = std::clamp(step_ + direction, 0, std::max(0, Program().Count() - 1));
    if (direction > 0 && step == step_) {
        return; // no later step
    }
    step_ = step;
    SetStepTime();
    if (countDown_ == 0) {
        AddMarkerTime();
        ApplyStep();
    }
}

void TOnlineRunController::StepButton(int direction) {
    if (mode_ != emPredefinedFile || (direction > 0 && step_ + 1 >= Program().Count())) {
        return; // the last step runs to its end
    }
    const bool toMarked = common_.NextPrevButtonMode == 1;
    countDown_ = toMarked ? 1 : kNextPrevTicks;
    do {
        MoveStep(direction);
    } while (toMarked && !Marked(step_) && step_ > 0 && step_ + 1 < Program().Count());
}

void TOnlineRunController::NextStepButton() { StepButton(+1); }

void TOnlineRunController::PrevStepButton() { StepButton(-1); }

} // namespace klt
