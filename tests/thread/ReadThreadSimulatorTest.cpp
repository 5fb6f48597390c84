// The live read thread against the simulated generation 7 head unit over its USB link (polled,
// started and stopped at random moments, stopped while the head unit stays silent), and receiving
// telemetry frames of two riders on a pseudo-terminal.
#include <gtest/gtest.h>

#include <pty.h>
#include <random>
#include <termios.h>
#include <unistd.h>

#include "device/live/VeltrakReadThread.h"
#include "device/usb/VeltrakVI.h"
#include "tests/device/FakeLine.h"
#include "tests/device/TelemetryFrames.h"
#include "tests/integration/SimulatorRig.h"
#include "tests/thread/ReadThreadFixture.h"

namespace klt {
namespace {

using namespace std::chrono_literals;

// The simulated link, with a switch that makes the head unit deaf: requests get lost, so every read
// waits out its time-out as with a head unit that stopped answering.
class TMutableFtdiLink : public IFtdiLink {
public:
    explicit TMutableFtdiLink(IFtdiLink& link) : link_(link) {}
    std::atomic<bool> muted{false};

    TFtStatus DeviceCount(int& count) override { return link_.DeviceCount(count); }
    TFtStatus DeviceDescription(int index, std::string& d) override { return link_.DeviceDescription(index, d); }
    TFtStatus OpenByDescription(const std::string& d) override { return link_.OpenByDescription(d); }
    TFtStatus Close() override { return link_.Close(); }
    TFtStatus ResetDevice() override { return link_.ResetDevice(); }
    TFtStatus PurgeTransmit() override { return link_.PurgeTransmit(); }
    TFtStatus PurgeReceive() override { return link_.PurgeReceive(); }
    TFtStatus SetBreak(bool on) override { return link_.SetBreak(on); }
    TFtStatus SetBaudRate(int baud) override { return link_.SetBaudRate(baud); }
    TFtStatus SetDataCharacteristics(int d, int s, int p) override { return link_.SetDataCharacteristics(d, s, p); }
    TFtStatus SetFlowControlNone(uint8_t xon, uint8_t xoff) override { return link_.SetFlowControlNone(xon, xoff); }
    TFtStatus SetTimeouts(int readMs, int writeMs) override { return link_.SetTimeouts(readMs, writeMs); }
    TFtStatus QueueStatus(size_t& waiting) override { return link_.QueueStatus(waiting); }
    TFtStatus Write(const uint8_t* bytes, size_t count, size_t& written) override {
        if (muted) {
            written = count;
            return FT_OK;
        }
        return link_.Write(bytes, count, written);
    }
    TFtStatus Read(uint8_t* bytes, size_t count, size_t& read) override { return link_.Read(bytes, count, read); }
    TFtStatus SetBitMode(uint8_t mask, uint8_t mode) override { return link_.SetBitMode(mask, mode); }
    TFtStatus CyclePort() override { return link_.CyclePort(); }

private:
    IFtdiLink& link_;
};

class ReadThreadUsbTest : public ::testing::Test {
protected:
    ReadThreadUsbTest() {
        usb_.SetErrorDisplay(false);
        veltrak_.SetPrompt(test::InstalledPrompt());
        EXPECT_TRUE(veltrak_.ConnectV7());
    }
    TReadThreadSettings Settings() const {
        TReadThreadSettings settings;
        settings.cycle = 20ms;
        return settings;
    }

