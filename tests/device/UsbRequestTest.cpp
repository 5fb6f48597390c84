#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <fstream>

#include "core/Exceptions.h"
#include "device/VeltrakExceptions.h"
#include "device/usb/UsbRequest.h"
#include "device/usb/UsbTrafficLog.h"
#include "tests/device/FakeLine.h"
#include "tests/support/ScriptedPrompt.h"

namespace klt {
namespace {

using test::TFakeClock;
using test::TScriptedPrompt;

// An FTDI link whose head unit answers each request with the next scripted reply.
class TScriptedFtdi : public IFtdiLink {
public:
    std::deque<std::vector<uint8_t>> replies;
    std::vector<std::vector<uint8_t>> requests;
    std::deque<uint8_t> incoming;
    int breaks = 0;

    TFtStatus DeviceCount(int& count) override { return count = 1, FT_OK; }
    TFtStatus DeviceDescription(int, std::string& d) override { return d = "VELTRAK 7", FT_OK; }
    TFtStatus OpenByDescription(const std::string&) override { return FT_OK; }
    TFtStatus Close() override { return FT_OK; }
    TFtStatus ResetDevice() override { return FT_OK; }
    TFtStatus PurgeTransmit() override { return FT_OK; }
    TFtStatus PurgeReceive() override { return incoming.clear(), FT_OK; }
    TFtStatus SetBreak(bool on) override { return breaks += on ? 1 : 0, FT_OK; }
    TFtStatus SetBaudRate(int) override { return FT_OK; }
    TFtStatus SetDataCharacteristics(int, int, int) override { return FT_OK; }
    TFtStatus SetFlowControlNone(uint8_t, uint8_t) override { return FT_OK; }
    TFtStatus SetTimeouts(int, int) override { return FT_OK; }
    TFtStatus QueueStatus(size_t& waiting) override { return waiting = incoming.size(), FT_OK; }
    TFtStatus Write(const uint8_t* bytes, size_t count, size_t& written) override {
        requests.emplace_back(bytes, bytes + count);
        written = count;
        if (!replies.empty()) {
            incoming.insert(incoming.end(), replies.front().begin(), replies.front().end());
            replies.pop_front();
        }
        return FT_OK;
    }
    TFtStatus Read(uint8_t* bytes, size_t count, size_t& read) override {
        read = 0;
        while (read < count && !incoming.empty()) {
            bytes[read++] = incoming.front();
            incoming.pop_front();
        }
        return FT_OK;
    }
    TFtStatus SetBitMode(uint8_t, uint8_t) override { return FT_OK; }
    TFtStatus CyclePort() override { return FT_OK; }
};

std::vector<uint8_t> Reply(std::vector<uint8_t> payload) {
    const auto length = static_cast<uint16_t>(payload.size() + 1);
    std::vector<uint8_t> reply{0xA4, 0xB0, static_cast<uint8_t>(length >> 8), static_cast<uint8_t>(length)};
    reply.insert(reply.end(), payload.begin(), payload.end());
    uint8_t checksum = 0;
    for (uint8_t b : reply) {
        checksum ^= b;
    }
    reply.push_back(checksum);
    return reply;
}

constexpr TUsbRequestKind kReadStatus{5, 2, 3};

TEST(UsbRequest, LengthAndChecksumLeaveOutTheLastByte) {
    EXPECT_EQ(BuildUsbRequest(2, 3, {}),
              (std::vector<uint8_t>{0xA4, 0xB0, 0x00, 0x03, 2, 3, 0xA4 ^ 0xB0 ^ 0x03 ^ 2}));
    const std::array<uint8_t, 2> data{0x10, 0x20};
    EXPECT_EQ(BuildUsbRequest(2, 3, data), (std::vector<uint8_t>{0xA4, 0xB0, 0x00, 0x05, 2, 3, 0x10, 0x20,
                                                                 0xA4 ^ 0xB0 ^ 0x05 ^ 2 ^ 3 ^ 0x10}));
}

struct TUsbRig {
    TScriptedFtdi ftdi;
    TFakeClock clock;
    TUsbRequestLink link{ftdi, clock, nullptr, nullptr};
};

TEST(UsbRequest, PayloadFollowsClassAndCode) {
    TUsbRig rig;
    std::vector<uint8_t> noisy{0x00, 0x17}; // noise before the reply
    const auto reply = Reply({2, 3, 0x42, 0x43});
    noisy.insert(noisy.end(), reply.begin(), reply.end());
    rig.ftdi.replies = {noisy};
    ASSERT_TRUE(rig.link.SendRequest(kReadStatus, {}));
    EXPECT_EQ(rig.link.Payload(), (std::vector<uint8_t>{0x42, 0x43}));
    EXPECT_EQ(rig.ftdi.requests.size(), 1u);
}

TEST(UsbRequest, WrongAnswersAreRetriedTwice) {
    TUsbRig rig;
    rig.ftdi.replies = {Reply({2, 9, 1}), Reply({2, 9, 1}), Reply({2, 9, 1}), Reply({2, 3, 1})};
    EXPECT_FALSE(rig.link.SendRequest(kReadStatus, {}));
    EXPECT_EQ(rig.ftdi.requests.size(), 3u);
    rig.ftdi.replies = {Reply({2, 9, 1})};
    EXPECT_FALSE(rig.link.SendRequest({30, 2, 3}, {})); // never retried
    EXPECT_EQ(rig.ftdi.requests.size(), 4u);
}

TEST(UsbRequest, InvalidRequestAndBadChecksum) {
    TUsbRig rig;
    for (int i = 0; i < 4; ++i) {
        rig.ftdi.replies.push_back(Reply({0xFF, 4}));
    }
    EXPECT_THROW(rig.link.SendRequest(kReadStatus, {}), EVeltrakInvalidRequest);
    EXPECT_EQ(rig.ftdi.requests.size(), 4u); // first try and three more
    EXPECT_EQ(rig.link.ConsecutiveFailures(), 4);

    std::vector<uint8_t> corrupted = Reply({2, 3, 7});
    corrupted.back() ^= 1;
    rig.ftdi.replies = {corrupted, corrupted, corrupted, corrupted};
    try {
        rig.link.SendRequest(kReadStatus, {});
        FAIL();
    } catch (const Exception& e) {
        EXPECT_STREQ(e.what(), "Invalid data from Veltrak received\r\n Please try again later");
    }
    EXPECT_EQ(rig.link.ConsecutiveFailures(), 7); // the seventh passes on
}

TEST(UsbRequest, SilenceResetsTheLine) {
    TUsbRig rig;
    EXPECT_FALSE(rig.link.SendRequest(kReadStatus, {}));
    EXPECT_EQ(rig.ftdi.breaks, 3);
    EXPECT_THROW(rig.link.SendRequest({7, 2, 1}, {}), Exception); // class 2, code 1
}

TEST(UsbRequest, BusyWaitsOrCancels) {
    TUsbRig rig;
    TScriptedPrompt prompt({TPromptAnswer::Ok, TPromptAnswer::Cancel});
    rig.ftdi.replies = {Reply({0xFF, 5}), Reply({2, 3})};
    const uint32_t before = rig.clock.now;
    EXPECT_TRUE(rig.link.SendRequest(kReadStatus, {}));
    EXPECT_GE(rig.clock.now - before, 5000u);
    EXPECT_EQ(prompt.shown[0].text, "Veltrak busy\r\nPlease wait");
    rig.ftdi.replies = {Reply({0xFF, 5})};
    EXPECT_THROW(rig.link.SendRequest(kReadStatus, {}), EVeltrakAbort);
}

TEST(UsbTrafficLog, LinesBelowTheDatabase) {
    const auto dir = std::filesystem::temp_directory_path() / ("klt-usblog-" + std::to_string(::getpid()));
    std::filesystem::remove_all(dir);
    {
        TUsbTrafficLog log(dir.string());
        const std::array<uint8_t, 3> sent{0xA4, 0xB0, 0x0F};
        log.Sent(sent);
        log.Received(std::span(sent).first(1));
        std::ifstream in(log.Path());
        const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        EXPECT_EQ(text, "Send:A4,B0,0F,;\nReceived:A4,;\n");
        EXPECT_EQ(std::filesystem::path(log.Path()).parent_path().filename(), "LogCommFiles");
    }
    std::filesystem::remove_all(dir);
    TUsbTrafficLog unwritable("/proc/klt-no-such-dir");
    const std::array<uint8_t, 1> byte{1};
    unwritable.Sent(byte); // no crash, no throw
}

} // namespace
} // namespace klt
