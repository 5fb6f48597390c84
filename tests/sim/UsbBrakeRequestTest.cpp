// The brake request (class 3, code 1) and the live values of the simulated head unit, on a bicycle
// and on the ergometer, spoken byte by byte.
#include <gtest/gtest.h>

#include "tests/sim/UsbTestClient.h"
#include "tools/sim/HeadUnitSimulator.h"
#include "tools/sim/LiveErgometer.h"

namespace klt::sim {
namespace {

using namespace klt::sim::test;

TSimOptions HeadUnit(bool ergometer) {
    TSimOptions options;
    options.generation = 7;
    options.clock = 1700000000;
    options.ergometer = ergometer;
    options.speedup = 100;
    return options;
}

// Offset 0x11000, limit 7828, slope 0xF00000, divisor 1.
const TBytes kStop = {0, 1, 0x10, 0, 0, 0, 0x1E, 0x94, 0, 0xF0, 0, 0, 1};

TEST(UsbBrakeRequestTest, MalformedWritesAreInvalidAndChangeNothing) {
    THeadUnitSimulator sim(HeadUnit(false));
    sim.Start();
    TUsbClient usb(sim.SocketPath());
    ASSERT_EQ(usb.Identity(), "VELTRAK 7");
    TBytes tooLong = kStop, divisorZero = kStop;
    tooLong.push_back(1);
    divisorZero.back() = 0;
    for (const TBytes& data : {TBytes(kStop.begin(), kStop.end() - 1), tooLong, divisorZero}) {
        EXPECT_EQ(usb.Exchange(Request(3, 1, data), 7), Reply({0xFF, 4})) << data.size();
    }
    // Power-up values, and no brake on a bicycle.
    EXPECT_EQ(ReplyData(usb.Ask(Request(3, 1))), (TBytes{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0}));
    EXPECT_EQ(usb.Exchange(Request(3, 1, kStop), 7), Reply({3, 1}));
    TBytes expected = kStop;
    expected.push_back(0);
    EXPECT_EQ(ReplyData(usb.Ask(Request(3, 1))), expected);
    EXPECT_EQ(sim.Ergometer(), nullptr);
}

TEST(UsbBrakeRequestTest, OnTheErgometerTheBrakeIsEddyCurrentAndTheLiveValuesMove) {
    THeadUnitSimulator sim(HeadUnit(true));
    sim.Start();
    TUsbClient usb(sim.SocketPath());
    ASSERT_EQ(usb.Identity(), "VELTRAK 7");
    EXPECT_EQ(ReplyData(usb.Ask(Request(3, 1))).back(), 1);
    EXPECT_EQ(ReplyData(usb.Ask(Request(2, 3))), (TBytes{0x03, 0xE8})) << "the flywheel's 1 m";
    const TBytes load = {0, 0, 0x87, 0x95, 0, 0, 0, 0, 0, 0xF0, 0, 0, 1}; // 32 768 + 1941
    EXPECT_EQ(usb.Exchange(Request(3, 1, load), 7), Reply({3, 1}));
    EXPECT_EQ(sim.Ergometer()->Truth().brake.offset, 32768u + 1941);
    while (sim.Ergometer()->Truth().seconds < 30) {
    }
    const TBytes live = ReplyData(usb.Ask(Request(1, 6)));
    ASSERT_EQ(live.size(), 10u);
    const TErgometerTruth truth = sim.Ergometer()->Truth();
    EXPECT_NEAR(live[0] << 8 | live[1], truth.measuredPower, 30);
    EXPECT_NEAR(live[2], truth.cadence, 3);
    EXPECT_NEAR((live[3] << 8 | live[4]) * 100000 / 3600, truth.speed, 300); // 0.1 km/h
    EXPECT_NEAR(live[5], truth.heartRate, 3);
    EXPECT_EQ(live[8] << 8 | live[9], 215);
}

} // namespace
} // namespace klt::sim
