#include <gtest/gtest.h>

#include "core/Exceptions.h"
#include "device/genv/VeltrakV.h"
#include "tests/device/ProtocolFixture.h"
#include "tests/device/ScriptedHeadUnits.h"
#include "tests/support/ScriptedPrompt.h"

namespace klt {
namespace {

using test::THeadUnitV;
using test::TScriptedPrompt;

struct TRig : test::TProtocolRig<TVeltrakV> {
    explicit TRig(THeadUnitV& unit) : test::TProtocolRig<TVeltrakV>(unit) {
        line->purgeDropsAnswers = true;
        protocol->Status().SetHWVersion(TVeltrakHWVersion::HWVersionVT5x128);
        protocol->Status().SetSWVersion(unit.firmware);
        for (char command : std::string("EGRSKLaWUbh")) {
            unit.replies[command] = {0, 0};
        }
    }
};

std::string Sent(const THeadUnitV& unit, char command) {
    for (auto it = unit.telegrams.rbegin(); it != unit.telegrams.rend(); ++it) {
        if ((*it)[0] == command) {
            return it->substr(1);
        }
    }
    return "-";
}

TEST(SettingsV, OutOfRangeValuesAreResetWithAMessage) {
    THeadUnitV unit;
    TRig rig(unit);
    TVeltrakStatus settings;
    settings.SteigungUsed = 30;     // 1 in tenths of Hz/Nm: far too low
    settings.SetAbspeicherZeit(33); // a third of a second is no tenth
    settings.SettingsV.cadenceThreshold = 90;
    settings.SettingsV.horseMode = 4;
    settings.SettingsV.displayMode = 16;
    settings.Radumfang = 2100;
    settings.SetInitialen("JDO");
    TScriptedPrompt prompt;
    rig.protocol->WriteSettings(settings);
    std::vector<std::string> messages;
    for (const auto& shown : prompt.shown) {
        messages.push_back(shown.text);
    }
    EXPECT_EQ(messages, (std::vector<std::string>{
                            "The slope is out of range and has been set to 25 Hz/Nm",
                            "The storage interval is out of range and has been set to 1 s",
                            "The cadence detection threshold is out of range and has been set to 13",
                            "The horse mode is out of range and has been switched off",
                            "The display mode is out of range and has been set to standard"}));
    EXPECT_EQ(Sent(unit, 'E'), std::string("\x00\xFA", 2));
    EXPECT_EQ(Sent(unit, 'R'), "\x01");
    EXPECT_EQ(Sent(unit, 'S'), std::string("\x14\x0D", 2));
    EXPECT_EQ(Sent(unit, 'G'), "\x08\x34");
    EXPECT_EQ(Sent(unit, 'N'), "JDO     ");
    EXPECT_EQ(Sent(unit, 'h'), "-"); // beyond this firmware
    EXPECT_EQ(rig.protocol->FailedSettings(), 0u);
}

TEST(SettingsV, ValueFormatAndDisplayModeAreWrittenWithTheirWriteCommandsNotTheirReads) {
    THeadUnitV unit;
    TRig rig(unit);
    TVeltrakStatus settings;
    settings.SettingsV.valueFormat = 2;
    settings.SettingsV.displayMode = 5;
    settings.SetInitialen("JDO");
    TScriptedPrompt prompt;
    rig.protocol->WriteSettings(settings);
    EXPECT_EQ(Sent(unit, 'V'), "\x02");
    EXPECT_EQ(Sent(unit, 'p'), "\x05");
    for (char read : std::string("aWb")) {
        EXPECT_EQ(Sent(unit, read), "-") << read;
    }
}

TEST(SettingsV, FailedWritesAreSummarisedOnce) {
    THeadUnitV unit;
    TRig rig(unit);
    unit.silent = {'G'};
    rig.protocol->Status().SteigungUsed = 7640;
    TScriptedPrompt prompt;
    rig.protocol->WriteSettings(rig.protocol->Status());
    ASSERT_EQ(prompt.shown.size(), 1u);
    EXPECT_EQ(prompt.shown[0].text, std::string(kWriteErrorHeading) + "Wheel circumference");
}

TEST(StartRecordingV, ClearsStartsAndWritesIntervalAndInitials) {
    THeadUnitV unit;
    TRig rig(unit);
    TVeltrakStatus& status = rig.protocol->Status();
    status.SetAbspeicherZeit(50);
    status.SettingsV.powerDownMode = '2';
    status.SettingsV.powerDownSeconds = 600;
    unit.replies['v'] = {'2', 0x02, 0x58};
    rig.protocol->StartRecording();
    std::vector<std::string> expected{"B", "T", "R\x85", "N        ", std::string("v2\x02\x58")};
    EXPECT_EQ(unit.telegrams, expected);

    unit.silent = {'B'};
    try {
        rig.protocol->StartRecording();
        FAIL();
    } catch (const Exception& e) {
        EXPECT_STREQ(e.what(), "The software was not able to clear the memory\r\nPlease try again");
    }
}

TEST(TVeltrakV, RegisterOperationFallsBackWhenTheHeadUnitTurnsOutToBeGenerationV) {
    THeadUnitV unit;
    unit.replies['M'] = {0x24, 0x12, 0x26, 0x00, 0x00, 0x01};
    unit.baudRate = 19200; // the line as the register protocol left it
    TRig rig(unit);
    rig.protocol->Status().SetHWVersion(TVeltrakHWVersion::HWVersionVT4x128);
    // the register telegram gets no answer; meanwhile the head unit is found to be generation V
    rig.protocol->OnIdle = [&] { rig.protocol->Status().SetHWVersion(TVeltrakHWVersion::HWVersionVT5x128); };
    rig.protocol->ReadClock();
    EXPECT_EQ(rig.protocol->Status().ClockTime, 100);
}

} // namespace
} // namespace klt
