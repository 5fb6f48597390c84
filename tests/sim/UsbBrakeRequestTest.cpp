// The brake request (class 3, code 1) of the simulated head unit, on a bicycle and on the
// ergometer, spoken byte by byte.
#include <gtest/gtest.h>

#include "tests/sim/UsbTestClient.h"
#include "tools/sim/HeadUnitSimulator.h"
#include "tools/sim/LiveErgometer.h"

namespace klt::sim {
namespace {

using namespace klt::sim::test;

// Offset 0x11000, limit 7828, slope 0xF00000, divisor 1.
const TBytes kStop = {0, 1, 0x10, 0, 0, 0, 0x1E, 0x94, 0, 0xF0, 0, 0, 1};

TEST(UsbBrakeRequestTest, MalformedWritesAreInvalidAndChangeNothing) {
    THeadUnitSimulator sim(Generation7(false));
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

TEST(UsbBrakeRequestTest, OnTheErgometerTheBrakeIsEddyCurrentAndActsAtOnce) {
    THeadUnitSimulator sim(Generation7(true));
    sim.Start();
    TUsbClient usb(sim.SocketPath());
    ASSERT_EQ(usb.Identity(), "VELTRAK 7");
    EXPECT_EQ(ReplyData(usb.Ask(Request(3, 1))).back(), 1);
    EXPECT_EQ(ReplyData(usb.Ask(Request(2, 3))), (TBytes{0x03, 0xE8})) << "the flywheel's 1 m";
    EXPECT_EQ(usb.Exchange(Request(3, 1, kStop), 7), Reply({3, 1}));
    EXPECT_EQ(sim.Ergometer()->Truth().brake.offset, 0x11000u);
}

} // namespace
} // namespace klt::sim
