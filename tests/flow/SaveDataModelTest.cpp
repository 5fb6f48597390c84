#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "flow/ReadDataModel.h"
#include "flow/SaveDataModel.h"
#include "tests/flow/FlowFakes.h"
#include "tests/support/ScriptedPrompt.h"
#include "tests/support/TempDatabase.h"

namespace klt {
namespace {

using test::TFakeVeltrak;

class SaveDataModelTest : public ::testing::Test {
protected:
    // The save dialog's controller after a scripted download of this generation.
    TKLTVtrkSaveDataModel& Save(int type = 4, std::vector<std::string> known = {"JD"},
                                std::function<void(TVeltrakStatus&)> status = nullptr) {
        auto veltrak = std::make_unique<TFakeVeltrak>(&clock_);
        fake_ = veltrak.get();
        if (status) {
            fake_->status = std::move(status);
        }
        read_ = std::make_unique<TKLTVtrkReadDataModel>(test::Configuration(type, db_.Path()), false, "%s", "%s",
                                                        test::InstalledPrompt(), std::move(veltrak));
        if (type == 4) {
            EXPECT_TRUE(read_->Download());
        } else {
            fake_->ReadStatus();
            read_->Image().SetHWVersion(HWVersionOfType(type));
        }
        save_ = std::make_unique<TKLTVtrkSaveDataModel>(read_->Image(), read_->Veltrak(), read_->Downloaded(),
                                                        read_->Sink(), read_->Configuration(), std::move(known));
        return *save_;
    }
    // The memory image backups kept in the database.
    std::vector<std::string> Backups() const {
        std::vector<std::string> found;
        std::error_code error;
        for (const auto& entry : std::filesystem::directory_iterator(db_.Path() + "/KLTIMAGE", error)) {
            found.push_back(entry.path().filename().string());
        }
        return found;
    }

