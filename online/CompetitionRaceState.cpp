#include "online/CompetitionRaceState.h"

#include <algorithm>
#include <cmath>

#include "core/NumberFormat.h"

namespace klt {
namespace {

size_t Index(int rider) {
    return rider == 2 ? 1 : 0;
}

double Finite(double value) {
    return std::isfinite(value) ? value : 0.0;
}

} // namespace

std::string TCompetitionRaceState::ButtonText() const {
    switch (phase_) {
    case TPhase::Running:
        return "Stop";
    case TPhase::Finished:
        return "Reset";
    case TPhase::Ready:
        break;
    }
    return "Start";
}

void TCompetitionRaceState::Restart() {
    secondsLeft_ = kCompetitionSeconds;
    metres_ = {};
    behindShown_ = true;
}

void TCompetitionRaceState::PressButton() {
    switch (phase_) {
    case TPhase::Ready:
        Restart();
        startMetres_ = {FeedMetres(1), FeedMetres(2)};
        phase_ = TPhase::Running;
        break;
    case TPhase::Running:
        phase_ = TPhase::Finished;
        break;
    case TPhase::Finished:
        Restart();
        phase_ = TPhase::Ready;
        break;
    }
}

void TCompetitionRaceState::Tick() {
    if (phase_ != TPhase::Running) {
        return;
    }
    secondsLeft_ = std::max(secondsLeft_ - 1, 0);
    bool finished = secondsLeft_ == 0;
    for (int rider = 1; rider <= 2; ++rider) {
        double& metres = metres_[Index(rider)];
        // A rider never moves back, also when the live run counts its distance afresh.
        metres = std::clamp(FeedMetres(rider) - startMetres_[Index(rider)], metres, kCompetitionTrackMetres);
        finished = finished || metres >= kCompetitionTrackMetres;
    }
    if (finished) {
        phase_ = TPhase::Finished;
    }
}

std::string TCompetitionRaceState::CountDownText() const {
    return CompetitionCountDown(secondsLeft_);
}

double TCompetitionRaceState::Metres(int rider) const {
    return metres_[Index(rider)];
}

int TCompetitionRaceState::RiderBehind() const {
    if (metres_[0] == metres_[1]) {
        return 0;
    }
    return metres_[0] < metres_[1] ? 1 : 2;
}

void TCompetitionRaceState::BlinkTick() {
    behindShown_ = Running() || RiderBehind() == 0 || !behindShown_;
}

bool TCompetitionRaceState::MarkerVisible(int rider) const {
    return behindShown_ || rider != RiderBehind();
}

std::string TCompetitionRaceState::PowerText(int rider) const {
    return std::to_string(Values(rider).watts);
}

std::string TCompetitionRaceState::SpeedText(int rider) const {
    return FormatFloatFixed(Finite(Values(rider).kmh), 1, false, FormatSettings());
}

TCompetitorValues TCompetitionRaceState::Values(int rider) const {
    return feed_.Rider(rider == 2 ? 2 : 1);
}

double TCompetitionRaceState::FeedMetres(int rider) const {
    return Finite(Values(rider).metres);
}

} // namespace klt
