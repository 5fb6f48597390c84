#include <gtest/gtest.h>

#include <cstdlib>

#include "device/VeltrakExceptions.h"
#include "device/kltcomm.h"
#include "device/transport/ComPorts.h"
#include "tests/device/FakeSysfs.h"
#include "tests/device/ProtocolFixture.h"
#include "tests/device/ScriptedHeadUnits.h"

namespace klt {
namespace {

using test::TProtocolRig;
using test::TRegisterHeadUnit;

TEST(RegisterTelegram, ChecksumIsTheTwosComplementWithoutTheAddress) {
    const std::array<uint8_t, 4> data{0x01, 0x02, 0x03, 0x04};
    const auto request = RegisterRequest(0x30, 5, data);
    EXPECT_EQ(request, (std::array<uint8_t, 9>{0x04, 0x30, 0x20, 0x05, 1, 2, 3, 4, 0xD1}));
    uint8_t sum = 0;
    for (size_t i = 2; i < request.size(); ++i) {
        sum = static_cast<uint8_t>(sum + request[i]);
    }
    EXPECT_EQ(sum, 0);
}

TEST(RegisterProtocol, ReplyWithCorruptedAddressButMatchingChecksumIsTaken) {
    TRegisterHeadUnit unit;
    unit.replyAddress = 0x31;
    unit.registers[3] = {0, 0, 0, 0x08, 0x2F};
    TProtocolRig<TVeltrakOld> rig(unit);
    rig.protocol->ReadRegister(3);
    EXPECT_EQ(rig.protocol->Status().SWVersion(), 240);
    EXPECT_EQ(unit.requests, (std::vector<uint8_t>{5, 3}));
    EXPECT_EQ(unit.naksReceived, 0);
}

TEST(RegisterProtocol, WrongChecksumIsRefusedOnceThenTimesOut) {
    TRegisterHeadUnit unit;
    TProtocolRig<TVeltrakOld> rig(unit);
    rig.protocol->Identify();
    unit.badChecksums = 2;
    try {
        rig.protocol->ReadRegister(3);
        FAIL();
    } catch (const EVeltrakTimeout& e) {
        EXPECT_STREQ(e.what(), "Veltrak at port Com3 is not responding");
    }
    EXPECT_EQ(unit.naksReceived, 1);
    EXPECT_EQ(rig.protocol->RegisterVersion(), 0); // the next telegram identifies again
    unit.badChecksums = 1;
    rig.protocol->ReadRegister(3); // refused once, the repeated reply is good
    EXPECT_EQ(unit.naksReceived, 2);
}

TEST(RegisterProtocol, HeadUnitNakIsAnsweredBySendingOnceMore) {
    TRegisterHeadUnit unit;
    TProtocolRig<TVeltrakOld> rig(unit);
    rig.protocol->Identify();
    unit.naksToSend = 1;
    rig.protocol->ReadRegister(1);
    unit.naksToSend = 2;
    EXPECT_THROW(rig.protocol->ReadRegister(1), EVeltrakTimeout);
}

TEST(RegisterProtocol, SilentHeadUnitTimesOutAfterTheLineReset) {
    TRegisterHeadUnit unit;
    unit.silent = true;
    TProtocolRig<TVeltrakOld> rig(unit);
    EXPECT_THROW(rig.protocol->Identify(), EVeltrakTimeout);
    EXPECT_EQ(unit.requests, (std::vector<uint8_t>{5, 5})); // once more after the reset
    EXPECT_EQ(rig.line->breaks, 1);
}

TEST(RegisterProtocol, VersionBands) {
    struct TCase {
        uint8_t hundreds, units;
        bool tooOld, tooNew;
    };
    for (const TCase c : {TCase{1, 99, true, false}, TCase{5, 0, false, true}, TCase{4, 99, false, false}}) {
        TRegisterHeadUnit unit;
        unit.hundreds = c.hundreds;
        unit.units = c.units;
        TProtocolRig<TVeltrakOld> rig(unit);
        if (c.tooOld) {
            EXPECT_THROW(rig.protocol->Identify(), EVeltrakTooOld);
        } else if (c.tooNew) {
            EXPECT_THROW(rig.protocol->Identify(), EVeltrakTooNew);
        } else {
            rig.protocol->Identify();
            EXPECT_EQ(rig.protocol->RegisterVersion(), 499);
            EXPECT_EQ(rig.protocol->Status().SWVersion(), 495); // hardware 4 in the remainder
            EXPECT_EQ(static_cast<int>(rig.protocol->Status().HWVersion()), 4);
        }
    }
}

TEST(RegisterProtocol, PasswordGrantsTheAccessLevel) {
    TRegisterHeadUnit unit;
    unit.passwordNeeded = true;
    unit.password = 0xDEADBEEF;
    TProtocolRig<TVeltrakOld> rig(unit);
    rig.protocol->SetPassword(1234);
    EXPECT_THROW(rig.protocol->Identify(), EVeltrakPassword);
    EXPECT_EQ(unit.requests, (std::vector<uint8_t>{5, 26, 5}));
    EXPECT_EQ(unit.requestData[1], (std::array<uint8_t, 4>{0, 0, 0x04, 0xD2}));
    rig.protocol->SetPassword(0xDEADBEEF);
    rig.protocol->Identify();
    EXPECT_EQ(rig.protocol->AccessLevel(), TVeltrakPasswordLevel::PasswordLevelTrainer);
}

TEST(RegisterProtocol, BelowVersion240TheAccessLevelIsFour) {
    TRegisterHeadUnit unit;
    unit.units = 30;
    unit.level = 0;
    TProtocolRig<TVeltrakOld> rig(unit);
    rig.protocol->Identify();
    EXPECT_EQ(rig.protocol->AccessLevel(), TVeltrakPasswordLevel::PasswordLevelUnknown);
    EXPECT_EQ(unit.requests, (std::vector<uint8_t>{5}));
}

TEST(RegisterProtocol, SearchTakesTheFirstAnsweringPort) {
    TRegisterHeadUnit unit;
    TProtocolRig<TVeltrakOld> rig(unit);
    rig.protocol->SetSearchAllPorts(true);
    TVeltrakComPort configured = rig.protocol->Port();
    TVeltrakComPort other;
    other.Name = "Other";
    other.Path = "/dev/ttyTEST1";
    rig.protocol->SetPortLister([&] { return std::vector<TVeltrakComPort>{other, configured}; });
    rig.line->openedPaths.clear();
    rig.protocol->Identify();
    EXPECT_EQ(rig.line->openedPaths, (std::vector<std::string>{"/dev/ttyTEST0"}));

    unit.silent = true;
    rig.protocol->Disconnect();
    try {
        rig.protocol->Identify();
        FAIL();
    } catch (const EVeltrakTimeout& e) {
        EXPECT_STREQ(e.what(), "Veltrak at port Test, Other is not responding");
    }
}

TEST(RegisterProtocol, AConfiguredPortThatIsGoneFallsBackToTheDownloadCable) {
    TRegisterHeadUnit unit;
    TProtocolRig<TVeltrakOld> rig(unit);
    const TVeltrakComPort cable("KLT Downloadcable USB", "/dev/ttyTEST-cable", 101);
    rig.protocol->SetPort(TVeltrakComPort("Communications Port (ttyS7)", "/dev/klt-gone-port", 8));
    rig.protocol->SetPortLister([&] { return std::vector<TVeltrakComPort>{cable}; });
    rig.line->openedPaths.clear();
    rig.protocol->Identify();
    EXPECT_EQ(rig.line->openedPaths, std::vector<std::string>{cable.Path});
    EXPECT_EQ(rig.protocol->Port().Name, cable.Name);
}

TEST(RegisterProtocol, SearchOfAllPortsGoesThroughTheMachinesPorts) {
    test::TFakeSysfs sysfs;
    sysfs.AddOnBoard("ttyS0");
    sysfs.AddUsb("ttyUSB0", "0403", "6001", "FT232R", "ftdi_sio");
    ::setenv("KLT_SYSFS_ROOT", sysfs.Root().c_str(), 1);
    TRegisterHeadUnit unit;
    unit.silent = true;
    TProtocolRig<TVeltrakOld> rig(unit);
    rig.protocol->SetSearchAllPorts(true);
    rig.protocol->SetPortLister(ListComPorts);
    rig.line->openedPaths.clear();
    std::string message;
    try {
        rig.protocol->Identify();
    } catch (const EVeltrakTimeout& e) {
        message = e.what();
    }
    ::unsetenv("KLT_SYSFS_ROOT");
    // The list's own "None" entry has no port to search.
    EXPECT_EQ(message,
              "Veltrak at port Test, Communications Port (ttyS0), FT232R (ttyUSB0) is not responding");
    EXPECT_EQ(rig.line->openedPaths,
              (std::vector<std::string>{"/dev/ttyTEST0", "/dev/ttyS0", "/dev/ttyUSB0"}));
}

TEST(RegisterProtocol, ClockWithTelemetrySlotCorrection) {
    TRegisterHeadUnit unit;
    unit.hundreds = 3;
    unit.units = 20;
    unit.registers[14] = {10, 0, 0, 0x01, 0x00}; // 256 s and 10 hundredths
    TProtocolRig<TVeltrakOld> rig(unit);
    rig.protocol->Status().FunkTimeSlotDauer = 5;
    rig.protocol->Status().FunkID = 1; // two slots away: 50 hundredths
    rig.protocol->ReadClock();
    EXPECT_EQ(rig.protocol->Status().ClockDay, 32872);
    EXPECT_EQ(rig.protocol->Status().ClockTime, 25560);
}

TEST(RegisterProtocol, BrakeValuesBeyondTheRegisterWidthAreSentAsTheStrongestItCarries) {
    TRegisterHeadUnit unit;
    TProtocolRig<TVeltrakOld> rig(unit);
    TVeltrakStatus& s = rig.protocol->Status();
    s.BremseOffset = 0x11000; // brakes the flywheel to a stop: wrapped to 16 bits it would brake nothing
    s.BremseGrenze = 20000;
    s.BremseSteigung = 0xF00000;
    s.BremseTeiler = 1;
    rig.protocol->WriteBrakeCalibration();
    const auto sent = [&](uint8_t reg) {
        for (size_t i = 0; i < unit.requests.size(); ++i) {
            if (unit.requests[i] == reg) {
                return unit.requestData[i];
            }
        }
        return std::array<uint8_t, 4>{};
    };
    EXPECT_EQ(sent(35), (std::array<uint8_t, 4>{0xFF, 0xFF, 0, 0}));
    EXPECT_EQ(sent(36), (std::array<uint8_t, 4>{0, 0, 0x4E, 0x20}));
    EXPECT_EQ(sent(37), (std::array<uint8_t, 4>{0xFF, 0xFF, 1, 0}));
}

} // namespace
} // namespace klt