    struct TStartedSimulator {
        TStartedSimulator() : sim(test::SimOptions(7)) { sim.Start(); }
        sim::THeadUnitSimulator sim;
    } started_;
    TSimFtdiLink simLink_{started_.sim.SocketPath()};
    TMutableFtdiLink link_{simLink_};
    TUsbLink usb_{link_};
    TVeltrak veltrak_{std::make_unique<test::TFakeLine>([](uint8_t, const TLineSettings&, std::deque<uint8_t>&) {}),
                      nullptr, &usb_};
    TDeviceAccess access_;
    test::TCountingBrake brake_{access_};
    test::TLiveCollector collector_;
};

TEST_F(ReadThreadUsbTest, PollsTheLiveValuesAndStepsTheBrakeAfterReads) {
    TVeltrakReadThread thread(veltrak_, Settings(), access_, &brake_, collector_.queue);
    thread.Start();
    ASSERT_TRUE(collector_.WaitFor([&] { return collector_.Sets().size() >= 10; }));
    thread.Stop();
    const std::vector<TLiveValueSet> sets = collector_.Sets();
    EXPECT_EQ(sets.back().temperature, 215); // the simulated rider at rest
    EXPECT_EQ(sets.back().power, 0);
    EXPECT_GE(brake_.steps, 1);
    EXPECT_EQ(collector_.Count<TLiveConnectionLost>(), 0u);
    EXPECT_EQ(veltrak_.Status().HWVersion(), TVeltrakHWVersion::HWVersionVT7x128);
}

TEST_F(ReadThreadUsbTest, StopWhileTheHeadUnitIsSilentIsPrompt) {
    TVeltrakReadThread thread(veltrak_, Settings(), access_, &brake_, collector_.queue);
    thread.Start();
    ASSERT_TRUE(collector_.WaitFor([&] { return collector_.Sets().size() >= 2; }));
    link_.muted = true;
    std::this_thread::sleep_for(100ms); // a read now waits for an answer that never comes
    const std::chrono::milliseconds took = test::Timed([&] { thread.Stop(); });
    std::printf("stop while the USB head unit is silent: %lld ms\n", static_cast<long long>(took.count()));
    EXPECT_LT(took, test::kPromptStop);
    // the head unit is still served afterwards
    link_.muted = false;
    veltrak_.ReadLiveValues();
    EXPECT_EQ(veltrak_.Status().Temperatur, 215);
}

TEST_F(ReadThreadUsbTest, StartAndStopAtRandomMomentsUnderLoad) {
    std::mt19937 random(7);
    TVeltrakReadThread thread(veltrak_, Settings(), access_, &brake_, collector_.queue);
    std::chrono::milliseconds longest{0};
    for (int round = 0; round < 15; ++round) {
        thread.Start();
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 60000));
        longest = std::max(longest, test::Timed([&] { thread.Stop(); }));
    }
    std::printf("longest of 15 stops against the simulator: %lld ms\n", static_cast<long long>(longest.count()));
    EXPECT_LT(longest, test::kPromptStop);
    collector_.queue.Drain();
    veltrak_.ReadLiveValues(); // nothing was left half-way on the link
    EXPECT_EQ(veltrak_.Status().Temperatur, 215);
}

TEST(ReadThreadRegisterTest, PollsAGenerationIVHeadUnitAndStopsPromptlyWhileItIsSlowToAnswer) {
    sim::TSimOptions options = test::SimOptions(4);
    options.faults.delayMs = 400; // every reply comes late: most reads wait for one
    test::TSimulatorRig rig(options);
    TDeviceAccess access;
    test::TLiveCollector collector;
    TReadThreadSettings settings;
    settings.cycle = 20ms;
    TVeltrakReadThread thread(*rig.veltrak, settings, access, nullptr, collector.queue);
    thread.Start();
    ASSERT_TRUE(collector.WaitFor([&] { return !collector.Sets().empty(); }));
    std::this_thread::sleep_for(100ms);
    const std::chrono::milliseconds took = test::Timed([&] { thread.Stop(); });
    std::printf("stop while a register head unit is slow to answer: %lld ms\n", static_cast<long long>(took.count()));
    EXPECT_LT(took, test::kPromptStop);
}

