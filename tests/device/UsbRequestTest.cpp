#include <gtest/gtest.h>

#include <deque>

#include "core/Exceptions.h"
#include "device/VeltrakExceptions.h"
#include "device/usb/UsbRequest.h"
#include "device/usb/UsbTrafficLog.h"
#include "tests/device/FakeFtdi.h"
#include "tests/support/RawTraining.h"
#include "tests/support/ScriptedPrompt.h"

namespace klt {
namespace {

using test::TFakeClock;
using test::TScriptedPrompt;

using test::ReplyFrame;

constexpr TUsbRequestKind kReadStatus{5, 2, 3};

TEST(UsbRequest, LengthAndChecksumLeaveOutTheLastByte) {
    EXPECT_EQ(BuildUsbRequest(2, 3, {}),
              (std::vector<uint8_t>{0xA4, 0xB0, 0x00, 0x03, 2, 3, 0xA4 ^ 0xB0 ^ 0x03 ^ 2}));
    const std::array<uint8_t, 2> data{0x10, 0x20};
    EXPECT_EQ(BuildUsbRequest(2, 3, data), (std::vector<uint8_t>{0xA4, 0xB0, 0x00, 0x05, 2, 3, 0x10, 0x20,
                                                                 0xA4 ^ 0xB0 ^ 0x05 ^ 2 ^ 3 ^ 0x10}));
}

struct TUsbRig {
    test::TFakeFtdi ftdi;
    TFakeClock clock;
    TUsbRequestLink link{ftdi, clock, nullptr, nullptr, [] {
                             return Prompt().Ask("Warning", kBusyText, TPromptButtons::OkCancel) == TPromptAnswer::Ok;
                         }};
};

TEST(UsbRequest, PayloadFollowsClassAndCode) {
    TUsbRig rig;
    std::vector<uint8_t> noisy{0x00, 0x17}; // noise before the reply
    const auto reply = ReplyFrame({2, 3, 0x42, 0x43});
    noisy.insert(noisy.end(), reply.begin(), reply.end());
    rig.ftdi.replies = {noisy};
    ASSERT_TRUE(rig.link.SendRequest(kReadStatus, {}));
    EXPECT_EQ(rig.link.Payload(), (std::vector<uint8_t>{0x42, 0x43}));
    EXPECT_EQ(rig.ftdi.requests.size(), 1u);
}

TEST(UsbRequest, WrongAnswersAreRetriedTwice) {
    TUsbRig rig;
    rig.ftdi.replies = {ReplyFrame({2, 9, 1}), ReplyFrame({2, 9, 1}), ReplyFrame({2, 9, 1}), ReplyFrame({2, 3, 1})};
    EXPECT_FALSE(rig.link.SendRequest(kReadStatus, {}));
    EXPECT_EQ(rig.ftdi.requests.size(), 3u);
    rig.ftdi.replies = {ReplyFrame({2, 9, 1})};
    EXPECT_FALSE(rig.link.SendRequest({30, 2, 3}, {})); // never retried
    EXPECT_EQ(rig.ftdi.requests.size(), 4u);
}

TEST(UsbRequest, InvalidRequestAndBadChecksum) {
    TUsbRig rig;
    for (int i = 0; i < 4; ++i) {
        rig.ftdi.replies.push_back(ReplyFrame({0xFF, 4}));
    }
    EXPECT_THROW(rig.link.SendRequest(kReadStatus, {}), EVeltrakInvalidRequest);
    EXPECT_EQ(rig.ftdi.requests.size(), 4u); // first try and three more
    EXPECT_EQ(rig.link.ConsecutiveFailures(), 4);

    std::vector<uint8_t> corrupted = ReplyFrame({2, 3, 7});
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

TEST(UsbRequest, GarbledRepliesBeyondTheRetriesAreAFailedRequestUntilTheSeventhInARow) {
    TUsbRig rig;
    std::vector<uint8_t> corrupted = ReplyFrame({2, 3, 7});
    corrupted.back() ^= 1;
    rig.ftdi.replies.assign(4, corrupted);
    EXPECT_FALSE(rig.link.SendRequest(kReadStatus, {})); // the caller decides, as for silence
    EXPECT_EQ(rig.ftdi.requests.size(), 4u);
    EXPECT_EQ(rig.link.ConsecutiveFailures(), 4);
    rig.ftdi.replies.assign(4, corrupted);
    EXPECT_THROW(rig.link.SendRequest(kReadStatus, {}), Exception);
    EXPECT_EQ(rig.link.ConsecutiveFailures(), 7);
}

TEST(UsbRequest, SilenceResetsTheLine) {
    TUsbRig rig;
    EXPECT_FALSE(rig.link.SendRequest(kReadStatus, {}));
    EXPECT_EQ(rig.ftdi.breaks, 3);
    // Class 2, code 1: silence is invalid data, retried as a failure three more times.
    EXPECT_FALSE(rig.link.SendRequest({7, 2, 1}, {}));
    EXPECT_EQ(rig.ftdi.breaks, 3 + 4);
    EXPECT_EQ(rig.link.ConsecutiveFailures(), 4);
}

TEST(UsbRequest, AnAbortWhileTheHeadUnitIsSilentEndsTheRequestAtItsFirstEmptyRead) {
    test::TFakeFtdi ftdi;
    TFakeClock clock;
    int idles = 0;
    TUsbRequestLink link{ftdi, clock, nullptr, [&] {
                             ++idles;
                             throw EVeltrakAbort(); // as the protocol's idle hook does once asked to stop
                         },
                         nullptr};
    EXPECT_THROW(link.SendRequest(kReadStatus, {}), EVeltrakAbort);
    EXPECT_EQ(idles, 1);
    EXPECT_EQ(ftdi.requests.size(), 1u); // neither the line reset nor the retries waited for
    EXPECT_EQ(ftdi.breaks, 0);
}

TEST(UsbRequest, BusyWaitsOrCancels) {
    TUsbRig rig;
    TScriptedPrompt prompt({TPromptAnswer::Ok, TPromptAnswer::Cancel});
    rig.ftdi.replies = {ReplyFrame({0xFF, 5}), ReplyFrame({2, 3})};
    const uint32_t before = rig.clock.now;
    EXPECT_TRUE(rig.link.SendRequest(kReadStatus, {}));
    EXPECT_GE(rig.clock.now - before, 5000u);
    EXPECT_EQ(prompt.shown[0].text, "Veltrak busy\r\nPlease wait");
    rig.ftdi.replies = {ReplyFrame({0xFF, 5})};
    EXPECT_THROW(rig.link.SendRequest(kReadStatus, {}), EVeltrakAbort);
}

TEST(UsbRequest, ABusyHeadUnitIsAskedTheSameAgainEvenForTheNextBlock) {
    TUsbRig rig;
    TScriptedPrompt prompt(std::deque<TPromptAnswer>(10, TPromptAnswer::Ok));
    constexpr TUsbRequestKind kNextBlock{32, 4, 4};
    rig.ftdi.replies = {ReplyFrame({0xFF, 5}), ReplyFrame({4, 4, 7})};
    ASSERT_TRUE(rig.link.SendRequest(kNextBlock, {}));
    EXPECT_EQ(rig.link.Payload(), std::vector<uint8_t>{7});
    ASSERT_EQ(rig.ftdi.requests.size(), 2u);
    EXPECT_EQ(rig.ftdi.requests[1], rig.ftdi.requests[0]);
    rig.ftdi.replies.assign(10, ReplyFrame({0xFF, 5}));
    EXPECT_FALSE(rig.link.SendRequest(kNextBlock, {})); // busy for ever: no longer waited for
    EXPECT_EQ(rig.ftdi.requests.size(), 2u + 6u);
}

TEST(UsbTrafficLog, HeaderAndLinesBelowTheDatabase) {
    test::TTempDir dir;
    TUsbTrafficLog log;
    const std::array<uint8_t, 3> sent{0xA4, 0xB0, 0x0F};
    log.Sent(sent); // closed: nothing, no file
    ASSERT_TRUE(log.Open(dir.Path(), "head\n"));
    log.Sent(sent);
    log.Received(std::span(sent).first(1));
    EXPECT_EQ(test::ReadFileBytes(dir.File("LogCommFiles/Log.txt")), "Send:A4,B0,0F,;\nReceived:A4,;\n");
    EXPECT_EQ(test::ReadFileBytes(dir.File("LogCommFiles/Header.txt")), "head\n");
    EXPECT_EQ(log.Path(), dir.File("LogCommFiles/Log.txt"));

    ASSERT_TRUE(log.Open(dir.Path(), "again\n")); // a fresh log each time
    EXPECT_EQ(test::ReadFileBytes(dir.File("LogCommFiles/Log.txt")), "");

    TUsbTrafficLog unwritable;
    EXPECT_FALSE(unwritable.Open("/proc/klt-no-such-dir", "x"));
    EXPECT_FALSE(unwritable.Open("", "x"));
    unwritable.Sent(sent); // no crash, no throw
}

} // namespace
} // namespace klt
