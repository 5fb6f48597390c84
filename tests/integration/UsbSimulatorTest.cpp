// The program's simulated FTDI backend and USB link against the simulated generation VI and 7 head
// unit: found, opened, spoken to, reset through its CBUS pins, cycled and unplugged.
#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include "device/transport/SimFtdiLink.h"
#include "device/transport/UsbLink.h"
#include "device/usb/UsbRequest.h"
#include "tests/integration/SimulatorRig.h"
#include "tests/support/ScriptedPrompt.h"

namespace klt {
namespace {

using TBytes = std::vector<uint8_t>;

TBytes Request(uint8_t requestClass, uint8_t code) {
    TBytes r = {0xA4, 0xB0, 0x00, 3, requestClass, code};
    r.push_back(static_cast<uint8_t>(0xA4 ^ 0xB0 ^ 0x00 ^ 3 ^ requestClass));
    return r;
}

struct TUsbRig {
    explicit TUsbRig(const sim::TSimOptions& options)
        : sim(options), driver((sim.Start(), sim.SocketPath())), usb(driver) {
        usb.SetErrorDisplay(false);
    }
    // Sends a request and reads its reply frame; empty when the link failed.
    TBytes Ask(uint8_t requestClass, uint8_t code) {
        const TBytes request = Request(requestClass, code);
        size_t written = 0;
        if (usb.Write(request.data(), request.size(), written) != FT_OK) {
            return {};
        }
        TBytes reply(4);
        if (!ReadAll(reply.data(), 4)) {
            return {};
        }
        reply.resize(4 + (size_t{reply[2]} << 8 | reply[3]));
        return ReadAll(reply.data() + 4, reply.size() - 4) ? reply : TBytes{};
    }
    bool ReadAll(uint8_t* bytes, size_t count) {
        for (size_t got = 0, read = 0, tries = 0; got < count; got += read) {
            if (usb.Read(bytes + got, count - got, read) != FT_OK || ++tries > 20) {
                return false;
            }
        }
        return true;
    }

