// The generation VI and 7 head unit as the computer's simulated FTDI backend meets it: typed frames
// over a Unix socket, the greeting on connect, binary requests through data frames.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/sim/UsbTestClient.h"
#include "tests/support/SimProcess.h"
#include "tools/sim/HeadUnitSimulator.h"

namespace klt::sim {
namespace {

using namespace klt::sim::test;

TSimOptions Generation(int generation) {
    TSimOptions options;
    options.generation = generation;
    options.clock = 1700000000;
    return options;
}

TEST(UsbHeadUnitTest, NamesItselfOnEveryConnection) {
    for (const int generation : {6, 7}) {
        THeadUnitSimulator sim(Generation(generation));
        sim.Start();
        EXPECT_TRUE(sim.SlavePath().empty());
        for (int plug = 0; plug < 2; ++plug) {
            TUsbClient usb(sim.SocketPath());
            ASSERT_TRUE(usb.Connected()) << sim.SocketPath();
            EXPECT_EQ(usb.Identity(), "VELTRAK " + std::to_string(generation));
        }
        EXPECT_EQ(sim.State().usbOpens, 2);
    }
}

class UsbHeadUnitOpen : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(usb_.Identity(), "VELTRAK 7"); }
    THeadUnitSimulator sim_{Generation(7)};
    TUsbClient usb_{(sim_.Start(), sim_.SocketPath())};
};

TEST_F(UsbHeadUnitOpen, IdentifiesWithItsFirmwareVersion) {
    EXPECT_EQ(usb_.Exchange(Request(1, 1), 9), Reply({1, 1, 0xE5, 0x17}));
    ASSERT_EQ(sim_.State().usbRequests.size(), 1u);
    EXPECT_EQ(sim_.State().usbRequests[0].requestClass, 1);
}

TEST_F(UsbHeadUnitOpen, UnknownKindsAndBadChecksumsAreInvalidRequests) {
    EXPECT_EQ(usb_.Exchange(Request(3, 9), 7), Reply({0xFF, 4}));
    TBytes spoilt = Request(1, 1);
    spoilt.back() ^= 0x01;
    EXPECT_EQ(usb_.Exchange(spoilt, 7), Reply({0xFF, 4}));
    EXPECT_EQ(sim_.State().badChecksumsHeard, 1);
    // A wrong-sized write of a setting changes nothing.
    EXPECT_EQ(usb_.Exchange(Request(2, 3, {1}), 7), Reply({0xFF, 4}));
    EXPECT_EQ(usb_.Exchange(Request(2, 3), 9), Reply({2, 3, 0x08, 0x2F}));
}

TEST_F(UsbHeadUnitOpen, RequestsSplitOrJoinedAcrossWritesAreAllAnswered) {
    const TBytes request = Request(2, 1);
    EXPECT_TRUE(usb_.Send('D', TBytes(request.begin(), request.begin() + 3)));
    TBytes rest(request.begin() + 3, request.end());
    const TBytes second = Request(2, 12);
    rest.insert(rest.end(), second.begin(), second.end());
    TBytes both = Reply({2, 1, 0x00, 0xFA});
    const TBytes third = Reply({2, 12, 3});
    both.insert(both.end(), third.begin(), third.end());
    EXPECT_EQ(usb_.Exchange(rest, both.size()), both);
}

TEST_F(UsbHeadUnitOpen, KeepsWrittenSettingsAndTheClock) {
    EXPECT_EQ(usb_.Exchange(Request(2, 3, {0x08, 0x00}), 7), Reply({2, 3}));
    EXPECT_EQ(usb_.Exchange(Request(2, 3), 9), Reply({2, 3, 0x08, 0x00}));
    EXPECT_EQ(usb_.Exchange(Request(2, 14, {24, 12, 0x07, 0xEA, 10, 20, 30}), 7), Reply({2, 14}));
    const TBytes clock = usb_.Exchange(Request(2, 14), 14);
    ASSERT_EQ(clock.size(), 14u);
    EXPECT_EQ(TBytes(clock.begin() + 4, clock.begin() + 10), (TBytes{2, 14, 24, 12, 0x07, 0xEA}));
    EXPECT_EQ(usb_.Exchange(Request(2, 14, {31, 2, 0x07, 0xEA, 10, 20, 30}), 7), Reply({0xFF, 4}));
}

