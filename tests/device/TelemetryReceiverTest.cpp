// Telemetry reception as the read thread runs it, without the thread: frames into the riders'
// statuses, the cadence filter, the clamps, the watchdogs and what reaches the window.
#include <gtest/gtest.h>

#include "device/live/TelemetryReceiver.h"
#include "tests/device/TelemetryFrames.h"

namespace klt {
namespace {

using test::RawFrame;
using test::TFrameValues;

class TelemetryReceiverTest : public ::testing::Test {
protected:
    TelemetryReceiverTest() {
        for (TVeltrakStatus& status : statuses_) {
            status.SetSWVersion(1);
        }
    }

    void Receive(const std::vector<uint8_t>& bytes, int64_t nowMs) {
        test::TBytesSource quiet({});
        receiver_.Receive(bytes, quiet, nowMs);
    }
    // A frame of `rider` at `second` past 10:20:00 with these values.
    void Send(int second, uint8_t cadence, uint16_t power = 250, uint8_t rider = 1) {
        TFrameValues v;
        v.rider = rider;
        v.seconds = second;
        v.cadence = cadence;
        v.power = power;
        Receive(RawFrame(v), second * 1000);
    }
    std::vector<TLiveValueSet> Sets() {
        std::vector<TLiveValueSet> sets;
        for (TLiveEvent& event : queue_.Drain()) {
            if (auto* set = std::get_if<TLiveValueSet>(&event)) {
                sets.push_back(*set);
            }
        }
        return sets;
    }

    std::array<TVeltrakStatus, 2> statuses_;
    TLiveEventQueue queue_;
    TLiveLogs logs_;
    TTelemetryReceiver receiver_{{&statuses_[0], &statuses_[1]}, 1, 0, queue_, logs_};
};

TEST_F(TelemetryReceiverTest, FramesOfBothRidersReachTheirStatusesOnce) {
    Send(1, 90, 250, 1);
    Send(1, 80, 300, 2);
    Send(1, 90, 250, 1); // the radio's repetition
    Send(3, 91, 251, 1);
    const std::vector<TLiveValueSet> sets = Sets();
    ASSERT_EQ(sets.size(), 3u);
    EXPECT_EQ(sets[0].rider, 1);
    EXPECT_EQ(sets[1].rider, 2);
    EXPECT_EQ(sets[1].power, 300 * 8);
    EXPECT_EQ(sets[2].elapsedMs, 2000);
    EXPECT_EQ(statuses_[0].Tretfrequenz, 91 * 32);
    EXPECT_EQ(statuses_[1].Leistung, 300 * 8);
    EXPECT_EQ(receiver_.Rider(1).FirstFrameTime(), 10 * 3600 + 20 * 60 + 1);
    EXPECT_EQ(receiver_.Rider(1).FirstCounter(), 7u);
    // frames 2 s apart would make 10 s: the watchdog only ever shortens
    EXPECT_EQ(receiver_.Rider(1).WatchdogIntervalMs(), 5000);
}

TEST_F(TelemetryReceiverTest, AFrameWithAWrongChecksumChangesNothingAndPostsNothing) {
    std::vector<uint8_t> frame = RawFrame({});
    frame[9] ^= 0x10;
    Receive(frame, 1000);
    EXPECT_TRUE(Sets().empty());
    EXPECT_EQ(statuses_[0].Tretfrequenz, 0);
    EXPECT_FALSE(receiver_.Rider(1).Received());
}

TEST_F(TelemetryReceiverTest, ACadenceDropIsTakenOnlyWithTheThirdFrameShowingIt) {
    Send(1, 100, 300);
    Send(2, 60, 100);
    Send(3, 60, 100);
    EXPECT_EQ(statuses_[0].Tretfrequenz, 100 * 32);
    EXPECT_EQ(statuses_[0].Leistung, 300 * 8); // power waits with it
    Send(4, 60, 100);
    EXPECT_EQ(statuses_[0].Tretfrequenz, 60 * 32);
    EXPECT_EQ(statuses_[0].Leistung, 100 * 8);
    EXPECT_EQ(Sets().size(), 4u); // every new frame is reported
}

TEST_F(TelemetryReceiverTest, OlderFirmwareTakesACadenceDropAtOnce) {
    statuses_[0].SetSWVersion(17170);
    Send(1, 100);
    Send(2, 60);
    EXPECT_EQ(statuses_[0].Tretfrequenz, 60 * 32);
}

TEST_F(TelemetryReceiverTest, ImpossiblePowerIsZeroAndPowerBeyondTheMeterIsIgnored) {
    Send(1, 90, 4050); // 32400 in 1/8 W lies above 32007
    EXPECT_EQ(statuses_[0].Leistung, 0);
    Send(2, 90, 4095); // beyond what the meter measures: the frame is dropped
    ASSERT_EQ(Sets().size(), 1u);
}

TEST_F(TelemetryReceiverTest, ARiderWhoseFramesStopIsZeroedAtEachWatchdogInterval) {
    Send(1, 90, 250, 1);
    Send(2, 90, 250, 1); // frames a second apart: the watchdog shortens to 5 s
    Send(2, 80, 200, 2);
    Sets();
    EXPECT_EQ(receiver_.Rider(1).WatchdogIntervalMs(), 5000);
    receiver_.CheckWatchdogs(6999);
    EXPECT_TRUE(Sets().empty());
    receiver_.CheckWatchdogs(7000); // rider 1's last frame came at 2 s, rider 2's too
    std::vector<TLiveValueSet> sets = Sets();
    ASSERT_EQ(sets.size(), 2u);
    EXPECT_EQ(sets[0].power, 0);
    EXPECT_EQ(sets[0].elapsedMs, 5000);
    EXPECT_EQ(statuses_[0].Tretfrequenz, 0);
    EXPECT_EQ(statuses_[0].Herzfrequenz, 0);
    receiver_.CheckWatchdogs(12000);
    EXPECT_EQ(Sets().size(), 2u);
    // a frame later than the watchdog's reckoning is taken again
    Send(20, 95, 260, 1);
    EXPECT_EQ(statuses_[0].Tretfrequenz, 95 * 32);
}

TEST_F(TelemetryReceiverTest, AStatusMessageGoesToTheWindowAndMarksTheNextSets) {
    Send(1, 90);
    std::vector<uint8_t> bytes{0x04, 'S', 0x03};
    const std::vector<uint8_t> frame = RawFrame({.seconds = 2});
    bytes.insert(bytes.end(), frame.begin(), frame.end());
    Receive(bytes, 2000);
    std::vector<TLiveEvent> events = queue_.Drain();
    ASSERT_EQ(events.size(), 3u);
    EXPECT_EQ(std::get<TLiveStatusMessage>(events[1]).bytes, std::vector<uint8_t>{'S'});
    EXPECT_EQ(std::get<TLiveValueSet>(events[2]).elapsedMs, -1);
    Send(3, 90);
    EXPECT_EQ(Sets().at(0).elapsedMs, 1000);
}

TEST_F(TelemetryReceiverTest, AFrameCutAtTheEndOfAReadIsCompletedFromTheLine) {
    const std::vector<uint8_t> frame = RawFrame({});
    test::TBytesSource line(std::vector<uint8_t>(frame.begin() + 6, frame.end()));
    receiver_.Receive(std::vector<uint8_t>(frame.begin(), frame.begin() + 6), line, 1000);
    EXPECT_EQ(Sets().size(), 1u);
}

} // namespace
} // namespace klt