    test::TScriptedPrompt prompt;
    sim::THeadUnitSimulator sim;
    TSimFtdiLink driver;
    TUsbLink usb;
};

TEST(UsbSimulatorTest, FoundOpenedIdentifiedResetAndCycled) {
    TUsbRig rig(test::SimOptions(7));
    EXPECT_EQ(rig.usb.DetectUsbHeadUnit(), 8);
    EXPECT_NE(rig.usb.OpenHeadUnitLink("VELTRAK 6"), FT_OK);
    ASSERT_EQ(rig.usb.OpenHeadUnitLink("VELTRAK 7"), FT_OK);
    EXPECT_FALSE(rig.usb.UsbLinkLost());
    EXPECT_EQ(rig.Ask(1, 1), (TBytes{0xA4, 0xB0, 0x00, 0x05, 1, 1, 0xE5, 0x17, 0xA4 ^ 0xB0 ^ 5 ^ 1 ^ 1 ^ 0xE5 ^ 0x17}));
    for (const int value : {0x30, 0x31, 0x30, 0x30, 0x31, 0x30}) {
        EXPECT_EQ(rig.usb.SetBitMode(static_cast<uint8_t>(value), 0x20), FT_OK);
    }
    EXPECT_EQ(rig.usb.CyclePort(), FT_OK);
    EXPECT_TRUE(rig.usb.UsbLinkLost());
    rig.usb.CloseHeadUnitLink();
    ASSERT_EQ(rig.usb.OpenHeadUnitLink("VELTRAK 7"), FT_OK);
    EXPECT_EQ(rig.Ask(1, 1).size(), 9u);

    const sim::TSimState state = rig.sim.State();
    EXPECT_EQ(state.usbBitModeWrites, (std::vector<sim::TBitModeWrite>{
                                          {0x30, 0x20}, {0x31, 0x20}, {0x30, 0x20}, {0x30, 0x20}, {0x31, 0x20}, {0x30, 0x20}}));
    EXPECT_EQ(state.usbCycles, 1);
    EXPECT_GE(state.usbResets, 1) << "opening resets the device";
}

TEST(UsbSimulatorTest, UnpluggedInTheMiddleOfADownloadTheLinkIsLostAndOpensAgain) {
    sim::TSimOptions options = test::SimOptions(6);
    options.faults.unplugAfterBlocks = 1;
    TUsbRig rig(options);
    ASSERT_EQ(rig.usb.OpenHeadUnitLink("VELTRAK 6"), FT_OK);
    const TBytes count = rig.Ask(4, 1);
    ASSERT_EQ(count.size(), 9u);
    EXPECT_EQ(rig.Ask(4, 2).size(), 46u);
    const TBytes block = rig.Ask(4, 4);
    EXPECT_EQ(block.size(), 7u + 32 * 16) << "the block before the cable is pulled";
    EXPECT_TRUE(rig.Ask(4, 4).empty());
    EXPECT_TRUE(rig.usb.UsbLinkLost());
    rig.usb.CloseHeadUnitLink();
    ASSERT_EQ(rig.usb.OpenHeadUnitLink("VELTRAK 6"), FT_OK);
    EXPECT_EQ(rig.Ask(4, 1), count) << "memory intact";
    EXPECT_EQ(rig.Ask(4, 2).size(), 46u);
    EXPECT_EQ(rig.Ask(4, 4), block);
    EXPECT_EQ(rig.sim.State().usbUnplugs, 1);
}

// A request and, when it brings no good reply, its fallback.
bool Ask(TUsbRequestLink& link, const TUsbRequestKind& kind, const TUsbRequestKind& fallback) {
    try {
        if (link.SendRequest(kind, {})) {
            return true;
        }
    } catch (const std::exception&) {
    }
    return link.SendRequest(fallback, {});
}

TEST(UsbSimulatorTest, SectionsReadThroughTheRequestLinkGiveTheExpectedSamplesDespiteSpoiltReplies) {
    sim::TSimOptions options = test::SimOptions(7);
    options.rideMinutes = 15;
    options.faults.checksumEvery = 7;
    TUsbRig rig(options);
    ASSERT_EQ(rig.usb.OpenHeadUnitLink("VELTRAK 7"), FT_OK);
    TUsbRequestLink link(rig.driver, RealProtocolClock(), nullptr, [] {}, [] { return true; });
    const TUsbRequestKind count{29, 4, 1}, header{30, 4, 2}, headerAgain{31, 4, 3}, block{32, 4, 4},
        blockAgain{33, 4, 5};
    ASSERT_TRUE(link.SendRequest(count, {}));
    ASSERT_EQ(link.Payload().size(), 2u);
    const int sections = link.Payload()[0] << 8 | link.Payload()[1];
    std::vector<int> powers; // of every sample, pauses left out, in memory order
    for (int s = 0; s < sections; ++s) {
        ASSERT_TRUE(Ask(link, header, headerAgain)) << s;
        ASSERT_EQ(link.Payload().size(), 39u);
        for (bool end = false; !end;) {
            ASSERT_TRUE(Ask(link, block, blockAgain)) << s;
            const std::vector<uint8_t>& records = link.Payload();
            ASSERT_EQ(records.size() % 16, 0u);
            end = records.size() < 32 * 16;
            for (size_t at = 0; at < records.size(); at += 16) {
                end = end || records[at + 10] == 0xFF;
                const bool pause = std::all_of(records.begin() + static_cast<long>(at),
                                               records.begin() + static_cast<long>(at + 6),
                                               [](uint8_t b) { return b == 0; });
                if (records[at + 10] != 0xFF && !pause) {
                    powers.push_back(records[at] << 8 | records[at + 1]);
                }
            }
        }
    }
    std::vector<int> expected;
    for (const sim::TExpectedTraining& training : rig.sim.ExpectedTrainings()) {
        for (const sim::TExpectedSample& sample : training.samples) {
            expected.push_back(sample.powerWatts);
        }
    }
    EXPECT_EQ(powers, expected);
    EXPECT_GT(rig.sim.State().faultsInjected, 0);
}

} // namespace
} // namespace klt
