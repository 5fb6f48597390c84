#include <gtest/gtest.h>

#include <algorithm>

#include "core/Exceptions.h"
#include "core/KLTDate.h"
#include "device/VeltrakExceptions.h"
#include "device/genv/VeltrakV.h"
#include "tests/device/ProtocolFixture.h"
#include "tests/device/ScriptedHeadUnits.h"
#include "tests/support/ScriptedPrompt.h"

namespace klt {
namespace {

using test::THeadUnitV;
using test::TProtocolRig;
using test::TScriptedPrompt;

const std::vector<uint8_t> kClockReply{0x09, 0x12, 0x26, 0x14, 0x30, 0x05}; // 9.12.2026 14:30:05

struct TGenerationV : TProtocolRig<TVeltrakV> {
    explicit TGenerationV(THeadUnitV& unit) : TProtocolRig<TVeltrakV>(unit) {
        line->purgeDropsAnswers = true;
        protocol->Status().SetHWVersion(TVeltrakHWVersion::HWVersionVT5x128);
        protocol->Status().SetSWVersion(unit.firmware);
        unit.replies['M'] = kClockReply;
    }
};

std::vector<uint8_t> Bytes(std::initializer_list<int> values) {
    std::vector<uint8_t> bytes;
    for (int v : values) {
        bytes.push_back(static_cast<uint8_t>(v));
    }
    return bytes;
}

TEST(TelegramV, FramedByFirmwareVersion) {
    const std::array<uint8_t, 2> data{0xFF, 0x0A};
    EXPECT_EQ(FrameTelegramV('E', data, true), Bytes({0x02, 'E', '?', '?', '0', ':', 0x03}));
    EXPECT_EQ(FrameTelegramV('E', data, false), Bytes({'E', 0xFF, 0x0A}));

    THeadUnitV unit;
    TGenerationV rig(unit);
    rig.protocol->Status().SetSWVersion(0x4309);
    ASSERT_TRUE(rig.protocol->SendTelegramV('I', {0x12}, 0));
    EXPECT_EQ(rig.line->written, Bytes({'I', 0x12}));
    rig.line->written.clear();
    rig.protocol->Status().SetSWVersion(0x430A);
    ASSERT_TRUE(rig.protocol->SendTelegramV('I', {0x12}, 0));
    EXPECT_EQ(rig.line->written, Bytes({0x02, 'I', '1', '2', 0x03}));
}

TEST(TelegramV, AcknowledgedReplyIsFolded) {
    THeadUnitV unit;
    unit.replies['E'] = {0x00, 0xFA};
    TGenerationV rig(unit);
    ASSERT_TRUE(rig.protocol->SendTelegramV('E', {0xFF, 0xFF}, 2));
    EXPECT_EQ(rig.protocol->Reply(), Bytes({0x00, 0xFA}));
    EXPECT_EQ(unit.telegrams, (std::vector<std::string>{"E\xFF\xFF"}));
}

TEST(TelegramV, SeventhFailureInARowTimesOut) {
    THeadUnitV unit;
    unit.silent = {'E'};
    TGenerationV rig(unit);
    EXPECT_FALSE(rig.protocol->SendTelegramV('E', {0xFF, 0xFF}, 2)); // four tries
    EXPECT_EQ(rig.protocol->ConsecutiveFailures(), 4);
    EXPECT_EQ(rig.line->breaks, 1); // the line is reset before the first retry only
    try {
        rig.protocol->SendTelegramV('E', {0xFF, 0xFF}, 2);
        FAIL();
    } catch (const EVeltrakTimeout& e) {
        EXPECT_STREQ(e.what(), "Veltrak at port Com3 is not responding");
    }
    EXPECT_EQ(std::count(unit.telegrams.begin(), unit.telegrams.end(), "E\xFF\xFF"), 7);
}

TEST(TelegramV, SuccessClearsTheFailureCount) {
    THeadUnitV unit;
    unit.silentTelegrams = 2;
    TGenerationV rig(unit);
    EXPECT_TRUE(rig.protocol->SendTelegramV('B', {}, 0));
    EXPECT_EQ(rig.protocol->ConsecutiveFailures(), 0);
}

TEST(FindHeadUnitV, SlowHeadUnitIsFoundInTheSecondPassAfterTheWakeUp) {
    THeadUnitV unit;
    unit.baudRate = 4800;
    unit.needsWakeUp = true;
    unit.firmware = 0x4310;
    TGenerationV rig(unit);
    rig.protocol->Status().SetSWVersion(0);
    rig.protocol->FindHeadUnitV();
    EXPECT_EQ(rig.protocol->Status().SWVersion(), 0x4310);
    EXPECT_EQ(unit.wakeUps, 1);
    EXPECT_EQ(unit.telegrams, (std::vector<std::string>{"P"}));
    // three tries at 9600 went before: each a framed "P"
    const std::vector<uint8_t> p{0x02, 'P', 0x03};
    const auto& w = rig.line->written;
    const auto wake = std::search(w.begin(), w.end(), std::begin("xxxx"), std::begin("xxxx") + 4);
    ASSERT_NE(wake, w.end());
    int before = 0;
    for (auto it = std::search(w.begin(), wake, p.begin(), p.end()); it != wake;
         it = std::search(it + 1, wake, p.begin(), p.end())) {
        ++before;
    }
    EXPECT_EQ(before, 3);
}

TEST(FindHeadUnitV, NoAnswerNamesThePort) {
    THeadUnitV unit;
    unit.baudRate = 1200;
    TGenerationV rig(unit);
    rig.protocol->Status().SetSWVersion(0);
    try {
        rig.protocol->FindHeadUnitV();
        FAIL();
    } catch (const EVeltrakVersion& e) {
        EXPECT_STREQ(
            e.what(),
            "No Veltrak V found at Com3\r\nPlease make sure that the correct Veltrak version is selected");
    }
}

TEST(ReadStatusV, UnknownNewerFirmwareStopsAfterTheWarning) {
    THeadUnitV unit;
    unit.replies['x'] = {0x79, 0x31, 0x00};
    TGenerationV rig(unit);
    TScriptedPrompt prompt({TPromptAnswer::Ok});
    EXPECT_THROW(rig.protocol->ReadStatus(), Exception);
    ASSERT_EQ(prompt.shown.size(), 1u);
    EXPECT_NE(prompt.shown[0].text.find("Press cancel to proceed on your own risk."), std::string::npos);
    EXPECT_EQ(unit.telegrams, (std::vector<std::string>{"xZZZ"}));
}

TEST(ReadStatusV, ReadsSettingsAndSummarisesWhatFailed) {
    THeadUnitV unit;
    unit.replies = {{'x', {0x43, 0x40, 0xA0}},
                    {'M', kClockReply},
                    {'v', {'1', 0x01, 0x2C}},
                    {'E', {0x00, 0xFA}},
                    {'N', Bytes({'J', 'D', 'O', ' ', ' ', ' ', ' ', ' '})},
                    {'F', {0x01, 0xF4}},
                    {'R', {0x85}},
                    {'S', {22, 30}},
                    {'K', {11}},
                    {'L', {4}},
                    {'a', {7}},
                    {'W', {2}},
                    {'U', {1}},
                    {'b', {3, 0}},
                    {'H', {2, 0, 100, 0, 120, 0, 140, 0, 160, 0, 180}},
                    {'O', std::vector<uint8_t>(14, 0x12)},
                    {'c', {1, 2, 3, 4, 5, 6, 7, 8}}};
    unit.silent = {'G'};
    // The year's distance still counts for 2025: the clock is in 2026, so it starts again.
    unit.settingsMemory = {{0x0234, 0x25}, {0x0235, 0x20}, {0x034E, 0x10}, {0x034F, 0x54}};
    TGenerationV rig(unit);
    TScriptedPrompt prompt;
    rig.protocol->ReadStatus();
    const TVeltrakStatus& s = rig.protocol->Status();
    EXPECT_EQ(unit.settingsMemory, (std::map<uint16_t, uint8_t>{{0x0234, 0x26}, {0x0235, 0x20}, {0x034E, 0}, {0x034F, 0}}));
    EXPECT_EQ(s.SWVersion(), 0x4340);
    EXPECT_TRUE(s.SettingsV.telemetry);
    EXPECT_EQ(s.ClockDay, DaysSince1880({2026, 12, 9}));
    EXPECT_EQ(s.ClockTime, (14 * 3600 + 30 * 60 + 5) * 100);
    EXPECT_EQ(s.SteigungUsed, 7640);
    EXPECT_EQ(s.Radumfang, 2095); // default
    EXPECT_EQ(s.Initialen(), "JDO");
    EXPECT_EQ(s.NullstelleUsed, 500);
    EXPECT_EQ(s.AbspeicherZeit(), 50); // five tenths
    EXPECT_EQ(s.SettingsV.powerDownMode, '1');
    EXPECT_EQ(s.SettingsV.powerDownSeconds, 300);
    EXPECT_EQ(s.SettingsV.telemetryRepeatK, 1); // above 10 is not valid
    EXPECT_EQ(s.SettingsV.telemetryRepeatL, 4);
    EXPECT_EQ(s.SettingsV.zoneMode, 2);
    EXPECT_EQ(s.SettingsV.zoneLimits[4], 180);
    EXPECT_EQ(s.SettingsV.odometer[13], 0x12);
    EXPECT_EQ(rig.protocol->FailedSettings(), GroupBit(TSettingGroup::WheelCircumference));
    ASSERT_EQ(prompt.shown.size(), 1u);
    EXPECT_EQ(prompt.shown[0].text, std::string(kReadErrorHeading) + "Wheel circumference");
    std::vector<char> order;
    for (const std::string& t : unit.telegrams) {
        if (order.empty() || order.back() != t[0]) {
            order.push_back(t[0]);
        }
    }
    // feature bit 5 switches the mode; the odometer year is looked at after the clock; "h" and "n"
    // are beyond this firmware
    EXPECT_EQ(std::string(order.begin(), order.end()), "xXMZYvEGXGNFRHOScKLaWUb");

    // In the year the distance counts for, nothing is written.
    unit.telegrams.clear();
    rig.protocol->ReadStatus();
    EXPECT_EQ(std::count_if(unit.telegrams.begin(), unit.telegrams.end(), [](const std::string& t) { return t[0] == 'Y'; }), 0);
}

TEST(ReadStatusV, ImpossibleDateIsReplacedAndWrittenBack) {
    // 31 February; 2070, beyond the day numbers a training date holds
    for (const std::vector<uint8_t>& clock : {std::vector<uint8_t>{0x31, 0x02, 0x26, 0x10, 0x00, 0x00},
                                              std::vector<uint8_t>{0x01, 0x01, 0x70, 0x10, 0x00, 0x00}}) {
        THeadUnitV unit;
        TGenerationV rig(unit);
        unit.replies['M'] = clock;
        TScriptedPrompt prompt;
        rig.protocol->ReadClock();
        ASSERT_EQ(prompt.shown.size(), 1u);
        EXPECT_EQ(prompt.shown[0].text, "Incorrect Date from Veltrak received\r\nDate set to 01.01.2004");
        EXPECT_EQ(unit.telegrams.back(), std::string("M\x01\x01\x04\0\0\0", 7));
        EXPECT_EQ(rig.protocol->Status().ClockDay, DaysSince1880({2004, 1, 1}));
        EXPECT_EQ(rig.protocol->Status().ClockTime, 0);
    }
}

std::vector<uint8_t> Block(uint8_t fill, int ffRun, size_t size = 64) {
    std::vector<uint8_t> block(64, fill);
    std::fill_n(block.begin() + 10, ffRun, 0xFF);
    block.resize(size);
    return block;
}

TEST(DownloadMemoryV, BlocksWithFourFFBytesAreRefused) {
    EXPECT_FALSE(HasFFRun(Block(1, 3)));
    EXPECT_TRUE(HasFFRun(Block(1, 4)));
    THeadUnitV unit;
    unit.blocks = {{Block(1, 3)}, {Block(2, 4), Block(2, 0)}, {Block(3, 4), Block(3, 5), Block(3, 6, 20)}};
    TGenerationV rig(unit);
    std::vector<int> progress;
    rig.protocol->DownloadMemoryV([&](int percent) { progress.push_back(percent); }, false);
    ASSERT_EQ(rig.protocol->BlockCount(), 3u);
    const auto first = rig.protocol->Block(0);
    EXPECT_TRUE(std::equal(first.begin(), first.end(), Block(1, 3).begin()));
    const auto second = rig.protocol->Block(1);
    EXPECT_TRUE(std::equal(second.begin(), second.end(), Block(2, 0).begin()));
    const auto third = rig.protocol->Block(2);
    EXPECT_EQ(third[10], 0xFF); // kept as received after the third try
    EXPECT_EQ(third[19], 3);
    EXPECT_EQ(third[20], 0); // the missing rest is zero
    EXPECT_EQ(unit.refusals, 3);
    EXPECT_EQ(unit.acknowledgements, 3);
    EXPECT_EQ(progress, (std::vector<int>{33, 66, 100}));
}

TEST(DownloadMemoryV, NothingToDownload) {
    for (auto [firmware, announced] : {std::pair<uint16_t, uint16_t>{0x430A, 0}, {0x6411, 3}}) {
        THeadUnitV unit;
        unit.firmware = firmware;
        unit.announcedBlocks = announced;
        TGenerationV rig(unit);
        rig.protocol->DownloadMemoryV(nullptr, true);
        EXPECT_EQ(rig.protocol->BlockCount(), 0u);
        EXPECT_EQ(unit.telegrams.back(), "y");
    }
}

TEST(DownloadMemoryV, AHeadUnitFallingSilentKeepsWhatCameAndSaysItWasLess) {
    // A count that came garbled, say: more blocks announced than sent.
    THeadUnitV unit;
    unit.blocks = {{Block(1, 0)}, {Block(2, 0)}};
    unit.announcedBlocks = 0x4848;
    TGenerationV rig(unit);
    rig.protocol->DownloadMemoryV(nullptr, false);
    EXPECT_EQ(rig.protocol->BlockCount(), 2u);
    EXPECT_EQ(rig.protocol->AnnouncedBlocks(), 0x4848u);
    EXPECT_EQ(std::count(unit.telegrams.begin(), unit.telegrams.end(), "A"), 1);

    // Silent from the first block on: no memory at all, and the start is tried again.
    THeadUnitV silent;
    silent.announcedBlocks = 2;
    TGenerationV quiet(silent);
    EXPECT_THROW(quiet.protocol->DownloadMemoryV(nullptr, false), Exception);
    EXPECT_EQ(std::count(silent.telegrams.begin(), silent.telegrams.end(), "A"), 3);
}

TEST(DownloadMemoryV, NewerCommandNeedsNewerFirmware) {
    THeadUnitV unit;
    unit.firmware = 0x3327;
    TGenerationV rig(unit);
    EXPECT_THROW(rig.protocol->DownloadMemoryV(nullptr, true), Exception);
    EXPECT_TRUE(unit.telegrams.empty());
}

TEST(DownloadMemoryV, SlowComputerBreaksTheDownload) {
    THeadUnitV unit;
    unit.blocks = {{Block(1, 0)}, {Block(2, 0)}};
    TGenerationV rig(unit);
    try {
        rig.protocol->DownloadMemoryV([&](int) { rig.clock.now += 4001; }, false);
        FAIL();
    } catch (const Exception& e) {
        EXPECT_NE(std::string(e.what()).find("4 seconds"), std::string::npos);
    }
    EXPECT_EQ(std::count(unit.telegrams.begin(), unit.telegrams.end(), "A"),
              3); // the whole start, three times
    EXPECT_EQ(rig.protocol->BlockCount(), 0u);
}

TEST(DownloadMemoryV, AbortFromTheIdleHook) {
    THeadUnitV unit;
    unit.blocks = {{Block(1, 0)}, {Block(2, 0)}, {Block(3, 0)}};
    TGenerationV rig(unit);
    int aborts = 0;
    rig.protocol->OnAbort = [&] { ++aborts; };
    rig.protocol->OnIdle = [&] {
        if (unit.acknowledgements == 2) {
            rig.protocol->RequestAbort();
        }
    };
    EXPECT_THROW(rig.protocol->DownloadMemoryV(nullptr, false), EVeltrakAbort);
    EXPECT_EQ(aborts, 1);
    EXPECT_EQ(rig.protocol->BlockCount(), 0u);
    EXPECT_EQ(std::count(unit.telegrams.begin(), unit.telegrams.end(), "A"), 1); // an abort is not retried
}

TEST(VeltrakInternal, AbortOutsideIdleUnwindsAtOnceAndRetryAsks) {
    THeadUnitV unit;
    TGenerationV rig(unit);
    int aborts = 0;
    rig.protocol->OnAbort = [&] { ++aborts; };
    EXPECT_THROW(rig.protocol->RequestAbort(), EVeltrakAbort);
    EXPECT_EQ(aborts, 1);
    TScriptedPrompt prompt({TPromptAnswer::Retry, TPromptAnswer::Cancel});
    EXPECT_TRUE(rig.protocol->AskRetry("Veltrak at port Com3 is not responding"));
    EXPECT_THROW(rig.protocol->AskRetry("again"), EVeltrakAbort);
    EXPECT_EQ(aborts, 2);
    const uint32_t before = rig.clock.now;
    rig.protocol->Wait(400);
    EXPECT_GE(rig.clock.now - before, 500u);
}

} // namespace
} // namespace klt
