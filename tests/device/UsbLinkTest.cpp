#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "device/transport/UsbLink.h"
#include "tests/support/ScriptedPrompt.h"

namespace klt {
namespace {

// FTDI devices with descriptions; statuses to fail with per operation.
class TScriptedFtdi : public IFtdiLink {
public:
    TFtStatus DeviceCount(int& count) override {
        count = static_cast<int>(devices.size());
        return countStatus;
    }
    TFtStatus DeviceDescription(int index, std::string& description) override {
        asked.push_back(index);
        description = devices.at(static_cast<size_t>(index));
        return FT_OK;
    }
    TFtStatus OpenByDescription(const std::string& description) override {
        if (throwOnOpen) {
            throw std::runtime_error("backend broke");
        }
        log.push_back("open " + description);
        return openStatus;
    }
    TFtStatus Close() override { return Log("close"); }
    TFtStatus ResetDevice() override { return Log("reset"); }
    TFtStatus PurgeTransmit() override { return Log("purge tx"); }
    TFtStatus PurgeReceive() override { return Log("purge rx"); }
    TFtStatus SetBreak(bool on) override { return Log(on ? "break on" : "break off"); }
    TFtStatus SetBaudRate(int baud) override { return Log("baud " + std::to_string(baud)); }
    TFtStatus SetDataCharacteristics(int bits, int stop, int parity) override {
        return Log("format " + std::to_string(bits) + std::to_string(stop) + std::to_string(parity));
    }
    TFtStatus SetFlowControlNone(uint8_t xon, uint8_t xoff) override {
        return Log("flow " + std::to_string(xon) + "/" + std::to_string(xoff));
    }
    TFtStatus SetTimeouts(int readMs, int writeMs) override {
        return Log("timeouts " + std::to_string(readMs) + "/" + std::to_string(writeMs));
    }
    TFtStatus QueueStatus(size_t& waiting) override {
        waiting = 0;
        return queueStatus;
    }
    TFtStatus Write(const uint8_t*, size_t count, size_t& written) override {
        written = count;
        return Log("write");
    }
    TFtStatus Read(uint8_t*, size_t, size_t& read) override {
        read = 0;
        return Log("read");
    }
    TFtStatus SetBitMode(uint8_t, uint8_t) override { return Log("bitmode"); }
    TFtStatus CyclePort() override { return Log("cycle"); }

    TFtStatus Log(const std::string& call) {
        log.push_back(call);
        return callStatus;
    }

