// The download dialogs' controllers against the head-unit simulator over a pseudo-terminal.
#include <gtest/gtest.h>

#include <filesystem>

#include "flow/ReadDataModel.h"
#include "flow/SaveDataModel.h"
#include "tests/device/PtyHeadUnit.h"
#include "tests/support/ScriptedPrompt.h"
#include "tests/support/TempDatabase.h"
#include "tools/sim/HeadUnitSimulator.h"

namespace klt {
namespace {

constexpr int kStretch = 8; // the protocol's time-outs, stretched for a loaded machine

class SimulatorDownloadTest : public ::testing::Test {
protected:
    // Reads a simulated head unit of `generation` (4 or 5) holding one short ride.
    TKLTVtrkReadDataModel& Read(int generation) {
        sim::TSimOptions options;
        options.generation = generation;
        options.clock = 1'800'000'000;
        options.rides = 1;
        options.rideMinutes = 5;
        options.intervalTenths = 10;
        options.initials = "SIM";
        sim_ = std::make_unique<sim::THeadUnitSimulator>(options);
        sim_->Start();
        TDownloadConfiguration configuration;
        configuration.headUnitType = generation;
        configuration.searchAllPorts = false;
        configuration.port = {"Simulator", sim_->SlavePath(), 0};
        configuration.databaseDir = db_.Path();
        auto veltrak = std::make_unique<TVeltrak>(std::make_unique<test::TSlowTimeoutsLine>(kStretch), &clock_);
        read_ = std::make_unique<TKLTVtrkReadDataModel>(configuration, false, "%s", "%s", std::move(veltrak));
        return *read_;
    }
    TKLTVtrkSaveDataModel& Save() {
        save_ = std::make_unique<TKLTVtrkSaveDataModel>(read_->Image(), read_->Veltrak(), read_->Downloaded(),
                                                        read_->Configuration(), std::vector<std::string>{});
        return *save_;
    }

    test::TTempDatabase db_;
    test::TSlowClock clock_{kStretch};
    std::unique_ptr<sim::THeadUnitSimulator> sim_;
    std::unique_ptr<TKLTVtrkReadDataModel> read_;
    std::unique_ptr<TKLTVtrkSaveDataModel> save_;
};

TEST_F(SimulatorDownloadTest, GenerationIVRecordsBecomeTrainingsAndTheMemoryIsCleared) {
    TKLTVtrkReadDataModel& read = Read(4);
    ASSERT_TRUE(read.Download());
    EXPECT_GT(read.Image().RecordCount(), 0);
    TKLTVtrkSaveDataModel& save = Save();
    EXPECT_EQ(save.TrainingFileCount(), 1);
    EXPECT_TRUE(save.SaveAndClear(false));
    ASSERT_EQ(read.Downloaded().files.size(), 1u);
    EXPECT_TRUE(std::filesystem::exists(read.Downloaded().files[0]));
    bool intervalWritten = false;
    for (const sim::TRegisterWrite& write : sim_->State().registerWrites) {
        intervalWritten = intervalWritten || write.reg == 11;
    }
    EXPECT_TRUE(intervalWritten); // the new recording starts with the storage interval
}

TEST_F(SimulatorDownloadTest, GenerationVTrainingsAreWrittenWhileDownloading) {
    TKLTVtrkReadDataModel& read = Read(5);
    ASSERT_TRUE(read.Download());
    ASSERT_EQ(read.Downloaded().files.size(), 1u);
    EXPECT_TRUE(read.Downloaded().Complete());
    EXPECT_EQ(read.Progress(), 100);
    EXPECT_FALSE(read.RemainingTimeVisible());
    TKLTVtrkSaveDataModel& save = Save();
    EXPECT_EQ(save.TrainingFileCount(), 1);
    EXPECT_TRUE(save.SaveAndClear(false));
    EXPECT_EQ(sim_->State().memoryClears, 1);
}

TEST_F(SimulatorDownloadTest, GenerationVKeepsItsMemoryWhenTheTrainingsCannotBeSaved) {
    test::TScriptedPrompt prompt;
    TKLTVtrkReadDataModel& read = Read(5);
    test::WriteFileBytes(db_.Path() + "/_SIM.KLT", "in the way");
    ASSERT_TRUE(read.Download());
    EXPECT_TRUE(read.Downloaded().files.empty());
    EXPECT_FALSE(read.Downloaded().errors.empty());
    EXPECT_FALSE(Save().SaveAndClear(false));
    EXPECT_EQ(sim_->State().memoryClears, 0);
}

TEST_F(SimulatorDownloadTest, AbortDuringAGenerationVDownloadEndsItCancelled) {
    TKLTVtrkReadDataModel& read = Read(5);
    read.SetEventPump([&] {
        if (sim_->State().blocksAcknowledged >= 2) {
            read.Abort();
        }
    });
    EXPECT_FALSE(read.Download());
    EXPECT_EQ(read.Outcome(), TDownloadOutcome::Cancelled);
    EXPECT_EQ(sim_->State().downloadsCompleted, 0);
    EXPECT_TRUE(read.Downloaded().files.empty());
}

} // namespace
} // namespace klt