TEST_F(UsbHeadUnitOpen, ChipSettingsAreTakenAndBitModesKeptInOrder) {
    EXPECT_TRUE(usb_.Send('B', {0, 0, 0x96, 0}));
    EXPECT_TRUE(usb_.Send('L', {8, 1, 'N'}));
    EXPECT_TRUE(usb_.Send('K', {1}));
    EXPECT_TRUE(usb_.Send('K', {0}));
    EXPECT_TRUE(usb_.Send('R'));
    EXPECT_TRUE(usb_.Send('P', {3}));
    EXPECT_TRUE(usb_.Send('Z', {1, 2, 3})); // a type from a later version is passed over
    for (const int value : {0x30, 0x31, 0x30}) {
        EXPECT_TRUE(usb_.Send('M', {static_cast<uint8_t>(value), 0x20}));
    }
    // A request split by a reset is forgotten, as the chip's buffers are.
    const TBytes request = Request(1, 1);
    EXPECT_TRUE(usb_.Send('D', TBytes(request.begin(), request.begin() + 4)));
    EXPECT_TRUE(usb_.Send('R'));
    EXPECT_EQ(usb_.Exchange(request, 9), Reply({1, 1, 0xE5, 0x17})) << "still serving";
    const TSimState state = sim_.State();
    EXPECT_EQ(state.usbBitModeWrites,
              (std::vector<TBitModeWrite>{{0x30, 0x20}, {0x31, 0x20}, {0x30, 0x20}}));
    EXPECT_EQ(state.usbBitModes, 3);
    EXPECT_EQ(state.usbResets, 2);
    EXPECT_EQ(state.usbPurges, 1);
    EXPECT_EQ(state.usbRequests.size(), 1u);
}

TEST_F(UsbHeadUnitOpen, CyclingThePortUnplugsUntilTheNextConnection) {
    EXPECT_TRUE(usb_.Send('C'));
    EXPECT_TRUE(usb_.HungUp());
    EXPECT_EQ(sim_.State().usbCycles, 1);
    TUsbClient again(sim_.SocketPath());
    EXPECT_EQ(again.Identity(), "VELTRAK 7");
    EXPECT_EQ(again.Exchange(Request(1, 1), 9), Reply({1, 1, 0xE5, 0x17}));
}

TEST_F(UsbHeadUnitOpen, AnOversizedFrameEndsTheConnection) {
    EXPECT_TRUE(usb_.SendRaw({'D', 0xFF, 0xFF, 0xA4}));
    EXPECT_TRUE(usb_.HungUp());
    TUsbClient again(sim_.SocketPath());
    EXPECT_EQ(again.Identity(), "VELTRAK 7");
}

TEST(UsbHeadUnitFaultTest, OlderFirmwareRefusesNewerKindsAndFaultsShowOnRequest) {
    TSimOptions options = Generation(6);
    options.firmware = 38170;
    options.faults.busyEvery = 3;
    options.faults.checksumEvery = 4;
    THeadUnitSimulator sim(options);
    sim.Start();
    TUsbClient usb(sim.SocketPath());
    ASSERT_EQ(usb.Identity(), "VELTRAK 6");
    EXPECT_EQ(usb.Exchange(Request(2, 20), 8), Reply({2, 20, 2}));
    EXPECT_EQ(usb.Exchange(Request(1, 12), 7), Reply({0xFF, 4})) << "known from 38401 on";
    EXPECT_EQ(usb.Exchange(Request(1, 1), 7), Reply({0xFF, 5}));
    TBytes spoilt = Reply({1, 1, 0x95, 0x1A});
    spoilt.back() ^= 0x5A;
    EXPECT_EQ(usb.Exchange(Request(1, 1), 9), spoilt);
    EXPECT_EQ(sim.State().faultsInjected, 2);
}

