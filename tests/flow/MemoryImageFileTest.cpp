#include <gtest/gtest.h>

#include <filesystem>

#include "app/SystemData.h"
#include "core/Exceptions.h"
#include "core/KLTFile.h"
#include "core/TrainingEnvironment.h"
#include "core/TrainingIndexFormat.h"
#include "flow/MemoryImageFile.h"
#include "tests/support/BackupBytes.h"
#include "tests/support/ScriptedPrompt.h"
#include "tests/support/TempDatabase.h"

namespace klt {
namespace {

namespace fs = std::filesystem;
using test::TBackupBytes;

constexpr int32_t kHour = 360000;
const std::vector<uint8_t> kEmptyMemory = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF};

class MemoryImageFile : public testing::Test {
protected:
    std::string TwoRides() const { return test::TwoRides().WriteTo(database.Path() + "/../rides.kli"); }
    // Every file below the database folder but the month folders' index.
    std::vector<std::string> FilesInDatabase() const {
        std::vector<std::string> files;
        for (const auto& entry : fs::recursive_directory_iterator(database.Path())) {
            if (entry.is_regular_file() && entry.path().filename() != kTrainingIndexName) {
                files.push_back(entry.path().string());
            }
        }
        return files;
    }

    test::TTempDatabase database;
    std::vector<std::string> opened;
    std::function<void(const std::string&)> open = [this](const std::string& path) { opened.push_back(path); };
};

TEST_F(MemoryImageFile, LimitsComeFromTheConfiguration) {
    TSystemData system;
    system.MinPauseTraining = 1;
    system.MaxPauseTraining = 2;
    system.MinDauerTraining = 3;
    const TVeltrakTrainingLimits limits = TrainingLimits(system);
    EXPECT_EQ(limits.MinPauseTraining, 1);
    EXPECT_EQ(limits.MaxPauseTraining, 2);
    EXPECT_EQ(limits.MinDauerTraining, 3);
}

TEST_F(MemoryImageFile, TrainingsListJoinedBlocksAsOne) {
    const std::string path = TwoRides();
    {
        const TMemoryImageFile apart(path, {0, kHour, 0}, {});
        const std::vector<TImageTraining> trainings = apart.Trainings();
        ASSERT_EQ(trainings.size(), 2u);
        EXPECT_EQ(trainings[0].initials, "Jo");
        EXPECT_EQ(trainings[0].date, test::kBackupDay);
        EXPECT_EQ(trainings[0].startTime, 8 * kHour);
        EXPECT_EQ(trainings[0].duration, 400);
        EXPECT_EQ(trainings[0].samples, 4);
        EXPECT_EQ(trainings[1].startTime, 14 * kHour);
        EXPECT_EQ(trainings[1].samples, 3);
    }
    const TMemoryImageFile joined(path, {0, 7 * kHour, 0}, {});
    const std::vector<TImageTraining> trainings = joined.Trainings();
    ASSERT_EQ(trainings.size(), 1u);
    EXPECT_EQ(trainings[0].samples, 7);
    EXPECT_EQ(trainings[0].segments, 2);
    EXPECT_EQ(trainings[0].duration, 6 * kHour + 300);
}

TEST_F(MemoryImageFile, ConvertingWritesAndOpensEveryTrainingAndLeavesTheSourceAlone) {
    const std::string path = TwoRides();
    const auto sourceSize = fs::file_size(path);
    test::TScriptedPrompt prompt;
    const std::vector<std::string> written = ConvertMemoryImage(path, {0, kHour, 0}, database.Path(), prompt, open);
    ASSERT_EQ(written.size(), 2u);
    EXPECT_EQ(opened, written);
    for (const std::string& file : written) {
        TKLTFile training(file);
        training.EnsureLoaded();
        EXPECT_EQ(training.Marker(0).name, "Jo");
    }
    EXPECT_EQ(FilesInDatabase().size(), 2u); // no backup of an image that came from a file
    EXPECT_EQ(fs::file_size(path), sourceSize);
    EXPECT_TRUE(prompt.shown.empty());
}

TEST_F(MemoryImageFile, FailuresAreToldAndLoseNothing) {
    const std::string path = TwoRides();
    test::TScriptedPrompt prompt;

    // A training that cannot be opened is saved all the same, and the next one opens.
    int calls = 0;
    const auto failFirst = [&](const std::string& file) {
        if (calls++ == 0) {
            throw EKLTFileInOutError("cannot open " + file);
        }
        opened.push_back(file);
    };
    const std::vector<std::string> written = ConvertMemoryImage(path, {0, kHour, 0}, database.Path(), prompt, failFirst);
    ASSERT_EQ(written.size(), 2u);
    EXPECT_EQ(opened, std::vector<std::string>{written[1]});
    ASSERT_EQ(prompt.shown.size(), 1u);
    EXPECT_EQ(prompt.shown[0].text, "cannot open " + written[0]);

    // Every training too short: the user hears that there is none.
    ConvertMemoryImage(path, {kHour, kHour, kHour}, database.Path(), prompt, open);
    ASSERT_EQ(prompt.shown.size(), 2u);
    EXPECT_NE(prompt.shown[1].text.find("holds no training"), std::string::npos);

    // Without a database nothing is written; the error goes up and no backup copy is attempted.
    EXPECT_THROW(ConvertMemoryImage(path, {0, kHour, 0}, "", prompt, open), EKLTFileDatabaseError);
    EXPECT_EQ(prompt.shown.size(), 2u);
    EXPECT_TRUE(fs::exists(path));
}

TEST_F(MemoryImageFile, WhatIsNoMemoryImageIsRefused) {
    test::TScriptedPrompt prompt;
    const std::string foreign = database.Path() + "/../foreign.kli";
    test::WriteFileBytes(foreign, "KLTIMAGE but nothing more");
    try {
        ConvertMemoryImage(foreign, {}, database.Path(), prompt, open);
        FAIL() << "no error";
    } catch (const EInOutError& error) {
        EXPECT_NE(std::string(error.what()).find("memory image"), std::string::npos);
    }
    // A memory that runs into empty memory cannot be split at all.
    TBackupBytes broken = test::TwoRides();
    broken.Records(kEmptyMemory);
    EXPECT_THROW(ConvertMemoryImage(broken.WriteTo(foreign), {}, database.Path(), prompt, open), ECheckMesswertType);
    EXPECT_TRUE(opened.empty());
    EXPECT_TRUE(prompt.shown.empty());
    EXPECT_TRUE(FilesInDatabase().empty());
}

} // namespace
} // namespace klt
