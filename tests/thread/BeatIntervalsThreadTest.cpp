// The read thread streaming beat-to-beat intervals from the simulated ergometer's head unit, sped
// up: one event per beat, in order, plausible for the rider's heart rate, also when stopped and
// started at random moments.
#include <gtest/gtest.h>

#include <random>

#include "device/live/VeltrakReadThread.h"
#include "device/usb/VeltrakVI.h"
#include "tests/device/FakeLine.h"
#include "tests/integration/SimulatorRig.h"
#include "tests/thread/ReadThreadFixture.h"
#include "tools/sim/LiveErgometer.h"

namespace klt {
namespace {

using namespace std::chrono_literals;

constexpr int kSpeedup = 50;

std::vector<TLiveBeatInterval> Beats(const test::TLiveCollector& collector) {
    std::vector<TLiveBeatInterval> beats;
    for (const TLiveEvent& event : collector.events) {
        if (const auto* beat = std::get_if<TLiveBeatInterval>(&event)) {
            beats.push_back(*beat);
        }
    }
    return beats;
}

class BeatIntervalsThreadTest : public ::testing::Test {
protected:
    BeatIntervalsThreadTest() {
        usb_.SetErrorDisplay(false);
        veltrak_.SetPrompt(test::InstalledPrompt());
        EXPECT_TRUE(veltrak_.ConnectV7());
    }
    static TReadThreadSettings Settings() {
        TReadThreadSettings settings;
        settings.mode = TReadMode::BeatIntervals;
        settings.cycle = 500ms / kSpeedup;
        return settings;
    }
    static sim::TSimOptions Options() {
        sim::TSimOptions options = test::SimOptions(7);
        options.ergometer = true;
        options.speedup = kSpeedup;
        options.seed = 11;
        return options;
    }

    test::TUsbSimulatorRig rig_{Options()};
    TVeltrak veltrak_{std::make_unique<test::TFakeLine>([](uint8_t, const TLineSettings&, std::deque<uint8_t>&) {}),
                      nullptr, rig_.usb.get()};
    TUsbLink& usb_ = *rig_.usb;
    TDeviceAccess access_;
    test::TLiveCollector collector_;
};

TEST_F(BeatIntervalsThreadTest, EveryBeatArrivesOnceInOrderAndFitsTheHeartRate) {
    TVeltrakReadThread thread(veltrak_, Settings(), access_, nullptr, collector_.queue);
    thread.Start();
    ASSERT_TRUE(collector_.WaitFor([&] { return Beats(collector_).size() >= 100; }));
    thread.Stop();
    const std::vector<TLiveBeatInterval> beats = Beats(collector_);
    EXPECT_EQ(collector_.Count<TLiveConnectionLost>(), 0u);
    EXPECT_EQ(collector_.Count<TLiveValueSet>(), 0u);
    for (size_t i = 0; i < beats.size(); ++i) {
        // the rider's heart between rest and his maximum
        EXPECT_GT(beats[i].intervalTenthsMs, 60000 / 190 * 10) << i;
        EXPECT_LT(beats[i].intervalTenthsMs, 60000 / 60 * 10) << i;
        EXPECT_EQ(beats[i].lostBefore, 0) << i;
        if (i > 0) {
            EXPECT_GE(beats[i].stamp, beats[i - 1].stamp);
        }
    }
    // the latest beats beat at the heart rate the rider has now
    double latest = 0;
    for (size_t i = beats.size() - 10; i < beats.size(); ++i) {
        latest += beats[i].intervalTenthsMs / 10.0;
    }
    const double heartRate = rig_.sim.Ergometer()->Truth().heartRate;
    EXPECT_NEAR(60000 / (latest / 10), heartRate, 0.1 * heartRate);
}

TEST_F(BeatIntervalsThreadTest, StartAndStopAtRandomMomentsWhileBeatsStream) {
    std::mt19937 random(3);
    TVeltrakReadThread thread(veltrak_, Settings(), access_, nullptr, collector_.queue);
    for (int round = 0; round < 10; ++round) {
        thread.Start();
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 80000));
        const std::chrono::milliseconds took = test::Timed([&] { thread.Stop(); });
        EXPECT_LT(took, test::kPromptStop);
        collector_.WaitFor([] { return true; });
    }
    thread.Start();
    ASSERT_TRUE(collector_.WaitFor([&] { return !Beats(collector_).empty(); }));
    thread.Stop();
    EXPECT_EQ(collector_.Count<TLiveConnectionLost>(), 0u);
}

TEST(BeatIntervalsThread, OnlyAUsbHeadUnitStreamsBeats) {
    TVeltrakV serial(std::make_unique<test::TFakeLine>([](uint8_t, const TLineSettings&, std::deque<uint8_t>&) {}));
    TDeviceAccess access;
    TLiveEventQueue queue;
    TReadThreadSettings settings;
    settings.mode = TReadMode::BeatIntervals;
    TVeltrakReadThread thread(serial, settings, access, nullptr, queue);
    EXPECT_THROW(thread.Start(), ERangeError);
    EXPECT_FALSE(thread.Running());
}

} // namespace
} // namespace klt
