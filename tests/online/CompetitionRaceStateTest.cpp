// The competition's race without the window: a fake feed, ticks called by hand.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "core/NumberFormat.h"
#include "online/CompetitionRaceState.h"

namespace klt {
namespace {

using TPhase = TCompetitionRaceState::TPhase;

class FakeFeed : public ICompetitionFeed {
public:
    TCompetitorValues Rider(int rider) const override { return riders[rider == 2 ? 1 : 0]; }
    TCompetitorValues riders[2];
};

class CompetitionRace : public ::testing::Test {
protected:
    // Both riders ride on by these metres before each tick.
    void Ticks(int count, double metres1, double metres2) {
        for (int i = 0; i < count; ++i) {
            feed_.riders[0].metres += metres1;
            feed_.riders[1].metres += metres2;
            race_.Tick();
        }
    }

    FakeFeed feed_;
    TCompetitionRaceState race_{feed_};
};

TEST_F(CompetitionRace, CountsDownAMinuteAndStopsAfterSixtyTicks) {
    EXPECT_EQ(race_.ButtonText(), "Start");
    EXPECT_EQ(race_.CountDownText(), "1:00");
    race_.Tick(); // not started: nothing moves
    EXPECT_EQ(race_.CountDownText(), "1:00");

    race_.PressButton();
    EXPECT_EQ(race_.ButtonText(), "Stop");
    Ticks(1, 10, 10);
    EXPECT_EQ(race_.CountDownText(), "0:59");
    Ticks(50, 10, 10);
    EXPECT_EQ(race_.CountDownText(), "0:09");
    Ticks(8, 10, 10);
    EXPECT_EQ(race_.CountDownText(), "0:01");
    EXPECT_TRUE(race_.Running());
    Ticks(1, 10, 10);
    EXPECT_EQ(race_.CountDownText(), "0:00");
    EXPECT_EQ(race_.Phase(), TPhase::Finished);
    EXPECT_EQ(race_.ButtonText(), "Reset");
    Ticks(5, 10, 10); // the race is over: nobody moves on
    EXPECT_DOUBLE_EQ(race_.Metres(1), 600);
}

TEST_F(CompetitionRace, PositionsCountFromTheStartAndTheFinishEndsTheRace) {
    feed_.riders[0].metres = 5000; // ridden before the race
    feed_.riders[1].metres = 120;
    race_.PressButton();
    Ticks(1, 250, 300);
    EXPECT_DOUBLE_EQ(race_.Metres(1), 250);
    EXPECT_DOUBLE_EQ(race_.Metres(2), 300);
    EXPECT_EQ(race_.RiderBehind(), 1);

    feed_.riders[0].metres = 0; // the live run counted afresh: the rider keeps his place
    race_.Tick();
    EXPECT_DOUBLE_EQ(race_.Metres(1), 250);

    feed_.riders[1].metres = std::numeric_limits<double>::quiet_NaN();
    race_.Tick();
    EXPECT_DOUBLE_EQ(race_.Metres(2), 300);

    feed_.riders[1].metres = 120 + 25000;
    race_.Tick();
    EXPECT_EQ(race_.Phase(), TPhase::Finished) << "a marker reached the right end";
    EXPECT_DOUBLE_EQ(race_.Metres(2), kCompetitionTrackMetres);
    EXPECT_EQ(race_.CountDownText(), "0:56");
}

TEST_F(CompetitionRace, StopEndsTheRaceAndResetMakesItReadyAgain) {
    race_.PressButton();
    Ticks(3, 100, 50);
    race_.PressButton();
    EXPECT_EQ(race_.Phase(), TPhase::Finished);
    EXPECT_EQ(race_.CountDownText(), "0:57");
    race_.PressButton();
    EXPECT_EQ(race_.ButtonText(), "Start");
    EXPECT_EQ(race_.CountDownText(), "1:00");
    EXPECT_DOUBLE_EQ(race_.Metres(1), 0);
    EXPECT_EQ(race_.RiderBehind(), 0);

    race_.PressButton(); // the next race starts where the riders stand now
    Ticks(1, 10, 10);
    EXPECT_DOUBLE_EQ(race_.Metres(1), 10);
    EXPECT_EQ(race_.CountDownText(), "0:59");
}

TEST_F(CompetitionRace, OnlyTheRiderBehindBlinksAndOnlyOnceStopped) {
    race_.PressButton();
    Ticks(1, 100, 50);
    race_.BlinkTick();
    EXPECT_TRUE(race_.MarkerVisible(2)) << "no blinking while racing";

    race_.PressButton();
    EXPECT_EQ(race_.RiderBehind(), 2);
    race_.BlinkTick();
    EXPECT_FALSE(race_.MarkerVisible(2));
    EXPECT_TRUE(race_.MarkerVisible(1));
    race_.BlinkTick();
    EXPECT_TRUE(race_.MarkerVisible(2));
    race_.BlinkTick();
    EXPECT_FALSE(race_.MarkerVisible(2));

    race_.PressButton(); // reset: both markers shown and level
    EXPECT_TRUE(race_.MarkerVisible(2));
}

TEST_F(CompetitionRace, RidersLevelAtTheEndBothStayShown) {
    race_.PressButton();
    Ticks(2, 80, 80);
    race_.PressButton();
    EXPECT_EQ(race_.RiderBehind(), 0);
    for (int i = 0; i < 3; ++i) {
        race_.BlinkTick();
        EXPECT_TRUE(race_.MarkerVisible(1));
        EXPECT_TRUE(race_.MarkerVisible(2));
    }
}

TEST_F(CompetitionRace, TheDisplaysShowWholeWattsAndSpeedWithOneDecimal) {
    TFormatSettingsScope separators({",", "."});
    feed_.riders[0] = {312, 38.46, 0};
    feed_.riders[1] = {0, std::nan(""), 0};
    EXPECT_EQ(race_.PowerText(1), "312");
    EXPECT_EQ(race_.SpeedText(1), "38,5");
    EXPECT_EQ(race_.SpeedText(2), "0,0") << "a speed that is no number shows as none";
}

} // namespace
} // namespace klt