TEST(UsbHeadUnitFaultTest, BadClockFaultShowsThirtyFirstOfFebruaryForTheFirstReadsOnly) {
    TSimOptions options = Generation(6);
    options.clock = 1796774400 + 3600; // 2026-12-09 01:00
    options.faults.badClockReads = 1;
    THeadUnitSimulator sim(options);
    sim.Start();
    TUsbClient usb(sim.SocketPath());
    ASSERT_EQ(usb.Identity(), "VELTRAK 6");
    const TBytes bad = ReplyData(usb.Ask(Request(2, 14)));
    ASSERT_EQ(bad.size(), 7u);
    EXPECT_EQ(TBytes(bad.begin(), bad.begin() + 5), (TBytes{31, 2, 0x07, 0xEA, 1})) << "year and hour stay right";
    const TBytes good = ReplyData(usb.Ask(Request(2, 14)));
    ASSERT_EQ(good.size(), 7u);
    EXPECT_EQ(TBytes(good.begin(), good.begin() + 4), (TBytes{9, 12, 0x07, 0xEA}));
    EXPECT_EQ(sim.State().faultsInjected, 1);
}

TEST(UsbHeadUnitBatteryTest, ReportsThePowerMetersBatteryAsASignedWordAndTheWordAfterIt) {
    const struct {
        int value, word;
        TBytes payload;
    } table[] = {
        {1200, 0, {0x04, 0xB0, 0, 0}},
        {-5, 0, {0xFF, 0xFB, 0, 0}}, // critical
        {32767, 0xBEEF, {0x7F, 0xFF, 0xBE, 0xEF}},
    };
    for (const auto& row : table) {
        TSimOptions options = Generation(7);
        options.battery = row.value;
        options.batteryWord = row.word;
        THeadUnitSimulator sim(options);
        sim.Start();
        TUsbClient usb(sim.SocketPath());
        ASSERT_EQ(usb.Identity(), "VELTRAK 7");
        EXPECT_EQ(ReplyData(usb.Ask(Request(1, 12))), row.payload) << row.value;
    }
}

TEST(UsbHeadUnitLineRateTest, RepliesArriveWholeAtLineRate) {
    TSimOptions options = Generation(7);
    options.lineRate = true;
    THeadUnitSimulator sim(options);
    sim.Start();
    TUsbClient usb(sim.SocketPath());
    ASSERT_EQ(usb.Identity(), "VELTRAK 7");
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(usb.Exchange(Request(2, 5), 27).size(), 27u); // initials, delivered in pieces
    }
    EXPECT_EQ(usb.Exchange(Request(1, 1), 9), Reply({1, 1, 0xE5, 0x17}));
}

TEST(UsbHeadUnitExecutableTest, PrintsTheSocketFirstAndServes) {
    klt::test::TSimProcess sim({"--generation", "6", "--line-rate", "--long-ride", "100"});
    std::string line = sim.FirstLine();
    line.erase(line.find_last_not_of("\r\n") + 1);
    ASSERT_EQ(line.rfind("USB /", 0), 0u) << line;
    {
        TUsbClient usb(line.substr(4));
        ASSERT_TRUE(usb.Connected()) << line;
        EXPECT_EQ(usb.Identity(), "VELTRAK 6");
        EXPECT_EQ(usb.Exchange(Request(4, 1), 9), Reply({4, 1, 0, 4})) << "long, morning and evening ride in two";
    }
    sim.CloseInput();
    EXPECT_EQ(sim.Exit(10), 0);
}

TEST(UsbHeadUnitExecutableTest, TakesTheBatteryAndMemoryOptionsAndRefusesPausesThatDoNotFit) {
    klt::test::TSimProcess sim({"--generation", "7", "--battery", "-5,7", "--end-every-block",
                                "--leading-pauses", "2", "--temperature", "-10", "--fault",
                                "extrarecords=1"});
    std::string line = sim.FirstLine();
    line.erase(line.find_last_not_of("\r\n") + 1);
    ASSERT_EQ(line.rfind("USB /", 0), 0u) << line;
    {
        TUsbClient usb(line.substr(4));
        ASSERT_EQ(usb.Identity(), "VELTRAK 7");
        EXPECT_EQ(ReplyData(usb.Ask(Request(1, 12))), (TBytes{0xFF, 0xFB, 0, 7}));
    }
    sim.CloseInput();
    EXPECT_EQ(sim.Exit(10), 0);

    klt::test::TSimProcess refused({"--generation", "7", "--interval", "0.5", "--leading-pauses", "3"});
    EXPECT_EQ(refused.Exit(10), 2);
}

} // namespace
} // namespace klt::sim