    std::vector<std::string> devices;
    std::vector<int> asked;
    std::vector<std::string> log;
    TFtStatus countStatus = FT_OK, openStatus = FT_OK, queueStatus = FT_OK, callStatus = FT_OK;
    bool throwOnOpen = false;
};

TEST(UsbLink, DetectionTakesTheFirstHeadUnitListed) {
    test::TScriptedPrompt prompt;
    TScriptedFtdi ftdi;
    TUsbLink link(ftdi);
    ftdi.devices = {"FT232R USB UART", "VELTRAK 7"};
    EXPECT_EQ(link.DetectUsbHeadUnit(), 8);
    ftdi.devices = {"VELTRAK 7", "FT232R USB UART"};
    EXPECT_EQ(link.DetectUsbHeadUnit(), 8);
    ftdi.devices = {"VELTRAK 6", "VELTRAK 7"};
    EXPECT_EQ(link.DetectUsbHeadUnit(), 7);
    ftdi.asked.clear();
    ftdi.devices = {"VELTRAK 7", "VELTRAK 6"};
    EXPECT_EQ(link.DetectUsbHeadUnit(), 8);
    EXPECT_EQ(ftdi.asked, std::vector<int>{0});
    ftdi.devices = {"VELTRAK 70", "veltrak 6"};
    EXPECT_EQ(link.DetectUsbHeadUnit(), 0);
    EXPECT_EQ(link.LastDescription(), "veltrak 6");
}

TEST(UsbLink, DetectionIsSilent) {
    test::TScriptedPrompt prompt;
    TScriptedFtdi ftdi;
    ftdi.countStatus = FT_IO_ERROR;
    TUsbLink link(ftdi);
    EXPECT_TRUE(link.ErrorDisplay());
    EXPECT_EQ(link.DetectUsbHeadUnit(), 0);
    EXPECT_FALSE(link.ErrorDisplay());
    EXPECT_TRUE(prompt.shown.empty());
}

TEST(UsbLink, FailuresShowTheOperationAndStatusWhileDisplayIsOn) {
    test::TScriptedPrompt prompt;
    TScriptedFtdi ftdi;
    TUsbLink link(ftdi);
    link.SetErrorPrompt(&prompt);
    const std::pair<TFtStatus, const char*> expected[] = {
        {FT_INVALID_HANDLE, "FT_SetBaudRate - Invalid Handle..."},
        {FT_DEVICE_NOT_FOUND, "FT_SetBaudRate - Device Not Found...."},
        {FT_DEVICE_NOT_OPENED, "FT_SetBaudRate - Device Not Opened..."},
        {FT_IO_ERROR, "FT_SetBaudRate - General IO Error..."},
        {FT_INSUFFICIENT_RESOURCES, "FT_SetBaudRate - Insufficient Resources..."}};
    for (const auto& [status, text] : expected) {
        ftdi.callStatus = status;
        EXPECT_EQ(link.SetBaudRate(38400), status);
        ASSERT_FALSE(prompt.shown.empty());
        EXPECT_EQ(prompt.shown.back().text, text);
    }
    prompt.shown.clear();
    ftdi.callStatus = 6; // no text for other statuses
    link.SetBaudRate(38400);
    EXPECT_TRUE(prompt.shown.empty());

    ftdi.callStatus = FT_IO_ERROR;
    link.Purge();
    link.SetBreak(false);
    link.SetBitMode(0xF1, 0x20);
    size_t n = 0;
    uint8_t byte = 0;
    link.Write(&byte, 1, n);
    EXPECT_EQ(link.LastStatus(), FT_IO_ERROR);
    ASSERT_EQ(prompt.shown.size(), 4u);
    EXPECT_EQ(prompt.shown[0].text, "FT_Purge TX - General IO Error...");
    EXPECT_EQ(prompt.shown[1].text, "FT_SetBreakOff - General IO Error...");
    EXPECT_EQ(prompt.shown[2].text, "FT_SetBitMode  - General IO Error...");
    EXPECT_EQ(prompt.shown[3].text, "FT_Write - General IO Error...");

    prompt.shown.clear();
    link.SetErrorDisplay(false);
    link.CyclePort();
    EXPECT_TRUE(prompt.shown.empty());
}

TEST(UsbLink, OpeningSetsTheHeadUnitLineUp) {
    test::TScriptedPrompt prompt;
    TScriptedFtdi ftdi;
    TUsbLink link(ftdi);
    EXPECT_EQ(link.OpenHeadUnitLink("VELTRAK 7"), FT_OK);
    EXPECT_TRUE(link.IsOpen());
    EXPECT_EQ(ftdi.log, (std::vector<std::string>{"open VELTRAK 7", "reset", "baud 38400", "flow 17/19",
                                                  "format 800", "timeouts 500/500"}));
    EXPECT_EQ(link.CloseHeadUnitLink(), FT_OK);
    EXPECT_FALSE(link.IsOpen());
}

TEST(UsbLink, FailedOrBrokenOpenLeavesTheLinkClosed) {
    test::TScriptedPrompt prompt;
    TScriptedFtdi ftdi;
    TUsbLink link(ftdi);
    link.SetErrorDisplay(false);
    ftdi.openStatus = FT_DEVICE_NOT_FOUND;
    EXPECT_EQ(link.OpenHeadUnitLink("VELTRAK 6"), FT_DEVICE_NOT_FOUND);
    EXPECT_FALSE(link.IsOpen());
    ftdi.throwOnOpen = true;
    EXPECT_NE(link.OpenHeadUnitLink("VELTRAK 6"), FT_OK);
    EXPECT_FALSE(link.IsOpen());
}

TEST(UsbLink, LinkIsLostWhenClosedOrTheQueueCannotBeAsked) {
    test::TScriptedPrompt prompt;
    TScriptedFtdi ftdi;
    TUsbLink link(ftdi);
    EXPECT_TRUE(link.UsbLinkLost()); // never opened
    link.OpenHeadUnitLink("VELTRAK 7");
    EXPECT_FALSE(link.UsbLinkLost());
    ftdi.queueStatus = FT_IO_ERROR;
    EXPECT_TRUE(link.UsbLinkLost());
    EXPECT_FALSE(link.IsOpen());
    ftdi.queueStatus = FT_OK;
    EXPECT_TRUE(link.UsbLinkLost());   // stays lost until opened again
    EXPECT_TRUE(prompt.shown.empty()); // the queue check is never shown
}

} // namespace
} // namespace klt
