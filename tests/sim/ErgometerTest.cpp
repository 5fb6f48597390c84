// The ergometer's physics in simulated time: the brake, the rider, the heart, the calibration a
// brake of this kind shows on a test bench.
#include <gtest/gtest.h>

#include <cmath>

#include "tools/sim/Ergometer.h"
#include "tools/sim/LiveErgometer.h"
#include "tools/sim/SimClock.h"

namespace klt::sim {
namespace {

TBrakeValues Offset(uint32_t offset) {
    return {.offset = offset, .limit = 0, .slope = 0xF00000, .divisor = 1};
}

TEddyCurrentBrake BrakeAt(uint32_t offset) {
    TEddyCurrentBrake brake;
    brake.Set(Offset(offset));
    return brake;
}

double BrakePower(uint32_t offset, double speed) {
    return BrakeAt(offset).Torque(speed) * FlywheelRadians(speed);
}

// A steady rider settled at `offset` for a minute.
TErgometer Settled(uint32_t offset, TRiderKind rider = TRiderKind::Steady, uint32_t seed = 1) {
    TErgometer ergometer(rider, seed);
    ergometer.SetBrake(Offset(offset));
    ergometer.AdvanceTo(60);
    return ergometer;
}

TEST(EddyCurrentBrakeTest, BrakesNothingAtOrBelowItsWorkingPointAndRisesWithOffsetAndSpeed) {
    for (const uint32_t offset : {0u, 1000u, kBrakeWorkingPoint}) {
        EXPECT_EQ(BrakePower(offset, 9652), 0) << offset;
    }
    EXPECT_LT(BrakePower(33280, 9652), 20); // released: nearly nothing
    double previous = 0;
    for (uint32_t offset = 33280; offset <= 40000; offset += 400) {
        const double power = BrakePower(offset, 9652);
        EXPECT_GT(power, previous) << offset;
        previous = power;
    }
    previous = 0;
    for (double speed = 500; speed <= 14000; speed += 500) {
        const double torque = BrakeAt(35000).Torque(speed);
        EXPECT_GT(torque, previous) << speed;
        previous = torque;
    }
}

TEST(EddyCurrentBrakeTest, FieldAndSpeedBothSaturate) {
    // Each further 4 000 steps of offset add less than the one before.
    const double a = BrakePower(36768, 9652), b = BrakePower(40768, 9652), c = BrakePower(44768, 9652);
    EXPECT_LT(c - b, b - a);
    EXPECT_LT(BrakePower(69632, 9652), 1.1 * BrakePower(56768, 9652));
    // Torque: nearly linear at low speed, flat far above the critical speed.
    const TEddyCurrentBrake brake = BrakeAt(36000);
    EXPECT_NEAR(brake.Torque(200) / brake.Torque(100), 2, 0.1);
    EXPECT_LT(brake.Torque(24000) / brake.Torque(12000), 1.1);
}

// What a brake of this kind absorbs on the test bench, brake and friction together, at the
// flywheel speed and offset above the working point given; within a quarter.
TEST(EddyCurrentBrakeTest, MatchesTheBenchCalibration) {
    struct TPoint {
        double speed;
        uint32_t excitation;
        double watts;
    };
    const TPoint bench[] = {{5000, 1122, 50},  {5000, 2064, 100},  {5000, 3245, 200},  {5000, 4426, 300},
                            {9652, 1139, 100}, {9652, 1941, 200},  {9652, 2452, 300},  {9652, 2965, 400},
                            {12000, 781, 100}, {12000, 1693, 200}, {12000, 2496, 400}};
    for (const TPoint& point : bench) {
        const double watts = AbsorbedPower(BrakeAt(kBrakeWorkingPoint + point.excitation), point.speed);
        EXPECT_NEAR(watts, point.watts, 0.25 * point.watts) << point.speed << " mm/s, " << point.excitation;
    }
    // Just above the working point only friction is left.
    const TEddyCurrentBrake idle = BrakeAt(kBrakeWorkingPoint + 53);
    EXPECT_LT(idle.Torque(9652) * FlywheelRadians(9652), 20);
    EXPECT_NEAR(AbsorbedPower(idle, 9652), 45, 8);
}

TEST(EddyCurrentBrakeTest, CadenceControlHoldsTheLimitSpeedAndReleaseBrakesNothing) {
    // The limit for 90 rpm at the gear ratio 3.35 stands for about 9 650 mm/s.
    TEddyCurrentBrake brake;
    brake.Set({.offset = 0, .limit = 7828, .slope = 0xF00000, .divisor = 1});
    EXPECT_NEAR(brake.LimitSpeed(), 9652, 5);
    EXPECT_EQ(brake.Torque(9500), 0);
    EXPECT_GT(brake.Torque(9652 + 300) * FlywheelRadians(9952), 400);
    brake.Set({.offset = 0, .limit = 7828, .slope = 0, .divisor = 1});
    EXPECT_EQ(brake.Torque(12000), 0);
    brake.Set({.offset = 0, .limit = 0, .slope = 0, .divisor = 1});
    EXPECT_EQ(brake.Torque(12000), 0);
}

TEST(ErgometerTest, TheRiderStartsShortlyAndHoldsHisCadenceUnderModerateLoad) {
    TErgometer ergometer(TRiderKind::Steady, 1);
    ergometer.SetBrake(Offset(kBrakeWorkingPoint + 1941));
    ergometer.AdvanceTo(TRider::kStartDelay - 0.5);
    EXPECT_EQ(ergometer.Truth().speed, 0);
    ergometer.AdvanceTo(60);
    const TErgometerTruth t = ergometer.Truth();
    EXPECT_NEAR(t.cadence, 90, 3);
    EXPECT_NEAR(t.speed, 9652, 350);
    // At steady state the power meter sees what brake and friction absorb, about 200 W.
    EXPECT_NEAR(t.measuredPower, t.brakePower + t.frictionPower, 0.1 * t.measuredPower);
    EXPECT_NEAR(t.measuredPower, 200, 50);
    const TErgometerReading r = ergometer.Reading();
    EXPECT_EQ(r.cadence, std::lround(t.cadence));
    EXPECT_EQ(r.speed, std::lround(t.speed));
}

TEST(ErgometerTest, ABrakeBeyondTheRidersTorqueSlowsHimAndTheStopBrakeStopsTheFlywheel) {
    TErgometer heavy = Settled(kBrakeWorkingPoint + 1941);
    heavy.SetBrake(Offset(kBrakeWorkingPoint + 6000));
    heavy.Advance(20);
    EXPECT_LT(heavy.Truth().speed, 0.75 * 9652);

    TErgometer stopping = Settled(kBrakeWorkingPoint + 1941);
    stopping.SetBrake(Offset(69632));
    stopping.Advance(4);
    EXPECT_LT(stopping.Truth().speed, 50);
    // Released, the rider gets going again.
    stopping.SetBrake(Offset(33280));
    stopping.Advance(30);
    EXPECT_NEAR(stopping.Truth().cadence, 90, 4);
}

TEST(ErgometerTest, CadenceControlHoldsTheRiderNearTheLimitsCadence) {
    TErgometer ergometer = Settled(kBrakeWorkingPoint + 1000);
    // The limit the regulator computes for 80 rpm at the gear ratio 3.35139769.
    ergometer.SetBrake({.offset = 0, .limit = 8806, .slope = 0xF00000, .divisor = 1});
    ergometer.Advance(30);
    EXPECT_NEAR(ergometer.Truth().cadence, 80, 4);
    EXPECT_GT(ergometer.Truth().brakePower, 150); // the rider still pushes for his 90 rpm
}

TEST(ErgometerTest, HeartRateFollowsAPowerStepWithALag) {
    TErgometer ergometer = Settled(kBrakeWorkingPoint + 800);
    ergometer.AdvanceTo(240);
    const double before = ergometer.Truth().heartRate;
    ergometer.SetBrake(Offset(kBrakeWorkingPoint + 2800));
    ergometer.Advance(5);
    const double soon = ergometer.Truth().heartRate;
    ergometer.Advance(175);
    const double after = ergometer.Truth().heartRate;
    EXPECT_GT(after, before + 20);
    EXPECT_LT(soon - before, 0.25 * (after - before));
}

TEST(ErgometerTest, RidersDifferAndTheTiredOneFades) {
    const TErgometerTruth sprint = Settled(kBrakeWorkingPoint + 1941, TRiderKind::Sprint).Truth();
    EXPECT_NEAR(sprint.cadence, 105, 4);
    TErgometer tired = Settled(kBrakeWorkingPoint + 2300, TRiderKind::Tired);
    const double early = tired.Truth().cadence;
    tired.AdvanceTo(15 * 60);
    const TErgometerTruth late = tired.Truth();
    EXPECT_LT(late.cadence, early - 8);
    EXPECT_LT(late.freshness, 1);
}

TEST(ErgometerTest, SameSeedSameRideOtherSeedOtherNoise) {
    const TErgometerTruth a = Settled(kBrakeWorkingPoint + 1941, TRiderKind::Steady, 7).Truth();
    const TErgometerTruth b = Settled(kBrakeWorkingPoint + 1941, TRiderKind::Steady, 7).Truth();
    const TErgometerTruth c = Settled(kBrakeWorkingPoint + 1941, TRiderKind::Steady, 8).Truth();
    EXPECT_EQ(a.speed, b.speed);
    EXPECT_EQ(a.crankTorque, b.crankTorque);
    EXPECT_EQ(a.heartRate, b.heartRate);
    EXPECT_NE(a.crankTorque, c.crankTorque);
}

TEST(LiveErgometerTest, TheHeadUnitsClockRunsWithTheSpeedup) {
    THeadUnitClock clock(1000, 100);
    const auto start = std::chrono::steady_clock::now();
    while (std::chrono::steady_clock::now() - start < std::chrono::milliseconds(50)) {
    }
    EXPECT_GE(clock.Now().seconds, 1005);
}

TEST(LiveErgometerTest, SimulatedTimeRunsSpeedupTimesRealTime) {
    TLiveErgometer live(TRiderKind::Steady, 1, 200);
    const double first = live.Truth().seconds;
    const auto start = std::chrono::steady_clock::now();
    while (std::chrono::steady_clock::now() - start < std::chrono::milliseconds(50)) {
    }
    const double real = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double simulated = live.Truth().seconds - first;
    EXPECT_GE(simulated, 200 * real - 1);
    EXPECT_GE(live.SimulatedSeconds(), simulated);
}

} // namespace
} // namespace klt::sim
