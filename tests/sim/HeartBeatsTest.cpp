// The rider's heart beat by beat in simulated time, what the head unit keeps of it between reads,
// and the beat request (class 1, code 7) spoken byte by byte.
#include <gtest/gtest.h>

#include <cmath>
#include <numeric>
#include <thread>

#include "tests/sim/UsbTestClient.h"
#include "tools/sim/Ergometer.h"
#include "tools/sim/HeadUnitSimulator.h"
#include "tools/sim/HeartBeats.h"

namespace klt::sim {
namespace {

using namespace klt::sim::test;

double Mean(const std::vector<uint16_t>& values) {
    return std::accumulate(values.begin(), values.end(), 0.0) / static_cast<double>(values.size());
}

TEST(HeartBeatsTest, IntervalsFollowTheHeartRateWithAFewPercentOfVariability) {
    THeartBeats heart(3, {});
    const std::vector<uint16_t> at120 = heart.BeatUntil(300, 120);
    EXPECT_NEAR(static_cast<double>(at120.size()), 600, 3);
    EXPECT_NEAR(Mean(at120), 5000, 25); // 500 ms
    double squares = 0;
    for (size_t i = 1; i < at120.size(); ++i) {
        EXPECT_NEAR(at120[i], 5000, 250) << i; // within 5 %
        squares += std::pow(at120[i] - at120[i - 1], 2);
    }
    const double rmssd = std::sqrt(squares / static_cast<double>(at120.size() - 1));
    EXPECT_GT(rmssd, 50);  // the intervals vary from beat to beat by milliseconds,
    EXPECT_LT(rmssd, 300); // not by tens of them

    const std::vector<uint16_t> at150 = heart.BeatUntil(360, 150);
    EXPECT_NEAR(Mean(at150), 4000, 40);
    EXPECT_TRUE(heart.BeatUntil(360, 150).empty()); // nothing twice

    THeartBeats same(3, {}), other(4, {});
    EXPECT_EQ(same.BeatUntil(300, 120), at120);
    EXPECT_NE(other.BeatUntil(300, 120), at120);
}

TEST(HeartBeatsTest, AMissedBeatJoinsTwoIntervalsAndAnExtraOneSplitsOne) {
    const std::vector<uint16_t> natural = THeartBeats(5, {}).BeatUntil(30, 90);
    const std::vector<uint16_t> missed = THeartBeats(5, {.missedEvery = 10}).BeatUntil(30, 90);
    const std::vector<uint16_t> extra = THeartBeats(5, {.extraEvery = 10}).BeatUntil(30, 90);
    ASSERT_GE(natural.size(), 40u);
    // beat 10 unseen: the intervals ending at beats 10 and 11 come as one
    EXPECT_EQ(std::vector<uint16_t>(missed.begin(), missed.begin() + 9),
              std::vector<uint16_t>(natural.begin(), natural.begin() + 9));
    EXPECT_NEAR(missed[9], natural[9] + natural[10], 1);
    EXPECT_NEAR(missed[10], natural[11], 1);
    EXPECT_NEAR(missed[18], natural[19] + natural[20], 1); // beat 20
    // the interval ending at beat 10 comes as two halves
    EXPECT_NEAR(extra[9], natural[9] / 2.0, 1);
    EXPECT_NEAR(extra[9] + extra[10], natural[9], 1);
    EXPECT_EQ(extra[11], natural[10]);
    EXPECT_EQ(extra.size(), natural.size() + natural.size() / 10);
}

TEST(HeartBeatsTest, TheHeadUnitKeepsTheNewestBeatsAndCountsTheDropped) {
    TErgometer ergometer(TRiderKind::Steady, 1);
    ergometer.AdvanceTo(10);
    const TBeatBatch first = ergometer.TakeBeats();
    EXPECT_EQ(first.lost, 0);
    EXPECT_NEAR(static_cast<double>(first.intervals.size()), 10 * 65 / 60.0, 2); // at rest
    EXPECT_TRUE(ergometer.TakeBeats().intervals.empty());

    ergometer.AdvanceTo(130);
    const TBeatBatch full = ergometer.TakeBeats();
    ASSERT_EQ(full.intervals.size(), TBeatBuffer::kCapacity);
    const double seconds = (full.lost + 64) * Mean(full.intervals) / 10000;
    EXPECT_NEAR(seconds, 120, 10);

    TBeatBuffer buffer;
    for (int i = 0; i < 400; ++i) {
        buffer.Add(static_cast<uint16_t>(i));
    }
    const TBeatBatch capped = buffer.Take();
    EXPECT_EQ(capped.lost, TBeatBuffer::kMaxLost);
    EXPECT_EQ(capped.intervals.front(), 400 - 64);
}

TEST(HeartBeatsTest, TheRequestGivesCountLostAndIntervals) {
    THeadUnitSimulator bicycle(Generation7(false));
    bicycle.Start();
    {
        TUsbClient usb(bicycle.SocketPath());
        ASSERT_EQ(usb.Identity(), "VELTRAK 7");
        EXPECT_EQ(ReplyData(usb.Ask(Request(1, 7))), (TBytes{0, 0})); // no strap on a bicycle
        EXPECT_EQ(usb.Exchange(Request(1, 7, {1}), 7), Reply({0xFF, 4}));
    }
    bicycle.Stop();

    THeadUnitSimulator ergometer(Generation7(true));
    ergometer.Start();
    TUsbClient usb(ergometer.SocketPath());
    ASSERT_EQ(usb.Identity(), "VELTRAK 7");
    TBytes data;
    for (int tries = 0; tries < 500 && (data.empty() || data[0] == 0); ++tries) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        data = ReplyData(usb.Ask(Request(1, 7)));
    }
    ASSERT_GE(data.size(), 4u);
    ASSERT_EQ(data.size(), 2 + 2 * size_t{data[0]});
    for (size_t at = 2; at < data.size(); at += 2) {
        const int interval = data[at] << 8 | data[at + 1];
        EXPECT_GT(interval, 3000) << at; // between 200 and 40 bpm
        EXPECT_LT(interval, 15000) << at;
    }
}

} // namespace
} // namespace klt::sim
