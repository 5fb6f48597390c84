// Generation VI and 7 head units against a scripted USB chip: what the simulator cannot show (the
// reset through the chip's pins, connection trouble, impossible clocks, refused settings).
#include <gtest/gtest.h>

#include <set>

#include "core/Exceptions.h"
#include "core/KLTDate.h"
#include "device/VeltrakExceptions.h"
#include "device/transport/UsbLink.h"
#include "device/usb/VeltrakVI.h"
#include "tests/device/FakeFtdi.h"
#include "tests/support/RawTraining.h"
#include "tests/support/ScriptedPrompt.h"

namespace klt {
namespace {

using test::ReplyFrame;
using test::TBytes;
using test::TScriptedPrompt;

using TClassCode = std::pair<uint8_t, uint8_t>;
constexpr TClassCode kLive{1, 6}, kClock{2, 14}, kOdometer{2, 13};

// A head unit that answers every request: its firmware, its clock, and 20 bytes of 0x01 for any
// setting. Refused pairs get the invalid-request reply, garbled ones a reply of another request.
struct TFakeHeadUnit {
    uint16_t firmware = 0xE517;
    std::deque<TBytes> clockReads = {{9, 12, 0x07, 0xEA, 10, 20, 30}}; // the last one repeats
    std::set<TClassCode> refused, garbled, busy;

    TBytes operator()(const TBytes& request) {
        const TClassCode key{request[4], request[5]};
        const bool read = request.size() == 7;
        if (refused.count(key) != 0) {
            return ReplyFrame({0xFF, 4});
        }
        if (busy.count(key) != 0) {
            return ReplyFrame({0xFF, 5});
        }
        TBytes payload{key.first, static_cast<uint8_t>(garbled.count(key) != 0 ? 99 : key.second)};
        if (!read) {
            return ReplyFrame(payload);
        }
        TBytes data(20, 0x01);
        if (key == TClassCode{1, 1}) {
            data = {static_cast<uint8_t>(firmware >> 8), static_cast<uint8_t>(firmware)};
        } else if (key == kClock) {
            data = clockReads.front();
            if (clockReads.size() > 1) {
                clockReads.pop_front();
            }
        }
        payload.insert(payload.end(), data.begin(), data.end());
        return ReplyFrame(payload);
    }
};

struct TVIRig {
    explicit TVIRig(bool generation7 = true) {
        auto line = std::make_unique<test::TFakeLine>([](uint8_t, const TLineSettings&, std::deque<uint8_t>&) {});
        serial = line.get();
        veltrak = generation7 ? std::make_unique<TVeltrak>(std::move(line), &clock, &usb)
                              : std::make_unique<TVeltrakVI>(std::move(line), &clock, &usb);
        veltrak->Status().SetHWVersion(generation7 ? TVeltrakHWVersion::HWVersionVT7x128
                                                   : TVeltrakHWVersion::HWVersionVT6x128);
        veltrak->SetPrompt(test::InstalledPrompt());
        usb.SetErrorPrompt(&test::InstalledPrompt());
    }
    void Answer(TFakeHeadUnit& unit) {
        ftdi.headUnit = [&unit](const TBytes& request) { return unit(request); };
    }
    TVeltrak& Seven() { return static_cast<TVeltrak&>(*veltrak); }