// A head unit in monitor mode at the far end of a pseudo-terminal.
class ReadThreadTelemetryTest : public ::testing::Test {
protected:
    ReadThreadTelemetryTest() {
        char name[256] = {};
        if (::openpty(&master_, &slave_, name, nullptr, nullptr) != 0) {
            return;
        }
        termios raw{};
        ::tcgetattr(slave_, &raw);
        ::cfmakeraw(&raw);
        ::tcsetattr(slave_, TCSANOW, &raw);
        veltrak_.SetPort({"Telemetry", name, 0});
        veltrak_.SetPrompt(test::InstalledPrompt());
    }
    ~ReadThreadTelemetryTest() override {
        ::close(master_);
        ::close(slave_);
    }
    void Send(const std::vector<uint8_t>& bytes) {
        ASSERT_EQ(::write(master_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }

    int master_ = -1, slave_ = -1;
    TVeltrakV veltrak_;
    TDeviceAccess access_;
    test::TLiveCollector collector_;
};

TEST_F(ReadThreadTelemetryTest, FramesOfBothRidersInBothEncodingsArrive) {
    ASSERT_GE(master_, 0);
    TReadThreadSettings settings;
    settings.mode = TReadMode::Telemetry;
    TVeltrakReadThread thread(veltrak_, settings, access_, nullptr, collector_.queue);
    thread.Start();
    for (int second = 1; second <= 3; ++second) {
        test::TFrameValues one{.rider = 1, .seconds = second, .power = 200};
        test::TFrameValues two{.rider = 2, .seconds = second, .power = 300};
        std::vector<uint8_t> unknown = test::RawFrame(two);
        unknown[1] = 0xFF; // the rider found by the checksum
        Send(test::RawFrame(one));
        Send(second == 2 ? unknown : test::CharacterFrame(test::RawFrame(two)));
        Send({'?'}); // noise between frames is dropped
        std::this_thread::sleep_for(30ms);
    }
    ASSERT_TRUE(collector_.WaitFor([&] { return collector_.Sets(1).size() >= 3 && collector_.Sets(2).size() >= 3; }));
    const std::chrono::milliseconds took = test::Timed([&] { thread.Stop(); });
    EXPECT_LT(took, test::kPromptStop);
    EXPECT_EQ(collector_.Sets(1).back().power, 200 * 8);
    EXPECT_EQ(collector_.Sets(2).back().power, 300 * 8);
    EXPECT_EQ(collector_.Sets(2).back().elapsedMs, 1000);
}

TEST_F(ReadThreadTelemetryTest, WithoutAPortThereIsNothingToReceive) {
    veltrak_.SetPort({});
    TReadThreadSettings settings;
    settings.mode = TReadMode::Telemetry;
    TVeltrakReadThread thread(veltrak_, settings, access_, nullptr, collector_.queue);
    thread.Start();
    thread.Stop();
    EXPECT_TRUE(collector_.queue.Drain().empty());
}

// Two riders on simulated ergometers, their head unit sending frames of either encoding with every
// telemetry fault, ten simulated seconds to the real one.
class ReadThreadErgometerTelemetryTest : public ::testing::TestWithParam<sim::TTelemetryEncoding> {};

TEST_P(ReadThreadErgometerTelemetryTest, BothRidersArriveThroughTheFaults) {
    sim::TSimOptions options = test::SimOptions(7);
    options.ergometer = true;
    options.speedup = 10;
    options.telemetryRiders = 2;
    options.telemetryEncoding = GetParam();
    options.faults.telemetryChecksumEvery = 3;
    options.faults.shortFrameEvery = 4;
    options.faults.riderFfEvery = 5;
    sim::THeadUnitSimulator sim(options);
    sim.Start();
    TVeltrakV veltrak;
    veltrak.SetPort({"Telemetry", sim.TelemetryPath(), 0});
    veltrak.SetPrompt(test::InstalledPrompt());
    TDeviceAccess access;
    test::TLiveCollector collector;
    TReadThreadSettings settings;
    settings.mode = TReadMode::Telemetry;
    TVeltrakReadThread thread(veltrak, settings, access, nullptr, collector.queue);
    thread.Start();
    const auto pedalling = [&](int rider) {
        const std::vector<TLiveValueSet> sets = collector.Sets(rider);
        return std::any_of(sets.begin(), sets.end(), [](const TLiveValueSet& set) { return set.power > 0; });
    };
    EXPECT_TRUE(collector.WaitFor([&] { return pedalling(1) && pedalling(2); }));
    thread.Stop();
    for (int rider = 1; rider <= 2; ++rider) {
        const std::vector<TLiveValueSet> sets = collector.Sets(rider);
        for (size_t i = 1; i < sets.size(); ++i) {
            // a frame a simulated second after the one before, or more where faults spoilt some
            EXPECT_GT(sets[i].elapsedMs, 0);
            EXPECT_EQ(sets[i].elapsedMs % 1000, 0);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Encodings, ReadThreadErgometerTelemetryTest,
                         ::testing::Values(sim::TTelemetryEncoding::Binary, sim::TTelemetryEncoding::Text));

} // namespace
} // namespace klt
