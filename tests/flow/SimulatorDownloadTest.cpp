// The download dialogs' controllers against the head-unit simulator over a pseudo-terminal.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "core/KLTFile.h"
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
    TKLTVtrkReadDataModel& Read(int generation, const std::function<void(sim::TSimOptions&)>& change = {}) {
        sim::TSimOptions options;
        options.generation = generation;
        options.clock = 1'800'000'000;
        options.rides = 1;
        options.rideMinutes = 5;
        options.intervalTenths = 10;
        options.initials = "SIM";
        if (change) {
            change(options);
        }
        sim_ = std::make_unique<sim::THeadUnitSimulator>(options);
        sim_->Start();
        TDownloadConfiguration configuration;
        configuration.headUnitType = generation;
        configuration.searchAllPorts = false;
        configuration.port = {"Simulator", sim_->SlavePath(), 0};
        configuration.databaseDir = db_.Path();
        auto veltrak = std::make_unique<TVeltrak>(std::make_unique<test::TSlowTimeoutsLine>(kStretch), &clock_);
        read_ = std::make_unique<TKLTVtrkReadDataModel>(configuration, false, "%s", "%s", test::InstalledPrompt(),
                                                        std::move(veltrak));
        return *read_;
    }
    TKLTVtrkSaveDataModel& Save() {
        save_ = std::make_unique<TKLTVtrkSaveDataModel>(read_->Image(), read_->Veltrak(), read_->Downloaded(),
                                                        read_->Sink(), read_->Configuration(),
                                                        std::vector<std::string>{});
        return *save_;
    }

    // Downloads again from the same head unit, as after "Keep data in Veltrak".
    TKLTVtrkReadDataModel& ReadAgain() {
        save_.reset();
        auto veltrak = std::make_unique<TVeltrak>(std::make_unique<test::TSlowTimeoutsLine>(kStretch), &clock_);
        read_ = std::make_unique<TKLTVtrkReadDataModel>(read_->Configuration(), false, "%s", "%s",
                                                        test::InstalledPrompt(), std::move(veltrak));
        return *read_;
    }
    std::unique_ptr<TKLTFile> Training(size_t index) const {
        auto file = std::make_unique<TKLTFile>(read_->Downloaded().files.at(index));
        file->ReadFile();
        return file;
    }
    size_t Backups() const {
        std::error_code error;
        const auto entries = std::filesystem::directory_iterator(db_.Path() + "/KLTIMAGE", error);
        return error ? 0 : static_cast<size_t>(std::distance(std::filesystem::begin(entries), std::filesystem::end(entries)));
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
    read.OnChanged = [&] {
        if (sim_->State().blocksAcknowledged >= 2) {
            read.Abort();
        }
    };
    EXPECT_FALSE(read.Download());
    EXPECT_EQ(read.Outcome(), TDownloadOutcome::Cancelled);
    EXPECT_EQ(sim_->State().downloadsCompleted, 0);
    EXPECT_TRUE(read.Downloaded().files.empty());
}

TEST_F(SimulatorDownloadTest, GenerationVSavesWhatWasRecordedAndNothingTwice) {
    // A winter ride of five minutes at one second: 300 samples in 28 blocks of 11 record slots.
    TKLTVtrkReadDataModel& read = Read(5, [](sim::TSimOptions& options) { options.temperature = -5; });
    ASSERT_TRUE(read.Download());
    ASSERT_EQ(read.Downloaded().files.size(), 1u);
    const auto training = Training(0);
    EXPECT_EQ(training->SampleCount(), 300); // the empty slots of the last block are no samples
    EXPECT_LT(training->Sample(1).Temperature(), -40);
    EXPECT_GT(training->Sample(1).Temperature(), -60);
    EXPECT_TRUE(Save().SaveAndKeep(false));

    // Downloaded again without clearing: every training is known.
    ASSERT_TRUE(ReadAgain().Download());
    EXPECT_TRUE(read_->Downloaded().files.empty());
    EXPECT_EQ(read_->Downloaded().skippedKnown, 1);
    EXPECT_TRUE(Save().SaveAndClear(false));
    EXPECT_EQ(sim_->State().memoryClears, 1);
}

TEST_F(SimulatorDownloadTest, GenerationVLineNoiseThatStaysKeepsTheMemoryAndItsImage) {
    test::TScriptedPrompt prompt;
    TKLTVtrkReadDataModel& read = Read(5, [](sim::TSimOptions& options) { options.faults.checksumEvery = 1; });
    ASSERT_TRUE(read.Download());
    EXPECT_TRUE(read.Downloaded().files.empty()); // no block came through clean
    EXPECT_FALSE(read.Downloaded().Complete());
    EXPECT_EQ(Backups(), 1u);
    EXPECT_FALSE(Save().SaveAndClear(false));
    EXPECT_EQ(sim_->State().memoryClears, 0);
}

TEST_F(SimulatorDownloadTest, GenerationVDataOfNoTrainingKeepTheMemory) {
    for (const bool undated : {true, false}) {
        SCOPED_TRACE(undated ? "a block without a valid time" : "blocks before the first training");
        test::TScriptedPrompt prompt;
        TKLTVtrkReadDataModel& read = Read(5, [&](sim::TSimOptions& options) {
            (undated ? options.faults.badDateEvery : options.faults.headlessBlocks) = undated ? 5 : 2;
        });
        ASSERT_TRUE(read.Download());
        EXPECT_FALSE(read.Downloaded().Complete());
        ASSERT_EQ(read.Downloaded().files.size(), 1u);
        if (undated) {
            // the samples after a lost block go on at the time its successor was recorded
            EXPECT_GE(Training(0)->Blocks().size(), 2u);
        }
        EXPECT_FALSE(Save().SaveAndClear(false));
        EXPECT_EQ(sim_->State().memoryClears, 0);
        std::filesystem::remove_all(db_.Path());
        std::filesystem::create_directories(db_.Path());
    }
}

TEST_F(SimulatorDownloadTest, GenerationVGetsItsPowerDownModeBackWithTheNewRecording) {
    TKLTVtrkReadDataModel& read = Read(5, [](sim::TSimOptions& options) {
        options.powerDownMode = '1';
        options.powerDownSeconds = 300;
    });
    ASSERT_TRUE(read.Download());
    EXPECT_TRUE(Save().SaveAndClear(false));
    std::vector<std::vector<uint8_t>> powerDown;
    for (const sim::TCharacterTelegram& telegram : sim_->State().telegrams) {
        if (telegram.command == 'v' && telegram.data.size() == 3 && telegram.data[0] != 0xFF) {
            powerDown.push_back(telegram.data);
        }
    }
    // switched off for the download, then back as it was
    EXPECT_EQ(powerDown, (std::vector<std::vector<uint8_t>>{{'0', 0, 0}, {'1', 0x01, 0x2C}}));
}

} // namespace
} // namespace klt
