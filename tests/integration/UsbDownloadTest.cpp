// Generation 7 downloads end to end: the simulated head unit behind its USB chip, the program's
// link and protocol, the read and save dialogs' controllers, and the training files they leave in
// the database, compared sample by sample with the rides the head unit recorded.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <memory>

#include "core/KLTFile.h"
#include "core/TrainingIndexFormat.h"
#include "device/transport/SimFtdiLink.h"
#include "device/transport/UsbLink.h"
#include "flow/ReadDataModel.h"
#include "flow/SaveDataModel.h"
#include "tests/device/FakeLine.h"
#include "tests/integration/SimulatorRig.h"
#include "tests/support/ScriptedPrompt.h"
#include "tests/support/TempDatabase.h"

namespace klt {
namespace {

using sim::TExpectedTraining;

constexpr int kCrankStopHundredths = 300; // the lag of a crank's stop report the download removes

sim::TSimOptions ShortRides(int rides) {
    sim::TSimOptions options = test::SimOptions(7);
    options.rides = rides;
    options.rideMinutes = 4;
    options.replyDelayMs = 0;
    return options;
}

// The head unit's rides as the download keeps them: power and cadence cleared for the lag before
// each crank stop, trainings shorter than the minimum left out. Speeds are kept exactly.
std::vector<TExpectedTraining> AsDownloaded(std::vector<TExpectedTraining> trainings, int32_t minDuration) {
    std::erase_if(trainings, [&](const TExpectedTraining& t) {
        return static_cast<int64_t>(t.samples.size()) * (t.intervalMs / 10) < minDuration;
    });
    for (TExpectedTraining& t : trainings) {
        const auto lag = static_cast<size_t>(std::lround(static_cast<double>(kCrankStopHundredths) / (t.intervalMs / 10)));
        const std::vector<sim::TExpectedSample> recorded = t.samples;
        for (size_t i = 1; i < recorded.size(); ++i) {
            if (recorded[i].cadenceRpm == 0 && recorded[i - 1].cadenceRpm != 0) {
                for (size_t k = i - std::min(lag, i); k < i; ++k) {
                    t.samples[k].powerWatts = 0;
                    t.samples[k].cadenceRpm = 0;
                }
            }
        }
    }
    return trainings;
}

void ExpectTrainingFile(const std::string& path, const TExpectedTraining& expected) {
    SCOPED_TRACE(path);
    TKLTFile file(path);
    ASSERT_NO_THROW(file.ReadFile());
    EXPECT_EQ(file.Header().date, expected.date);
    EXPECT_EQ(file.Interval(), expected.intervalMs / 10);
    std::vector<TKLTBlock> blocks;
    for (const sim::TExpectedTimeBlock& block : expected.blocks) {
        blocks.push_back({static_cast<uint32_t>(block.start), static_cast<uint16_t>(block.count)});
    }
    EXPECT_EQ(file.Blocks(), blocks);
    ASSERT_EQ(file.SampleCount(), static_cast<int>(expected.samples.size()));
    int wrong = 0;
    for (int i = 1; i <= file.SampleCount() && wrong < 5; ++i) {
        const TSampleElement& got = file.Sample(i);
        const sim::TExpectedSample& want = expected.samples[static_cast<size_t>(i - 1)];
        const bool equal = got.Power() == want.powerWatts * 8 && got.Cadence() == want.cadenceRpm * 32 &&
                           got.HeartRate() == want.heartRateBpm * 64 && got.Speed() == want.speedMmPerS &&
                           got.Altitude() == want.altitudeM && got.Temperature() == want.temperatureTenths;
        if (!equal) {
            ++wrong;
            ADD_FAILURE() << "sample " << i << ": power " << got.Power() << "/" << want.powerWatts * 8
                          << ", cadence " << got.Cadence() << "/" << want.cadenceRpm * 32 << ", heart rate "
                          << got.HeartRate() << "/" << want.heartRateBpm * 64 << ", speed " << got.Speed() << "/"
                          << want.speedMmPerS << ", altitude " << got.Altitude() << "/" << want.altitudeM
                          << ", temperature " << got.Temperature() << "/" << want.temperatureTenths;
        }
    }
    std::vector<sim::TExpectedInterval> intervals;
    for (int m = 1; m < file.MarkerCount(); ++m) {
        intervals.push_back({file.Marker(m).first - 1, file.Marker(m).last - 1});
    }
    EXPECT_EQ(intervals, expected.intervals);
}

// Training files, and anything else but the month folders' index, in the database folder.
std::vector<std::string> DatabaseFiles(const std::string& dir) {
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dir)) {
        if (entry.is_regular_file() && entry.path().filename() != kTrainingIndexName) {
            files.push_back(entry.path().string());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

// The simulated head unit on the program's USB link; the protocol's own waits pass on a fake clock.
class UsbDownloadTest : public ::testing::Test {
protected:
    void Plug(const sim::TSimOptions& options) {
        rig_ = std::make_unique<test::TUsbSimulatorRig>(options);
        sim_ = &rig_->sim;
        usb_ = rig_->usb.get();
    }
    TDownloadConfiguration Configuration() const {
        TDownloadConfiguration configuration;
        configuration.headUnitType = 7;
        configuration.searchAllPorts = false;
        configuration.databaseDir = db_.Path();
        return configuration;
    }
    // The read dialog's download; the save dialog's controller is then at hand in save_.
    TKLTVtrkReadDataModel& Read() {
        save_.reset();
        auto veltrak = std::make_unique<TVeltrak>(
            std::make_unique<test::TFakeLine>([](uint8_t, const TLineSettings&, std::deque<uint8_t>&) {}), &clock_,
            usb_);
        read_ = std::make_unique<TKLTVtrkReadDataModel>(Configuration(), false, "%s", "%s", test::InstalledPrompt(),
                                                        std::move(veltrak));
        EXPECT_TRUE(read_->Download());
        save_ = std::make_unique<TKLTVtrkSaveDataModel>(read_->Image(), read_->Veltrak(), read_->Downloaded(),
                                                        read_->Sink(), Configuration(), std::vector<std::string>{});
        return *read_;
    }
    std::vector<TExpectedTraining> Expected() const {
        return AsDownloaded(sim_->ExpectedTrainings(), Configuration().limits.MinDauerTraining);
    }
    bool Heard(uint8_t requestClass, uint8_t code) const {
        const sim::TSimState state = sim_->State();
        return std::any_of(state.usbRequests.begin(), state.usbRequests.end(), [&](const sim::TUsbRequest& r) {
            return r.requestClass == requestClass && r.code == code;
        });
    }

    test::TTempDatabase db_;
    test::TFakeClock clock_;
    std::unique_ptr<test::TUsbSimulatorRig> rig_;
    sim::THeadUnitSimulator* sim_ = nullptr;
    TUsbLink* usb_ = nullptr;
    std::unique_ptr<TKLTVtrkReadDataModel> read_;
    std::unique_ptr<TKLTVtrkSaveDataModel> save_;
};

TEST_F(UsbDownloadTest, EveryRideArrivesSampleBySampleAndALongOneIsSplitAtItsLaterTime) {
    sim::TSimOptions options = ShortRides(3); // the newest ride recorded as two sections
    options.longRideSamples = static_cast<int>(sim::kMaxTrainingSamples) + 150;
    Plug(options);
    test::TScriptedPrompt prompt;
    const TDownloadResult result = Read().Downloaded();
    const std::vector<TExpectedTraining> expected = Expected();
    ASSERT_EQ(expected.size(), 5u); // the long ride's two parts and three rides
    ASSERT_EQ(result.files.size(), expected.size()) << (result.errors.empty() ? "" : result.errors.front());
    EXPECT_TRUE(result.Complete());
    EXPECT_EQ(result.skippedKnown, 0);
    for (size_t t = 0; t < expected.size(); ++t) {
        ExpectTrainingFile(result.files[t], expected[t]);
    }
    EXPECT_EQ(expected[0].samples.size(), sim::kMaxTrainingSamples);
    EXPECT_EQ(expected[1].date, expected[0].date);
    EXPECT_EQ(expected[1].startTime, expected[0].startTime + sim::kMaxTrainingSamples * 100);
    EXPECT_GE(expected[4].blocks.size(), 2u) << "the two sections of the newest ride joined";
    EXPECT_TRUE(prompt.shown.empty());
}

TEST_F(UsbDownloadTest, TrainingsAlreadyInTheDatabaseAreNotReadAgain) {
    Plug(ShortRides(2));
    test::TScriptedPrompt prompt;
    const TDownloadResult first = Read().Downloaded();
    ASSERT_EQ(first.files.size(), 2u);
    const std::vector<std::string> before = DatabaseFiles(db_.Path());
    const TDownloadResult second = Read().Downloaded();
    EXPECT_TRUE(second.files.empty());
    EXPECT_EQ(second.skippedKnown, 2);
    EXPECT_TRUE(second.Complete());
    EXPECT_EQ(DatabaseFiles(db_.Path()), before);
}

TEST_F(UsbDownloadTest, UnpluggedMidwayKeepsTheRidesBeforeAndTheNextDownloadBringsTheRest) {
    sim::TSimOptions options = ShortRides(3);
    // cut inside the second ride's section
    const std::vector<sim::TSimSection> sections = sim::BuildSectionMemory(options, *options.clock);
    options.faults.unplugAfterBlocks = static_cast<int>(sections[0].records.size() / sim::kSectionBlockRecords) + 3;
    Plug(options);
    test::TScriptedPrompt prompt;
    const std::vector<TExpectedTraining> expected = Expected();
    ASSERT_EQ(expected.size(), 3u);

    TKLTVtrkReadDataModel& read = Read();
    const TDownloadResult cut = read.Downloaded();
    EXPECT_EQ(sim_->State().usbUnplugs, 1);
    EXPECT_FALSE(cut.Complete());
    ASSERT_EQ(cut.files.size(), 1u);
    ExpectTrainingFile(cut.files[0], expected[0]);
    EXPECT_EQ(DatabaseFiles(db_.Path()), cut.files) << "nothing half written, no temporary file";
    EXPECT_FALSE(save_->SaveAndClear(false));
    EXPECT_FALSE(save_->Cleared());
    EXPECT_EQ(sim_->State().memoryClears, 0);

    const TDownloadResult rest = Read().Downloaded();
    EXPECT_TRUE(rest.Complete()) << (rest.errors.empty() ? "" : rest.errors.front());
    EXPECT_EQ(rest.skippedKnown, 1);
    ASSERT_EQ(rest.files.size(), 2u);
    ExpectTrainingFile(rest.files[0], expected[1]);
    ExpectTrainingFile(rest.files[1], expected[2]);
    EXPECT_EQ(DatabaseFiles(db_.Path()).size(), 3u);
}

TEST_F(UsbDownloadTest, BusyAndSpoiltRepliesLoseNothing) {
    for (const bool busy : {true, false}) {
        SCOPED_TRACE(busy ? "busy" : "spoilt");
        sim::TSimOptions options = ShortRides(3);
        (busy ? options.faults.busyEvery : options.faults.checksumEvery) = 4;
        Plug(options);
        test::TScriptedPrompt prompt(std::deque<TPromptAnswer>(1000, TPromptAnswer::Ok));
        const TDownloadResult result = Read().Downloaded();
        const std::vector<TExpectedTraining> expected = Expected();
        EXPECT_TRUE(result.Complete()) << (result.errors.empty() ? "" : result.errors.front());
        ASSERT_EQ(result.files.size(), expected.size());
        for (size_t t = 0; t < expected.size(); ++t) {
            ExpectTrainingFile(result.files[t], expected[t]);
        }
        EXPECT_GT(sim_->State().faultsInjected, 10);
        for (const std::string& file : result.files) {
            std::filesystem::remove(file); // the next download reads them again
        }
    }
}

TEST_F(UsbDownloadTest, DeleteAfterACompleteDownloadClearsTheMemoryAndKeepSendsNothing) {
    Plug(ShortRides(1));
    test::TScriptedPrompt prompt;
    ASSERT_EQ(Read().Downloaded().files.size(), 1u);
    const size_t heard = sim_->State().usbRequests.size();
    EXPECT_TRUE(save_->SaveAndKeep(false));
    EXPECT_EQ(sim_->State().usbRequests.size(), heard);
    EXPECT_EQ(sim_->State().memoryClears, 0);

    ASSERT_TRUE(Read().Downloaded().Complete());
    EXPECT_TRUE(save_->SaveAndClear(false));
    EXPECT_TRUE(save_->Cleared());
    EXPECT_TRUE(Heard(4, 7));
    EXPECT_EQ(sim_->State().memoryClears, 1);
    EXPECT_TRUE(prompt.shown.empty());
}

TEST_F(UsbDownloadTest, ARideAfterOneKeptInTheDatabaseIsSavedBeforeTheMemoryIsCleared) {
    Plug(ShortRides(1));
    test::TScriptedPrompt prompt;
    ASSERT_EQ(Read().Downloaded().files.size(), 1u);
    EXPECT_TRUE(save_->SaveAndKeep(false));
    // The rider rides again that afternoon, within the pause that joins sections into one ride.
    const std::vector<TExpectedTraining> afternoon =
        AsDownloaded(sim_->RideAgain(5, 3 * 3600), Configuration().limits.MinDauerTraining);
    ASSERT_EQ(afternoon.size(), 1u);
    const TDownloadResult second = Read().Downloaded();
    EXPECT_EQ(second.skippedKnown, 1);
    ASSERT_EQ(second.files.size(), 1u);
    ExpectTrainingFile(second.files[0], afternoon[0]);
    EXPECT_TRUE(save_->SaveAndClear(false));
    EXPECT_EQ(sim_->State().memoryClears, 1);
    EXPECT_EQ(DatabaseFiles(db_.Path()).size(), 2u);
}

TEST_F(UsbDownloadTest, HeadUnitsThatEndEveryBlockOrBeginWithPausesDownloadWholeAndOnce) {
    sim::TSimOptions options = ShortRides(2);
    options.endEveryBlock = true;
    options.leadingPauses = 5;
    Plug(options);
    test::TScriptedPrompt prompt;
    const TDownloadResult first = Read().Downloaded();
    const std::vector<TExpectedTraining> expected = Expected();
    EXPECT_TRUE(first.Complete());
    ASSERT_EQ(first.files.size(), expected.size());
    for (size_t t = 0; t < expected.size(); ++t) {
        ExpectTrainingFile(first.files[t], expected[t]);
    }
    const TDownloadResult again = Read().Downloaded();
    EXPECT_TRUE(again.files.empty());
    EXPECT_EQ(again.skippedKnown, static_cast<int>(expected.size()));
    EXPECT_TRUE(again.Complete());
}

TEST_F(UsbDownloadTest, RecordsTheHeadUnitDidNotAnnounceOrAnImpossibleSectionKeepTheMemory) {
    for (const bool extra : {true, false}) {
        SCOPED_TRACE(extra ? "extra records" : "impossible date");
        sim::TSimOptions options = ShortRides(2);
        (extra ? options.faults.extraRecords : options.faults.badDateEvery) = 1;
        Plug(options);
        test::TScriptedPrompt prompt;
        const TDownloadResult result = Read().Downloaded();
        EXPECT_FALSE(result.Complete());
        EXPECT_FALSE(save_->SaveAndClear(false));
        EXPECT_EQ(sim_->State().memoryClears, 0);
        EXPECT_NE(prompt.shown.back().text.find("The data stay in the Veltrak"), std::string::npos);
    }
}

TEST_F(UsbDownloadTest, TheSaveDialogShowsTheHeadUnitsFillAndBattery) {
    sim::TSimOptions options = ShortRides(2);
    options.battery = -4;
    Plug(options);
    test::TScriptedPrompt prompt;
    const TDownloadResult result = Read().Downloaded();
    ASSERT_EQ(result.files.size(), 2u);
    size_t records = 0;
    for (const sim::TSimSection& section : sim::BuildSectionMemory(options, *options.clock)) {
        records += section.records.size();
    }
    EXPECT_EQ(save_->MemoryUsed(), static_cast<int32_t>(records * 16));
    EXPECT_EQ(save_->Battery(), "Low");
    TKLTFile file(result.files[0]);
    file.ReadFile();
    EXPECT_EQ(static_cast<int16_t>(file.ExtraHeader().batInfo.battery), -4);
}

} // namespace
} // namespace klt
