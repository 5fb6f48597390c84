// Generation IV: identification, password, checksum faults and the status read, against the
// simulated head unit.
#include <gtest/gtest.h>

#include "core/KLTDate.h"
#include "device/VeltrakExceptions.h"
#include "tests/integration/SimulatorRig.h"
#include "tools/sim/SimMemory.h"

namespace klt {
namespace {

using test::SimOptions;
using test::TSimulatorRig;

sim::TSimOptions RegisterUnit(int firmware, uint32_t password = 0) {
    sim::TSimOptions options = SimOptions(4);
    options.firmware = firmware;
    options.password = password;
    return options;
}

TEST(RegisterHeadUnit, VersionBandsDecideWhetherTheHeadUnitIsServed) {
    {
        TSimulatorRig rig(RegisterUnit(199));
        EXPECT_THROW(rig.veltrak->Identify(), EVeltrakTooOld);
    }
    {
        TSimulatorRig rig(RegisterUnit(500));
        EXPECT_THROW(rig.veltrak->Identify(), EVeltrakTooNew);
    }
    TSimulatorRig rig(RegisterUnit(314));
    rig.veltrak->Identify();
    EXPECT_EQ(rig.veltrak->RegisterVersion(), 314);
    EXPECT_EQ(rig.veltrak->Status().SWVersion(), 310);
}

TEST(RegisterHeadUnit, LockedHeadUnitNeedsTheRightPassword) {
    {
        TSimulatorRig rig(RegisterUnit(240, 0x12345678));
        rig.veltrak->SetPassword(0x12345679);
        EXPECT_THROW(rig.veltrak->Identify(), EVeltrakPassword);
        EXPECT_EQ(rig.sim.State().passwordAttempts, std::vector<uint32_t>{0x12345679});
    }
    TSimulatorRig rig(RegisterUnit(240, 0x12345678));
    rig.veltrak->SetPassword(0x12345678);
    rig.veltrak->Identify();
    EXPECT_EQ(rig.veltrak->AccessLevel(), TVeltrakPasswordLevel::PasswordLevelTrainer);
    EXPECT_EQ(rig.sim.State().passwordsAccepted, 1);
}

TEST(RegisterHeadUnit, AHeadUnitAnsweringFromItsOwnAddressIsStillServed) {
    sim::TSimOptions options = RegisterUnit(314);
    options.address = 0x31; // replies from its own multi-processor address, hears 0x30
    TSimulatorRig rig(options);
    rig.veltrak->ReadStatus();
    EXPECT_EQ(rig.veltrak->Status().SerMultiProzID, 0x31);
    rig.veltrak->ReadClock();
    EXPECT_EQ(rig.veltrak->Status().ClockDay, DaysSince1880({2027, 1, 15}));
}

TEST(RegisterHeadUnit, ChecksumFaultIsAnsweredByOneNakThenTimesOut) {
    sim::TSimOptions options = RegisterUnit(314);
    options.faults.checksumEvery = 1;
    TSimulatorRig rig(options);
    rig.veltrak->Line().OpenPort(rig.veltrak->Port());
    rig.veltrak->Line().ApplyMode(kRegisterLineMode);
    EXPECT_THROW(rig.veltrak->RegisterExchange(5), EVeltrakTimeout);
    EXPECT_EQ(rig.sim.State().repeatsRequested, 1);
}

TEST(RegisterHeadUnit, StatusReadBringsBackTheSimulatorsSettings) {
    TSimulatorRig rig(RegisterUnit(314));
    rig.veltrak->ReadStatus();
    const TVeltrakStatus& status = rig.veltrak->Status();
    EXPECT_EQ(status.NullstelleUsed, 512);
    EXPECT_EQ(status.SteigungUsed, 3056);
    EXPECT_EQ(status.Radumfang, 2105);
    EXPECT_EQ(status.InitialenPrefix(), "KLT");
    EXPECT_EQ(status.AbspeicherZeit(), 100);
    EXPECT_EQ(status.HeapSize, sim::kRegisterMemoryRecords);
    EXPECT_EQ(status.Prozessortakt, 7372800);
    EXPECT_EQ(status.BremseTyp, TVeltrakBremseTyp::BremseTypKeine);
    EXPECT_EQ(status.BremseGrenze, 400);
    EXPECT_EQ(status.BremseSteigung, 100);
    EXPECT_EQ(status.BremseTeiler, 4);
    EXPECT_TRUE(status.LcdPresentFlag);
    EXPECT_EQ(status.RTCError, TVeltrakRTCError::RTCErrorNone);
    EXPECT_EQ(status.Leistung % 8, 0); // sent as an eighth
    EXPECT_GE(status.ClockDay, 32872 + test::kSimClock / 86400);
}

// The records the simulated head unit holds: its rides with the calibration it reports.
std::vector<sim::TMemoryRecord> MemoryOf(const sim::TSimOptions& options) {
    return sim::EncodeRegisterMemory(
        sim::BuildSimRides({options.rides, options.rideMinutes, 10, options.seed, options.initials, test::kSimClock}),
        sim::TRecordSettings{1, 1, 512, 3056, 2105}, 10);
}

TEST(RegisterHeadUnit, ServesItsMemoryRecordByRecordForADownload) {
    const sim::TSimOptions options = RegisterUnit(314);
    TSimulatorRig rig(options);
    rig.veltrak->ReadStatus();
    const TVeltrakStatus& status = rig.veltrak->Status();
    const auto records = MemoryOf(options);
    ASSERT_EQ(status.HeapCount, records.size());
    EXPECT_EQ(status.HeapCountUpper, 0);
    for (const size_t index : {size_t{0}, size_t{1}, size_t{4}, records.size() / 2, records.size() - 1}) {
        EXPECT_EQ(rig.veltrak->ReadMemoryBlock(static_cast<uint16_t>(index)), records[index]) << index;
    }
    EXPECT_EQ(rig.veltrak->ReadMemoryBlock(status.HeapCount), (std::array<uint8_t, 5>{0xFF, 0xFF, 0xFF, 0xFF, 0xFF}))
        << "nothing recorded beyond the fill count";
}

TEST(RegisterHeadUnit, TheNewestRecordsCanLieInTheUpperPartReadFromTheEndDown) {
    sim::TSimOptions options = RegisterUnit(314);
    options.upperRecords = 3;
    TSimulatorRig rig(options);
    rig.veltrak->ReadStatus();
    const TVeltrakStatus& status = rig.veltrak->Status();
    const auto records = MemoryOf(options);
    ASSERT_EQ(status.HeapCountUpper, 3);
    ASSERT_EQ(status.HeapCount + 3u, records.size());
    EXPECT_EQ(rig.veltrak->ReadMemoryBlock(static_cast<uint16_t>(status.HeapCount - 1)), records[status.HeapCount - 1]);
    for (uint16_t n = 0; n < 3; ++n) {
        EXPECT_EQ(rig.veltrak->ReadMemoryBlock(static_cast<uint16_t>(status.HeapSize - 1 - n)),
                  records[status.HeapCount + n])
            << n;
    }
}

} // namespace
} // namespace klt