    test::TTempDatabase db_;
    test::TManualClock clock_;
    TFakeVeltrak* fake_ = nullptr;
    std::unique_ptr<TKLTVtrkReadDataModel> read_;
    std::unique_ptr<TKLTVtrkSaveDataModel> save_;
};

TEST_F(SaveDataModelTest, DeleteSavesEveryTrainingThenStartsANewRecording) {
    TKLTVtrkSaveDataModel& save = Save();
    EXPECT_EQ(save.TrainingFileCount(), 1);
    EXPECT_EQ(save.TotalTime(), "00:01:42"); // 102 one-second records
    EXPECT_FALSE(save.MemoryShown());
    save.SetInitials("AB");
    save.SelectInterval(4); // 2 s
    EXPECT_TRUE(save.SaveAndClear(false));
    ASSERT_EQ(read_->Downloaded().files.size(), 1u);
    EXPECT_TRUE(std::filesystem::exists(read_->Downloaded().files[0]));
    EXPECT_EQ(fake_->recordingsStarted, 1);
    EXPECT_EQ(read_->Image().Initialen(), "AB");
    EXPECT_EQ(read_->Image().AbspeicherZeit(), 200);
}

TEST_F(SaveDataModelTest, DeleteIsRefusedWhenATrainingCouldNotBeWritten) {
    test::TScriptedPrompt prompt;
    TKLTVtrkSaveDataModel& save = Save();
    // the athlete's folder cannot be made: a file stands where it belongs
    const std::string blocked = db_.Path() + "/_JD.KLT";
    test::WriteFileBytes(blocked, "in the way");
    EXPECT_FALSE(save.SaveAndClear(false));
    EXPECT_EQ(fake_->recordingsStarted, 0);
    EXPECT_TRUE(read_->Downloaded().files.empty());
    ASSERT_FALSE(prompt.shown.empty());
    EXPECT_NE(prompt.shown.back().text.find("The data stay in the Veltrak"), std::string::npos);
    // The memory as read is kept beside the database, and the user is told where.
    ASSERT_EQ(Backups().size(), 1u);
    EXPECT_TRUE(std::any_of(prompt.shown.begin(), prompt.shown.end(),
                            [&](const auto& shown) { return shown.text.find(Backups()[0]) != std::string::npos; }));

    // pressed again, the trainings are not written twice and the memory still stays
    std::filesystem::remove(blocked);
    EXPECT_FALSE(save.SaveAndClear(false));
    EXPECT_EQ(fake_->recordingsStarted, 0);
    EXPECT_TRUE(read_->Downloaded().files.empty());
}

TEST_F(SaveDataModelTest, DeleteIsRefusedAfterADownloadCutShort) {
    test::TScriptedPrompt prompt;
    TKLTVtrkSaveDataModel& save = Save(5);
    read_->Downloaded().Incomplete("2 trainings were not chosen.");
    EXPECT_FALSE(save.SaveAndClear(false));
    EXPECT_EQ(fake_->recordingsStarted, 0);
    EXPECT_EQ(prompt.shown.back().text, "The data stay in the Veltrak:\r\n2 trainings were not chosen.");
}

TEST_F(SaveDataModelTest, DeleteOnlyAsksFirstAndSavesNothing) {
    test::TScriptedPrompt prompt({TPromptAnswer::No, TPromptAnswer::Yes});
    TKLTVtrkSaveDataModel& save = Save();
    EXPECT_FALSE(save.ClearOnly());
    EXPECT_EQ(fake_->recordingsStarted, 0);
    EXPECT_TRUE(save.ClearOnly());
    EXPECT_EQ(fake_->recordingsStarted, 1);
    EXPECT_TRUE(read_->Downloaded().files.empty());
    EXPECT_EQ(prompt.shown[0].caption, "Warning");
    EXPECT_EQ(prompt.shown[0].text, kDeleteAllQuestion);
}

TEST_F(SaveDataModelTest, KeepOnGenerationVISendsNothing) {
    TKLTVtrkSaveDataModel& save = Save(6);
    EXPECT_TRUE(save.SaveAndKeep(false));
    EXPECT_EQ(fake_->recordingsStarted, 0);
    EXPECT_EQ(fake_->requests, 0);
    EXPECT_TRUE(read_->Downloaded().files.empty());
}

TEST_F(SaveDataModelTest, KeepOnRegisterHeadUnitsSavesAndLeavesTheMemory) {
    TKLTVtrkSaveDataModel& save = Save();
    EXPECT_TRUE(save.SaveAndKeep(true));
    EXPECT_EQ(read_->Downloaded().files.size(), 1u);
    EXPECT_EQ(fake_->recordingsStarted, 0);
    EXPECT_EQ(Backups().size(), 1u); // Shift and Ctrl: the memory image is kept too
}

TEST_F(SaveDataModelTest, BatteryTexts) {
    const std::pair<int32_t, const char*> cases[] = {{0x7FFF, "n/a"}, {-5, "Critical"}, {-4, "Low"}, {-3, "OK"},
                                                     {-2, "Good"},    {-1, "New"},       {1234, "123 h"}, {0, "0 h"}};
    for (const auto& [value, text] : cases) {
        EXPECT_EQ(BatteryText(value), text) << value;
    }
    EXPECT_TRUE(BatteryFlashes(-5));
    EXPECT_TRUE(BatteryFlashes(199));
    EXPECT_FALSE(BatteryFlashes(200));
    EXPECT_FALSE(BatteryFlashes(-4));
    EXPECT_FALSE(BatteryFlashes(0x7FFF));
}

TEST_F(SaveDataModelTest, CriticalBatteryFlashesOnUsbHeadUnits) {
    TKLTVtrkSaveDataModel& save = Save(7, {}, [](TVeltrakStatus& s) {
        s.BatInfo.battery = 0xFFFB; // -5 in the record's 16 bits
        s.SetAbspeicherZeit(100);
    });
    EXPECT_EQ(save.Battery(), "Critical");
    EXPECT_TRUE(save.BatteryFlashing());
    EXPECT_TRUE(save.MemoryShown());
    EXPECT_EQ(save.TimeLeft(), "7.4 h"); // 26624 one-second samples of an empty memory
    const bool phase = save.FlashPhase();
    save.Tick();
    EXPECT_NE(save.FlashPhase(), phase);
}

TEST_F(SaveDataModelTest, TheMemoryGaugeShowsWhatTheHeadUnitHoldsNotWhatWasSaved) {
    TKLTVtrkSaveDataModel& save = Save(7, {}, [](TVeltrakStatus& s) {
        s.HeapCount = 13312; // half of the memory, in 16-byte records
        s.SetAbspeicherZeit(100);
    });
    EXPECT_EQ(save.MemoryUsed(), 0x34000);
    EXPECT_EQ(save.TimeLeft(), "3.7 h");
}

TEST_F(SaveDataModelTest, StorageIntervalsPerGenerationWithThePresentOneChosen) {
    const auto texts = [](TVeltrakHWVersion hardware) {
        std::vector<std::string> shown;
        for (const TStorageInterval& interval : StorageIntervals(hardware)) {
            shown.push_back(interval.text);
        }
        return shown;
    };
    const std::vector<std::string> v = texts(TVeltrakHWVersion::HWVersionVT5x128);
    ASSERT_EQ(v.size(), 20u);
    EXPECT_EQ(v.front(), "0.5 s");
    EXPECT_EQ(v[5], "1 s");
    EXPECT_EQ(v.back(), "15 s");
    EXPECT_EQ(texts(TVeltrakHWVersion::HWVersionVT6x128), (std::vector<std::string>{"0.5 s", "1 s", "2 s", "5 s"}));
    const std::vector<std::string> others = texts(TVeltrakHWVersion::HWVersionVT4x128);
    EXPECT_EQ(others.front(), "0.1 s");
    EXPECT_EQ(others.back(), "240 s");
    EXPECT_EQ(others.size(), 12u);

    TKLTVtrkSaveDataModel& save = Save(); // the head unit records every second
    EXPECT_EQ(save.Intervals()[static_cast<size_t>(save.SelectedInterval())].hundredths, 100);
}

TEST_F(SaveDataModelTest, UnknownInitialsColourTheBox) {
    TKLTVtrkSaveDataModel& save = Save(4, {"AB", "JD"});
    EXPECT_EQ(save.Initials(), "JD");
    EXPECT_FALSE(save.InitialsUnknown());
    save.SetInitials("jd");
    EXPECT_FALSE(save.InitialsUnknown());
    save.SetInitials("XY");
    EXPECT_TRUE(save.InitialsUnknown());
}

} // namespace
} // namespace klt
