#pragma once
// The competition window without the window: two riders race over the 20 km track for one minute.
// The window calls Tick() every second while the race runs and BlinkTick() every 500 ms.
#include <array>
#include <string>

#include "online/CompetitionFeed.h"
#include "online/CompetitionRace.h"

namespace klt {

constexpr double kCompetitionTrackMetres = 20000.0;

class TCompetitionRaceState {
public:
    enum class TPhase { Ready, Running, Finished };

    explicit TCompetitionRaceState(const ICompetitionFeed& feed) : feed_(feed) {}

    TPhase Phase() const { return phase_; }
    bool Running() const { return phase_ == TPhase::Running; }
    // "Start", "Stop" while running, "Reset" once the race is over.
    std::string ButtonText() const;
    // Start: positions at the start line, the count-down at "1:00". Stop: the race ends where it
    // stands. Reset: back to the start, ready for the next race.
    void PressButton();
    // One second of the race: the count-down goes on and both riders move on by what they rode
    // since the start; the race ends when one reaches the finish or the minute is over.
    void Tick();

    std::string CountDownText() const;
    int SecondsLeft() const { return secondsLeft_; }

    // Rider 1 or 2: the metres ridden since the start, at most the track's length.
    double Metres(int rider) const;
    // The rider the other one leads; 0 while both stand level.
    int RiderBehind() const;
    // Once the race is over the rider behind blinks, switching every 500 ms.
    void BlinkTick();
    bool MarkerVisible(int rider) const;

    // The rider's current values as the displays show them: whole watts, km/h with one decimal.
    std::string PowerText(int rider) const;
    std::string SpeedText(int rider) const;

private:
    TCompetitorValues Values(int rider) const;
    // The feed's metres as a distance: a value that is no number counts as none.
    double FeedMetres(int rider) const;
    void Restart();

    const ICompetitionFeed& feed_;
    TPhase phase_ = TPhase::Ready;
    int secondsLeft_ = kCompetitionSeconds;
    std::array<double, 2> startMetres_{};
    std::array<double, 2> metres_{};
    bool behindShown_ = true;
};

} // namespace klt