    test::TFakeClock clock;
    test::TFakeFtdi ftdi{&clock};
    TUsbLink usb{ftdi};
    test::TFakeLine* serial = nullptr;
    std::unique_ptr<TVeltrakVI> veltrak;
};

TBytes DataOf(const TBytes& request) {
    return TBytes(request.begin() + 6, request.end() - 1);
}

TEST(VeltrakVIRequests, GoOutByTheKindTable) {
    TVIRig rig;
    TFakeHeadUnit unit;
    rig.Answer(unit);
    IRequestPort& port = *rig.veltrak; // as the section download sees it
    ASSERT_TRUE(port.Request(10));
    ASSERT_TRUE(port.Request(7));
    ASSERT_EQ(rig.ftdi.requests.size(), 2u);
    EXPECT_EQ(rig.ftdi.requests[0], rig.ftdi.requests[1]); // kind 10 asks what kind 7 asks
    EXPECT_EQ(rig.ftdi.requests[0], (TBytes{0xA4, 0xB0, 0x00, 0x03, 2, 2, 0xA4 ^ 0xB0 ^ 0x03 ^ 2}));

    for (const int kind : {29, 30, 31, 32, 33}) {
        ASSERT_TRUE(port.Request(kind)) << kind;
        EXPECT_EQ(port.Payload(), TBytes(20, 0x01));
    }
    EXPECT_EQ(rig.ftdi.RequestsOf(4, 5).size(), 1u); // kind 33
    EXPECT_THROW(port.Request(14), ERangeError);
    EXPECT_EQ(rig.ftdi.requests.size(), 7u);
}

TEST(VeltrakVIReset, PinsTogglePacedThenBusyPollThenClock) {
    TVIRig rig;
    TFakeHeadUnit unit;
    unit.busy = {kLive}; // stays busy: polled five times, then the clock is set anyway
    rig.Answer(unit);
    rig.veltrak->ResetHeadUnit();

    std::vector<test::TFtdiEvent> pins;
    for (const auto& event : rig.ftdi.events) {
        if (event.what == "bitmode") {
            pins.push_back(event);
        }
    }
    ASSERT_EQ(pins.size(), 6u);
    const uint8_t masks[] = {0x30, 0x31, 0x30, 0x30, 0x31, 0x30};
    for (size_t i = 0; i < pins.size(); ++i) {
        EXPECT_EQ(pins[i].mask, masks[i]);
        EXPECT_EQ(pins[i].mode, 0x20);
        if (i > 0) {
            EXPECT_EQ(pins[i].at - pins[i - 1].at, 250u);
        }
    }
    const auto firstWrite = std::find_if(rig.ftdi.events.begin(), rig.ftdi.events.end(),
                                         [](const test::TFtdiEvent& e) { return e.what == "write"; });
    ASSERT_NE(firstWrite, rig.ftdi.events.end());
    EXPECT_GE(firstWrite->at - pins.back().at, 500u);

    EXPECT_EQ(rig.ftdi.RequestsOf(1, 6).size(), 5u);
    const auto clockWrites = rig.ftdi.RequestsOf(2, 14);
    ASSERT_EQ(clockWrites.size(), 1u);
    const TBytes written = DataOf(clockWrites[0]);
    ASSERT_EQ(written.size(), 7u);
    const TCivilDate today = CivilFromDaysSince1880(TDateTimeMark::Now().days);
    EXPECT_EQ(written[2] << 8 | written[3], today.year);
}

TEST(VeltrakVIConnect, Generation7CyclesThePortThenOffersTheResetOnce) {
    for (const TPromptAnswer answer : {TPromptAnswer::Cancel, TPromptAnswer::Ok}) {
        SCOPED_TRACE(answer == TPromptAnswer::Ok ? "reset" : "quit");
        TVIRig rig; // a head unit that never answers
        TScriptedPrompt prompt({answer});
        EXPECT_FALSE(rig.Seven().ConnectV7());
        ASSERT_EQ(prompt.shown.size(), 1u);
        EXPECT_EQ(prompt.shown[0].text, "There are problems to communicate with your Veltrak 7\r\nPlease press OK to "
                                        "reset your Veltrak\r\nPress Cancel to quit");
        EXPECT_EQ(rig.ftdi.Count("cycle"), 1);
        const bool reset = answer == TPromptAnswer::Ok;
        EXPECT_EQ(rig.ftdi.Count("bitmode"), reset ? 6 : 0);
        EXPECT_EQ(rig.ftdi.Count("open"), reset ? 3 : 2);

        // the second attempt opens only after the four seconds the port needs to come back
        const auto& events = rig.ftdi.events;
        const auto cycle = std::find_if(events.begin(), events.end(), [](auto& e) { return e.what == "cycle"; });
        const auto reopen = std::find_if(cycle, events.end(), [](auto& e) { return e.what == "open"; });
        ASSERT_NE(reopen, events.end());
        EXPECT_GE(reopen->at - cycle->at, 4000u);
        EXPECT_FALSE(rig.usb.ErrorDisplay()); // probing stays silent
    }
}

TEST(VeltrakVIConnect, GenerationVIOffersTheResetAtOnceAndFailsWithItsMessage) {
    TVIRig rig(false);
    TScriptedPrompt prompt({TPromptAnswer::Cancel});
    try {
        rig.veltrak->ConnectVI();
        FAIL();
    } catch (const EVeltrakVersion& e) {
        EXPECT_STREQ(e.what(),
                     "No Veltrak VI present.\r\n Please check cable und connect the Veltrak VI to your computer");
    }
    ASSERT_EQ(prompt.shown.size(), 1u);
    EXPECT_NE(prompt.shown[0].text.find("your Veltrak VI\r\n"), std::string::npos);
    EXPECT_EQ(rig.ftdi.Count("cycle"), 0);
    EXPECT_EQ(rig.ftdi.Count("open"), 1);
}

TEST(VeltrakVIConnect, UnopenableLinkIsTriedTwicePerAttemptAndLeftClosed) {
    TVIRig rig;
    rig.ftdi.openStatus = FT_DEVICE_NOT_FOUND;
    TScriptedPrompt prompt; // no question may come
    EXPECT_FALSE(rig.Seven().ConnectV7());
    EXPECT_EQ(rig.ftdi.Count("open"), 6);
    EXPECT_TRUE(rig.ftdi.requests.empty());
    EXPECT_FALSE(rig.usb.IsOpen());
}

TEST(VeltrakVIConnect, AnsweringHeadUnitIsIdentified) {
    TVIRig rig;
    TFakeHeadUnit unit;
    unit.firmware = 0xE512;
    rig.Answer(unit);
    rig.veltrak->Status().SetHWVersion(TVeltrakHWVersion::HWNull);
    ASSERT_TRUE(rig.Seven().ConnectV7());
    EXPECT_EQ(rig.veltrak->Status().SWVersion(), 0xE512);
    EXPECT_EQ(rig.veltrak->Status().HWVersion(), TVeltrakHWVersion::HWVersionVT7x128);
    EXPECT_EQ(rig.ftdi.Count("open"), 1);
    EXPECT_TRUE(rig.usb.IsOpen());
}

TEST(VeltrakVIBusy, BusyReplyRecordingReplyAndSilenceAreBusy) {
    TVIRig rig;
    TScriptedPrompt prompt; // the busy poll never asks the user
    TBytes garbled = ReplyFrame({1, 6, 0, 0});
    garbled.back() ^= 0x01;
    const std::vector<std::pair<TBytes, bool>> cases = {
        {ReplyFrame({0xFF, 5}), true},      {ReplyFrame({4, 7}), true}, {garbled, true},
        {TBytes{}, true},                   // silence
        {ReplyFrame({1, 6, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}), false},
        {ReplyFrame({0xFF, 4}), false},
    };
    for (const auto& [reply, busy] : cases) {
        rig.ftdi.replies = {reply};
        EXPECT_EQ(rig.veltrak->IsBusy(), busy);
    }
    EXPECT_EQ(rig.ftdi.requests.back(), (TBytes{0xA4, 0xB0, 0x00, 0x03, 1, 6, 0xA4 ^ 0xB0 ^ 0x03 ^ 1}));
}

TEST(VeltrakVIRecording, StorageIntervalThenStartThenWaitUntilReady) {
    TVIRig rig;
    int busyPolls = 2;
    TFakeHeadUnit unit;
    rig.ftdi.headUnit = [&](const TBytes& request) {
        if (request[4] == 1 && request[5] == 6 && busyPolls-- > 0) {
            return ReplyFrame({0xFF, 5});
        }
        return unit(request);
    };
    rig.veltrak->Status().SetAbspeicherZeit(100);
    rig.veltrak->StartRecording(true);
    ASSERT_GE(rig.ftdi.requests.size(), 5u);
    EXPECT_EQ(DataOf(rig.ftdi.requests[0]), (TBytes{0x03, 0xE8})); // 1000 ms
    EXPECT_EQ(rig.ftdi.RequestsOf(4, 7).size(), 1u);
    EXPECT_EQ(rig.ftdi.RequestsOf(1, 6).size(), 3u);

    unit.busy = {kLive}; // never ready again: gives up instead of waiting for ever
    const uint32_t before = rig.clock.now;
    EXPECT_THROW(rig.veltrak->StartRecording(true), EVeltrakTimeout);
    EXPECT_GE(rig.clock.now - before, static_cast<uint32_t>(TVeltrakVI::kRecordingReadyTimeoutMs));
}

TEST(VeltrakVIOdometer, SecondTryThenSummaryBox) {
    {
        TVIRig rig;
        TScriptedPrompt prompt;
        TFakeHeadUnit unit;
        unit.garbled = {kOdometer};
        rig.Answer(unit);
        rig.veltrak->Status().SetJahresstrecke(5e8);
        rig.veltrak->Status().GesamtBetrieb = 77;
        rig.veltrak->ResetOdometer();
        EXPECT_EQ(rig.ftdi.requests.size(), 6u); // twice three tries
        EXPECT_EQ(DataOf(rig.ftdi.requests[0]), TBytes(10, 0));
        ASSERT_EQ(prompt.shown.size(), 1u);
        EXPECT_EQ(prompt.shown[0].text,
                  "Error while writing data to the Veltrak.\r\nThe following settings could not be stored "
                  ":\r\nOdo values");
        EXPECT_EQ(rig.veltrak->Status().Jahresstrecke(), 0.0);
        EXPECT_EQ(rig.veltrak->Status().GesamtBetrieb, 0);
    }
    TVIRig rig;
    TScriptedPrompt prompt;
    TFakeHeadUnit unit;
    rig.ftdi.replies = {ReplyFrame({2, 99}), ReplyFrame({2, 99}), ReplyFrame({2, 99})}; // the first fails
    rig.Answer(unit);
    rig.veltrak->ResetOdometer();
    EXPECT_EQ(rig.ftdi.requests.size(), 4u);
    EXPECT_TRUE(prompt.shown.empty());
}

TEST(VeltrakVIStatus, FailedSettingsGetTheirDefaultsAndOneSummaryBox) {
    TVIRig rig;
    TScriptedPrompt prompt;
    TFakeHeadUnit unit;
    unit.refused = {{2, 1}, {2, 16}}; // slope; telemetry options
    unit.garbled = {{2, 3}};           // wheel circumference
    rig.Answer(unit);
    rig.veltrak->ReadStatus();

    const TVeltrakStatus& s = rig.veltrak->Status();
    EXPECT_EQ(s.SteigungUsed, 7640);
    EXPECT_EQ(s.Radumfang, 2095);
    EXPECT_EQ(s.SettingsVI.at(36), TBytes{73});
    EXPECT_EQ(s.NullstelleUsed, 0x0101); // read as the head unit said
    EXPECT_EQ(s.SettingsVI.at(44), (TBytes{1, 1}));
    ASSERT_EQ(prompt.shown.size(), 1u);
    EXPECT_EQ(prompt.shown[0].text, "Read error while reading from Veltrak.\r\nThe following settings could not be "
                                    "read and are set to there default value:\r\nSlope,Wheel "
                                    "circumference,Wireless Communication Settings");
    EXPECT_EQ(s.ClockDay, DaysSince1880({2026, 12, 9}));
    EXPECT_EQ(s.ClockTime, (10 * 3600 + 20 * 60 + 30) * 100);
}

TEST(VeltrakVIStatus, OlderFirmwareIsNotAskedForNewerSettings) {
    TVIRig rig;
    TScriptedPrompt prompt;
    TFakeHeadUnit unit;
    unit.firmware = 35087;
    rig.Answer(unit);
    rig.veltrak->ReadStatus();
    for (const TClassCode& newer : {TClassCode{2, 18}, {2, 19}, {2, 20}, {1, 12}, {2, 23}}) {
        EXPECT_TRUE(rig.ftdi.RequestsOf(newer.first, newer.second).empty());
    }
    EXPECT_TRUE(prompt.shown.empty());
}

TEST(VeltrakVIStatus, NewerFirmwareWarnsUnlessTheConfigurationSaysNot) {
    for (const TPromptAnswer answer : {TPromptAnswer::Ok, TPromptAnswer::Cancel}) {
        TVIRig rig;
        TScriptedPrompt prompt({answer});
        TFakeHeadUnit unit;
        unit.firmware = 0xE518;
        rig.Answer(unit);
        if (answer == TPromptAnswer::Ok) {
            EXPECT_THROW(rig.veltrak->ReadStatus(), Exception);
            EXPECT_TRUE(rig.ftdi.RequestsOf(2, 1).empty()); // stopped before the settings
        } else {
            rig.veltrak->ReadStatus(); // on the user's own risk
            EXPECT_EQ(rig.ftdi.RequestsOf(2, 1).size(), 1u);
        }
        ASSERT_EQ(prompt.shown.size(), 1u);
        EXPECT_NE(prompt.shown[0].text.find("too old for your Veltrak"), std::string::npos);
    }
    TVIRig rig;
    TScriptedPrompt prompt; // no question may come
    TFakeHeadUnit unit;
    unit.firmware = 0xE518;
    rig.Answer(unit);
    rig.veltrak->SetVersionCheck(false);
    rig.veltrak->ReadStatus();
    unit.firmware = 0xE517;
    rig.veltrak->SetVersionCheck(true);
    rig.veltrak->ReadStatus();
}

TEST(VeltrakVIStatus, SilentHeadUnitEndsTheReadWithSoftwareVersion) {
    TVIRig rig;
    TScriptedPrompt prompt;
    try {
        rig.veltrak->ReadStatus();
        FAIL();
    } catch (const Exception& e) {
        EXPECT_NE(std::string(e.what()).find("Software Version"), std::string::npos);
    }
    EXPECT_TRUE(rig.ftdi.RequestsOf(2, 14).empty());
}

TEST(VeltrakVIStatus, WriteSendsSettingsButNotIdentityOrMeasurements) {
    TVIRig rig;
    TScriptedPrompt prompt;
    TFakeHeadUnit unit;
    rig.Answer(unit);
    TVeltrakStatus settings;
    settings.SetInitialen("ABCDEFG");
    settings.SteigungUsed = 7640;
    settings.SetAbspeicherZeit(50);
    settings.SettingsVI[36] = {5};
    settings.SettingsVI[37] = {1, 2}; // not the size the head unit keeps: its default goes instead
    rig.veltrak->Status().SetSWVersion(0xE517);
    rig.veltrak->WriteSettings(settings);
    EXPECT_TRUE(prompt.shown.empty());
    EXPECT_EQ(DataOf(rig.ftdi.RequestsOf(2, 5).at(0)), TBytes({'A', 'B', 'C', 'D', 'E', 'F', 'G', ' ', ' ', ' ', ' ',
                                                               ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' '}));
    EXPECT_EQ(DataOf(rig.ftdi.RequestsOf(2, 1).at(0)), (TBytes{0x00, 0xFA}));
    EXPECT_EQ(DataOf(rig.ftdi.RequestsOf(2, 6).at(0)), (TBytes{0x01, 0xF4})); // 500 ms
    EXPECT_EQ(DataOf(rig.ftdi.RequestsOf(2, 16).at(0)), TBytes{5});
    EXPECT_EQ(DataOf(rig.ftdi.RequestsOf(2, 17).at(0)), TBytes(6, 0));
    EXPECT_TRUE(rig.ftdi.RequestsOf(2, 9).empty());
    EXPECT_TRUE(rig.ftdi.RequestsOf(1, 12).empty());
}

TEST(VeltrakVIClock, ImpossibleDateIsReadAgainThenReplacedAndWrittenBack) {
    const TBytes impossible = {31, 2, 0x07, 0xEA, 10, 0, 0};
    {
        TVIRig rig;
        TScriptedPrompt prompt;
        TFakeHeadUnit unit;
        unit.clockReads = {impossible};
        rig.Answer(unit);
        rig.veltrak->ReadClock();
        ASSERT_EQ(prompt.shown.size(), 1u);
        EXPECT_EQ(prompt.shown[0].text, "Incorrect Date from Veltrak received\r\nDate set to 01.01.2004");
        const auto clock = rig.ftdi.RequestsOf(2, 14);
        ASSERT_EQ(clock.size(), 3u); // two reads, one write
        EXPECT_EQ(DataOf(clock[2]), (TBytes{1, 1, 0x07, 0xD4, 0, 0, 0}));
        EXPECT_EQ(rig.veltrak->Status().ClockDay, DaysSince1880({2004, 1, 1}));
        EXPECT_EQ(rig.veltrak->Status().ClockTime, 0);
    }
    {
        TVIRig rig;
        TScriptedPrompt prompt;
        TFakeHeadUnit unit;
        unit.clockReads = {impossible, {1, 3, 0x07, 0xEA, 0, 0, 5}}; // garbled once at midnight
        rig.Answer(unit);
        rig.veltrak->ReadClock();
        EXPECT_TRUE(prompt.shown.empty());
        EXPECT_EQ(rig.ftdi.RequestsOf(2, 14).size(), 2u);
        EXPECT_EQ(rig.veltrak->Status().ClockDay, DaysSince1880({2026, 3, 1}));
        EXPECT_EQ(rig.veltrak->Status().ClockTime, 500);
    }
    TVIRig rig;
    TScriptedPrompt prompt;
    TFakeHeadUnit unit;
    unit.garbled = {kClock}; // no valid answer: the fallback, quietly
    rig.Answer(unit);
    rig.veltrak->ReadClock();
    EXPECT_TRUE(prompt.shown.empty());
    EXPECT_EQ(rig.veltrak->Status().ClockDay, DaysSince1880({2004, 1, 1}));
    EXPECT_EQ(rig.ftdi.requests.size(), 3u); // the tries of one read, no write
}

TEST(VeltrakVILive, ValuesInRawUnits) {
    TVIRig rig;
    rig.ftdi.replies = {ReplyFrame({1, 6, 0x00, 0xFA, 90, 0x01, 0x2C, 150, 0x01, 0x00, 0xFF, 0xEC})};
    rig.veltrak->ReadLiveValues();
    const TVeltrakStatus& s = rig.veltrak->Status();
    EXPECT_EQ(s.Leistung, 2000);          // 250 W in eighths
    EXPECT_EQ(s.Tretfrequenz, 90 * 32);   // rpm in 1/32
    EXPECT_EQ(s.Geschwindigkeit, 8333);   // 30.0 km/h in mm/s
    EXPECT_EQ(s.Herzfrequenz, 150 * 64);  // bpm in 1/64
    EXPECT_EQ(s.Temperatur, -20);         // -2.0 degrees
    rig.ftdi.replies = {ReplyFrame({1, 6, 0x00, 0xFA})}; // cut short
    EXPECT_THROW(rig.veltrak->ReadLiveValues(), Exception);
}

TEST(VeltrakVIBrake, ValuesGoOutInThirtyTwoBitsAndComeBackWithTheBrakeType) {
    TVIRig rig;
    TVeltrakStatus& s = rig.veltrak->Status();
    s.BremseOffset = 69632; // beyond 16 bits
    s.BremseGrenze = -5;    // nothing a brake could take
    s.BremseSteigung = 0xF00000;
    s.BremseTeiler = 1;
    rig.ftdi.replies = {ReplyFrame({3, 1})};
    rig.veltrak->WriteBrakeCalibration();
    ASSERT_EQ(rig.ftdi.RequestsOf(3, 1).size(), 1u);
    EXPECT_EQ(DataOf(rig.ftdi.RequestsOf(3, 1)[0]), (TBytes{0, 1, 0x10, 0, 0, 0, 0, 0, 0, 0xF0, 0, 0, 1}));

    rig.ftdi.replies = {ReplyFrame({3, 1, 0, 0, 0x80, 0, 0, 0, 0x1E, 0x94, 0, 0, 0, 0, 2, 1})};
    rig.veltrak->ReadBrakeCalibration();
    EXPECT_EQ(s.BremseOffset, 32768);
    EXPECT_EQ(s.BremseGrenze, 7828);
    EXPECT_EQ(s.BremseSteigung, 0);
    EXPECT_EQ(s.BremseTeiler, 2);
    EXPECT_EQ(s.BremseTyp, TVeltrakBremseTyp::BremseTypWirbelStrom);
    rig.ftdi.replies = {ReplyFrame({3, 1, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0, 0, 0, 1, 7})};
    rig.veltrak->ReadBrakeCalibration();
    EXPECT_EQ(s.BremseOffset, INT32_MAX);
    EXPECT_EQ(s.BremseTyp, TVeltrakBremseTyp::BremseTypKeine); // a type this program does not know
    rig.ftdi.replies = {ReplyFrame({3, 1, 0, 0, 0x80, 0})}; // cut short: nothing taken
    EXPECT_THROW(rig.veltrak->ReadBrakeCalibration(), Exception);
    EXPECT_EQ(s.BremseOffset, INT32_MAX);
}

TEST(VeltrakVIBeats, IntervalsComeWithTheLostCountAndRepliesThatDoNotAddUpAreRefused) {
    TVIRig rig;
    rig.ftdi.replies = {ReplyFrame({1, 7, 2, 3, 0x17, 0x70, 0x1B, 0x58})};
    const TBeatIntervals beats = rig.veltrak->ReadBeatIntervals();
    EXPECT_EQ(beats.intervals, (std::vector<uint16_t>{6000, 7000}));
    EXPECT_EQ(beats.lost, 3);
    ASSERT_EQ(rig.ftdi.RequestsOf(1, 7).size(), 1u);
    EXPECT_TRUE(DataOf(rig.ftdi.RequestsOf(1, 7)[0]).empty());
    rig.ftdi.replies = {ReplyFrame({1, 7, 0, 0})};
    EXPECT_TRUE(rig.veltrak->ReadBeatIntervals().intervals.empty());

    TBytes tooMany = {1, 7, 65, 0};
    tooMany.resize(4 + 2 * 65, 0x10);
    for (const TBytes& reply : {TBytes{1, 7, 2, 0, 0x17, 0x70}, TBytes{1, 7, 1, 0, 0x17, 0x70, 0}, tooMany,
                                TBytes{1, 7, 0xFF, 0}}) {
        rig.ftdi.replies = {ReplyFrame(reply)};
        EXPECT_THROW(rig.veltrak->ReadBeatIntervals(), Exception) << reply.size();
    }
}

TEST(VeltrakVIFallback, BelowHardwareVersion7TheSerialProtocolServes) {
    TVIRig rig;
    rig.veltrak->Status().SetHWVersion(TVeltrakHWVersion::HWVersionVT5x128);
    rig.veltrak->SetPort({"Test", "/dev/ttyTEST0", 3});
    rig.veltrak->SetSearchAllPorts(false);
    rig.veltrak->Line().OpenPort(rig.veltrak->Port());
    rig.veltrak->ReadClock(); // a silent generation V head unit: the fallback date
    EXPECT_TRUE(rig.ftdi.requests.empty());
    ASSERT_GE(rig.serial->written.size(), 2u);
    EXPECT_EQ(rig.serial->written[1], 'M');
    EXPECT_FALSE(rig.veltrak->IsBusy());
    EXPECT_TRUE(rig.ftdi.requests.empty());
}

TEST(VeltrakVILog, TrafficGoesBelowTheDatabase) {
    test::TTempDir dir;
    TVIRig rig;
    TFakeHeadUnit unit;
    rig.Answer(unit);
    rig.veltrak->OpenTrafficLog(dir.Path());
    ASSERT_TRUE(rig.veltrak->Request(0));
    EXPECT_EQ(test::ReadFileBytes(dir.File("LogCommFiles/Log.txt")).rfind("Send:A4,B0,00,03,01,01,", 0), 0u);
    EXPECT_NE(test::ReadFileBytes(dir.File("LogCommFiles/Log.txt")).find("Received:A4,;"), std::string::npos);
    EXPECT_FALSE(test::ReadFileBytes(dir.File("LogCommFiles/Header.txt")).empty());
    rig.veltrak->OpenTrafficLog("/proc/klt-no-database"); // quietly no log
    EXPECT_TRUE(rig.veltrak->Request(0));
}

} // namespace
} // namespace klt
