#include <gtest/gtest.h>

#include <filesystem>

#include "core/TrainingDataUnit.h"
#include "core/TrainingIndex.h"
#include "flow/DatabaseSink.h"
#include "tests/support/ScriptedPrompt.h"
#include "tests/support/TempDatabase.h"

namespace klt {
namespace {

TEST(DatabaseSinkIndex, ADownloadedTrainingIsIndexedAndItsRemovalDropsIt) {
    test::TTempDatabase db;
    test::TScriptedPrompt prompt;
    const std::string source = db.Path() + "/../ride.klt";
    test::WriteTraining(source, "JD", test::Day(2026, 12, 9));
    TTrainingData training;
    training.ReadTraining(source);

    TDatabaseSink sink(db.Path(), prompt);
    const std::string path = sink.SaveTraining(training);
    const std::string month = std::filesystem::path(path).parent_path().string();
    const auto entries = ReadTrainingIndex(month);
    ASSERT_TRUE(entries);
    ASSERT_EQ(entries->size(), 1u);
    EXPECT_EQ(entries->at(0).name, std::filesystem::path(path).filename().string());
    ASSERT_TRUE(entries->at(0).summary);
    EXPECT_EQ(entries->at(0).summary->initials, "JD");

    sink.RemoveTraining(path);
    EXPECT_FALSE(std::filesystem::exists(month)); // the index does not keep the folder alive
}

} // namespace
} // namespace klt
