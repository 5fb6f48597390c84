// Generation V: the port search, framing by firmware, the status read, the clock, starting a
// recording and the memory download, against the simulated head unit.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "core/Exceptions.h"
#include "device/VeltrakExceptions.h"
#include "tests/integration/SimulatorRig.h"
#include "tests/support/ScriptedPrompt.h"
#include "tools/sim/SimMemory.h"

namespace klt {
namespace {

using test::SimOptions;
using test::TSimulatorRig;

sim::TSimOptions UnitV(int firmware) {
    sim::TSimOptions options = SimOptions(5);
    options.firmware = firmware;
    return options;
}

// The memory the simulator built for these options.
std::vector<uint8_t> SimulatorMemory(const sim::TSimOptions& options) {
    const sim::TRideSchedule schedule{options.rides, options.rideMinutes, options.intervalTenths,
                                      options.seed,  options.initials,    *options.clock};
    return sim::EncodeBlockMemory(sim::BuildSimRides(schedule), options.Firmware(), options.intervalTenths);
}

bool Heard(const sim::TSimState& state, char command, std::vector<uint8_t> data) {
    return std::any_of(state.telegrams.begin(), state.telegrams.end(), [&](const sim::TCharacterTelegram& t) {
        return t.command == command && t.data == data;
    });
}

TEST(GenerationVHeadUnit, RawAndFramedTelegramsByFirmware) {
    for (const int firmware : {0x4309, 0x430A}) {
        SCOPED_TRACE(firmware);
        TSimulatorRig rig(UnitV(firmware));
        rig.veltrak->FindHeadUnitV();
        EXPECT_EQ(rig.veltrak->Status().SWVersion(), firmware);
        ASSERT_TRUE(rig.veltrak->SendTelegramV('G', {0xFF, 0xFF}, 2));
        EXPECT_EQ(rig.veltrak->Reply(), (std::vector<uint8_t>{0x08, 0x39})); // 2105 mm
        EXPECT_TRUE(Heard(rig.sim.State(), 'G', {0xFF, 0xFF}));
    }
}

TEST(GenerationVHeadUnit, SlowHeadUnitIsFoundInTheSecondPassAfterTheWakeUp) {
    sim::TSimOptions options = UnitV(0x7700);
    options.faults.only4800 = true;
    TSimulatorRig rig(options, 4); // the 9600-baud pass meets silence
    rig.veltrak->FindHeadUnitV();
    EXPECT_EQ(rig.veltrak->Status().SWVersion(), 0x7700);
    EXPECT_GE(rig.sim.State().wakeUps, 1);
}

TEST(GenerationVHeadUnit, NewerFirmwareStopsTheStatusReadAfterTheWarning) {
    TSimulatorRig rig(UnitV(0x7931));
    test::TScriptedPrompt prompt({TPromptAnswer::Ok});
    EXPECT_THROW(rig.veltrak->ReadStatus(), Exception);
    ASSERT_EQ(prompt.shown.size(), 1u);
    EXPECT_NE(prompt.shown[0].text.find("Press cancel to proceed on your own risk."), std::string::npos);
    EXPECT_FALSE(Heard(rig.sim.State(), 'M', {0}));
}

TEST(GenerationVHeadUnit, StatusReadBringsBackTheSimulatorsSettings) {
    sim::TSimOptions options = UnitV(0x7700);
    options.initials = "ABC";
    options.intervalTenths = 5;
    TSimulatorRig rig(options);
    test::TScriptedPrompt prompt;
    rig.veltrak->ReadStatus();
    const TVeltrakStatus& status = rig.veltrak->Status();
    EXPECT_EQ(rig.veltrak->FailedSettings(), 0u) << SettingGroupNames(rig.veltrak->FailedSettings());
    EXPECT_TRUE(prompt.shown.empty());
    EXPECT_EQ(status.SWVersion(), 0x7700);
    EXPECT_EQ(status.Radumfang, 2105);
    EXPECT_EQ(status.Initialen(), "ABC");
    EXPECT_EQ(status.AbspeicherZeit(), 50);
    EXPECT_EQ(status.ClockDay, 32872 + test::kSimClock / 86400);
}

TEST(HeadUnitClock, IsSetAndReadBackOnBothGenerations) {
    for (const int generation : {4, 5}) {
        SCOPED_TRACE(generation);
        TSimulatorRig rig(SimOptions(generation));
        rig.Connect();
        TVeltrakStatus& status = rig.veltrak->Status();
        status.ClockDay = 32872 + 20000; // 4 October 2024
        status.ClockTime = (21 * 3600 + 34 * 60) * 100;
        rig.veltrak->WriteClock();
        status.ClockDay = 0;
        rig.veltrak->ReadClock();
        EXPECT_EQ(status.ClockDay, 32872 + 20000);
        EXPECT_GE(status.ClockTime, (21 * 3600 + 34 * 60) * 100);
        EXPECT_LT(status.ClockTime, (21 * 3600 + 40 * 60) * 100);
    }
}

TEST(GenerationVHeadUnit, StartRecordingClearsTheMemoryAndWritesIntervalAndInitials) {
    TSimulatorRig rig(UnitV(0x7700));
    rig.veltrak->FindHeadUnitV();
    TVeltrakStatus& status = rig.veltrak->Status();
    status.SetAbspeicherZeit(200);
    status.SetInitialen("RIDER");
    rig.veltrak->StartRecording();
    const sim::TSimState state = rig.sim.State();
    EXPECT_EQ(state.memoryClears, 1);
    EXPECT_EQ(state.recordingsStarted, 1);
    EXPECT_EQ(state.intervalTenths, 20);
    EXPECT_EQ(state.initials, "RIDER");
}

TEST(GenerationVHeadUnit, DownloadHasTheSimulatorsMemoryDespiteNoisyBlocks) {
    sim::TSimOptions options = UnitV(0x7700);
    options.rides = 1;
    options.rideMinutes = 10;
    options.faults.checksumEvery = 5; // every fifth block arrives with four 0xFF bytes
    TSimulatorRig rig(options);
    rig.veltrak->FindHeadUnitV();
    rig.veltrak->DownloadMemoryV(nullptr, true);
    sim::TSimState state = rig.sim.State();
    // The last acknowledgement may still be on its way to the head unit.
    for (int wait = 0; wait < 500 && state.downloadsCompleted == 0; ++wait) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        state = rig.sim.State();
    }
    EXPECT_EQ(state.downloadsCompleted, 1);
    EXPECT_GT(state.blocksRefused, 0);
    const std::vector<uint8_t> expected = SimulatorMemory(options);
    ASSERT_EQ(rig.veltrak->BlockCount() * sim::kBlockSize, expected.size());
    for (size_t block = 0; block < rig.veltrak->BlockCount(); ++block) {
        const auto got = rig.veltrak->Block(block);
        ASSERT_TRUE(std::equal(got.begin(), got.end(), expected.begin() + static_cast<long>(block) * 64))
            << "block " << block;
    }
}

TEST(GenerationVHeadUnit, EmptyMemoryDownloadsNothing) {
    for (const int firmware : {0x430A, 0x7700}) { // the newer one announces three blocks
        SCOPED_TRACE(firmware);
        sim::TSimOptions options = UnitV(firmware);
        options.rides = 0;
        TSimulatorRig rig(options);
        rig.veltrak->FindHeadUnitV();
        rig.veltrak->DownloadMemoryV(nullptr, false);
        EXPECT_EQ(rig.veltrak->BlockCount(), 0u);
        EXPECT_EQ(rig.sim.State().blocksSent, 0);
    }
}

TEST(GenerationVHeadUnit, AbortFromTheIdleHookStopsTheDownload) {
    sim::TSimOptions options = UnitV(0x7700);
    options.rides = 1;
    TSimulatorRig rig(options);
    rig.veltrak->FindHeadUnitV();
    rig.veltrak->OnIdle = [&] {
        if (rig.sim.State().blocksAcknowledged >= 2) {
            rig.veltrak->RequestAbort();
        }
    };
    EXPECT_THROW(rig.veltrak->DownloadMemoryV(nullptr, false), EVeltrakAbort);
    EXPECT_EQ(rig.sim.State().downloadsStarted, 1); // an abort is not retried
    EXPECT_EQ(rig.sim.State().downloadsCompleted, 0);
}

TEST(GenerationVHeadUnit, SeventhFailureInARowTimesOut) {
    sim::TSimOptions options = UnitV(0x430A);
    options.faults.only4800 = true; // deaf to the 9600 baud used below
    TSimulatorRig rig(options, 1);  // silence is expected: real time-outs
    rig.veltrak->Line().OpenPort(rig.veltrak->Port());
    rig.veltrak->Status().SetHWVersion(TVeltrakHWVersion::HWVersionVT5x128);
    rig.veltrak->Status().SetSWVersion(0x430A);
    EXPECT_FALSE(rig.veltrak->SendTelegramV('G', {0xFF, 0xFF}, 2));
    EXPECT_EQ(rig.veltrak->ConsecutiveFailures(), 4);
    EXPECT_THROW(rig.veltrak->SendTelegramV('G', {0xFF, 0xFF}, 2), EVeltrakTimeout);
}

} // namespace
} // namespace klt
