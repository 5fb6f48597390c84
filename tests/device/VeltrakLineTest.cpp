#include <gtest/gtest.h>

#include "device/VeltrakErrors.h"
#include "device/transport/VeltrakLine.h"
#include "tests/device/ScriptedSerialLine.h"

namespace klt {
namespace {

using Calls = std::vector<std::string>;

class VeltrakLine : public ::testing::Test {
protected:
    test::TScriptedSerialLine line_;
    test::TRecordingSleeper sleeper_{line_.calls};
    TVeltrakLine veltrak_{line_, sleeper_};
};

TEST_F(VeltrakLine, SlowModeSwitchesSpeedAndTimeouts) {
    veltrak_.SetSlowMode(true);
    EXPECT_EQ(line_.settings, (TLineSettings{4800, 8, TParity::None, 1}));
    EXPECT_EQ(line_.timeouts, (TLineTimeouts{500, 200, 500, 200, 500}));
    veltrak_.SetSlowMode(false);
    EXPECT_EQ(line_.settings, (TLineSettings{9600, 8, TParity::None, 1}));
    EXPECT_EQ(line_.timeouts, (TLineTimeouts{50, 50, 50, 50, 50}));
    veltrak_.ApplyMode(kRegisterLineMode);
    EXPECT_EQ(line_.settings.baudRate, 19200);
    EXPECT_EQ(line_.timeouts, (TLineTimeouts{kNoWaitInterval, kNoWaitInterval, 0, 0, 0}));
}

TEST_F(VeltrakLine, BytesArePacedAndRefusedOnesRetried) {
    const uint8_t bytes[] = {'A', 'B'};
    line_.refusals = {0, 2}; // the second byte is taken at its third attempt
    EXPECT_EQ(veltrak_.WriteBytes(bytes, 2), 2u);
    EXPECT_EQ(line_.written, "AB");
    EXPECT_EQ(line_.calls, (Calls{"write 1", "sleep 10", "refused", "sleep 2", "refused", "sleep 2",
                                  "write 1", "sleep 10", "flush"}));
}

TEST_F(VeltrakLine, ByteRefusedFourTimesEndsTheWriteQuietly) {
    const uint8_t bytes[] = {'A', 'B', 'C'};
    line_.refusals = {0, 4};
    EXPECT_EQ(veltrak_.WriteBytes(bytes, 3), 1u);
    EXPECT_EQ(line_.written, "A");
    EXPECT_EQ(line_.calls.back(), "flush");
    EXPECT_EQ(std::count(line_.calls.begin(), line_.calls.end(), "refused"), 4);
}

TEST_F(VeltrakLine, BlockGoesOutInOneWrite) {
    const uint8_t bytes[] = {1, 2, 3, 4, 5, 6, 7};
    EXPECT_EQ(veltrak_.WriteBlock(bytes, 7), 7u);
    EXPECT_EQ(line_.calls, Calls{"write 7"});
}

TEST_F(VeltrakLine, ResetBreaksTheLine) {
    veltrak_.ResetLine();
    EXPECT_EQ(line_.calls, (Calls{"purge", "break on", "sleep 500", "break off", "sleep 500"}));
}

TEST_F(VeltrakLine, ResetWithoutBreakSendsFiller) {
    line_.canBreak = false;
    veltrak_.ResetLine();
    EXPECT_EQ(line_.calls, (Calls{"purge", "break on", "write 20", "sleep 100"}));
    EXPECT_EQ(line_.written.size(), 20u);
}

TEST_F(VeltrakLine, ResetInsideAResetDoesNothing) {
    int nested = 0;
    struct TReentrantSleeper : ISleeper {
        std::function<void()> during;
        void Sleep(int) override { during(); }
    } sleeper;
    TVeltrakLine veltrak(line_, sleeper);
    sleeper.during = [&] {
        ++nested;
        veltrak.ResetLine();
    };
    veltrak.ResetLine();
    EXPECT_EQ(nested, 2);
    EXPECT_EQ(std::count(line_.calls.begin(), line_.calls.end(), "purge"), 1);
    veltrak.ResetLine(); // the guard is released afterwards
    EXPECT_EQ(std::count(line_.calls.begin(), line_.calls.end(), "purge"), 2);
}

TEST_F(VeltrakLine, EmptyReadIsRepeatedOnce) {
    line_.reads = {"", "abc"};
    uint8_t in[8] = {};
    EXPECT_EQ(veltrak_.ReadBytes(in, 8), 3u);
    EXPECT_EQ(line_.calls, (Calls{"read", "read"}));

    line_.calls.clear();
    line_.reads = {"", "", "late"};
    EXPECT_EQ(veltrak_.ReadBytes(in, 8), 0u);
    EXPECT_EQ(line_.calls, (Calls{"read", "read"}));
}

TEST_F(VeltrakLine, ReaderFindingAReadInProgressWaitsThroughIdle) {
    int idles = 0;
    size_t inner = 99;
    veltrak_.SetIdle([&] { ++idles; });
    line_.reads = {"x"};
    line_.onRead = [&] {
        line_.onRead = nullptr;
        uint8_t in[4];
        inner = veltrak_.ReadBytes(in, 4);
    };
    uint8_t in[4] = {};
    EXPECT_EQ(veltrak_.ReadBytes(in, 4), 1u);
    EXPECT_EQ(inner, 0u);
    EXPECT_EQ(idles, TVeltrakLine::kIdleWaits);
    EXPECT_EQ(std::count(line_.calls.begin(), line_.calls.end(), "read"), 1);
}

TEST_F(VeltrakLine, ClosedLineIsReportedByPort) {
    line_.open = false;
    veltrak_.SetPortText("Com2");
    uint8_t in[1];
    try {
        veltrak_.ReadBytes(in, 1);
        FAIL();
    } catch (const EVeltrakComError& e) {
        EXPECT_STREQ(e.what(), "Port Com2 is not existing");
    }
}

} // namespace
} // namespace klt
