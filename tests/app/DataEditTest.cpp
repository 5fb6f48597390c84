#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "core/NumberFormat.h"
#include "core/TrainingIndex.h"
#include "tests/app/ChildDocumentFixture.h"
#include "tests/support/ScriptedPrompt.h"
#include "tests/support/TempDatabase.h"

namespace klt {
namespace {

using test::ChildDocumentTest;
using test::TOpenDocument;
using test::TScriptedPrompt;

// The data editor over a table of ten samples with power 100 W.
class DataEdit : public ::testing::Test {
protected:
    void SetUp() override {
        data_.EditHeader().magic = {'K', 'L', 'T', '7'};
        for (int i = 0; i < 10; ++i) {
            data_.AddSample(TData({100, 120, 90, 8000, 50, 200}));
        }
    }
    void Type(int row, const std::vector<int>& columns, const std::string& text) {
        for (char c : text) {
            model_.TypeCharacter(row, columns, c);
        }
    }

    TFormatSettingsScope separators_{{".", ","}};
    TTrainingData data_;
    TDataEditModel model_{data_};
};

TEST_F(DataEdit, RowsAreTheChannelsAndOlderFilesShowFour) {
    EXPECT_EQ(model_.RowCount(), 6);
    EXPECT_EQ(TDataEditModel::RowName(0), "Power");
    EXPECT_EQ(TDataEditModel::RowName(5), "Temperatur");
    EXPECT_EQ(model_.ColumnCount(), 10);
    EXPECT_EQ(model_.CellText(3, 0), "28.8"); // 8000 mm/s in km/h
    data_.EditHeader().magic = {'K', 'L', 'T', '5'};
    EXPECT_EQ(model_.RowCount(), 4);
}

TEST_F(DataEdit, TypingReplacesThenAppendsAndStoresEveryAcceptedValue) {
    Type(0, {2}, "25");
    EXPECT_EQ(model_.CellText(0, 2), "25");
    EXPECT_EQ(data_.Sample(2).Value(dcPower), 25);
    model_.Backspace(0, {2});
    EXPECT_EQ(data_.Sample(2).Value(dcPower), 2);
    model_.EndTyping();
    Type(0, {2}, "3");
    EXPECT_EQ(data_.Sample(2).Value(dcPower), 3) << "after the cell moved, typing starts afresh";
    EXPECT_TRUE(data_.Modified());
}

TEST_F(DataEdit, PowerAbove4095AndLettersAreRefused) {
    Type(0, {4}, "5000");
    EXPECT_EQ(model_.CellText(0, 4), "500") << "the last digit would leave the power row's range";
    EXPECT_EQ(data_.Sample(4).Value(dcPower), 500);
    model_.EndTyping();
    EXPECT_FALSE(model_.TypeCharacter(0, {5}, 'x'));
    EXPECT_EQ(data_.Sample(5).Value(dcPower), 100);
    Type(1, {5}, "256");
    EXPECT_EQ(data_.Sample(5).Value(dcHeartRate), 25);
}

TEST_F(DataEdit, AltitudeAndTemperatureTakeAMinus) {
    for (int row : {0, 1, 2, 3}) {
        model_.EndTyping();
        EXPECT_FALSE(model_.TypeCharacter(row, {1}, '-')) << "row " << row;
    }
    model_.EndTyping();
    EXPECT_TRUE(model_.TypeCharacter(4, {1}, '-'));
    EXPECT_EQ(model_.CellText(4, 1), "-");
    EXPECT_EQ(data_.Sample(1).Value(dcAltitude), 50) << "a lone minus is no value yet";
    Type(4, {1}, "12");
    EXPECT_EQ(data_.Sample(1).Value(dcAltitude), -12);
    model_.EndTyping();
    Type(5, {2}, "-7.5"); // a winter ride
    EXPECT_EQ(data_.Sample(2).Value(dcTemperature), -75);
}

TEST_F(DataEdit, DecimalsMayBeTypedOneByOne) {
    Type(3, {0}, "30.");
    EXPECT_EQ(model_.CellText(3, 0), "30.");
    Type(3, {0}, "6");
    EXPECT_EQ(data_.Sample(0).Value(dcSpeed), 8500); // 30.6 km/h
}

TEST_F(DataEdit, EverySelectedCellOfTheRowTakesTheInputAndLaterSumsFollow) {
    const int64_t before = data_.RunningSum(dcPower, 9);
    Type(0, {3, 4, 6}, "150");
    for (int column : {3, 4, 6}) {
        EXPECT_EQ(data_.Sample(column).Value(dcPower), 150);
    }
    EXPECT_EQ(data_.Sample(5).Value(dcPower), 100);
    EXPECT_EQ(data_.RunningSum(dcPower, 2), 300);
    EXPECT_EQ(data_.RunningSum(dcPower, 3), 450);
    EXPECT_EQ(data_.RunningSum(dcPower, 9), before + 150);
}

TEST_F(ChildDocumentTest, LeavingTheDataEditorAsksAboutItsEdits) {
    const std::string path = WriteTraining();
    TOpenDocument doc(path, configuration_, tree_);
    doc->SetView(gtEdit);
    EXPECT_EQ(doc.window.shown, gtEdit);
    ASSERT_EQ(doc->TrainingData().SampleCount(), 100);
    TDataEditModel& edit = doc->DataEdit();

    edit.TypeCharacter(0, {0}, '7');
    {
        TScriptedPrompt prompt({TPromptAnswer::Cancel});
        EXPECT_FALSE(doc->SetView(gtMultiRow));
        EXPECT_EQ(doc->View(), gtEdit);
        ASSERT_EQ(prompt.shown.size(), 1u);
        EXPECT_EQ(prompt.shown[0].caption, "Warning");
        EXPECT_TRUE(prompt.shown[0].text.starts_with("Do you want to save the modified training file '"));
    }
    {
        TScriptedPrompt prompt({TPromptAnswer::No});
        doc->SetView(gtMultiRow);
        EXPECT_EQ(doc->View(), gtMultiRow);
        EXPECT_FALSE(doc->TrainingData().Modified());
        EXPECT_EQ(doc->TrainingData().Sample(0).Value(dcPower), 1) << "the table was read again";
        EXPECT_EQ(doc->File().Sample(1).Power(), 8);
    }
    doc->SetView(gtEdit);
    edit.TypeCharacter(0, {0}, '7');
    {
        TScriptedPrompt prompt({TPromptAnswer::Yes});
        const int repaints = doc.window.repaints;
        doc->SetView(gtSingleRow);
        EXPECT_EQ(doc->View(), gtSingleRow);
        EXPECT_GT(doc.window.repaints, repaints);
    }
    EXPECT_FALSE(doc->TrainingData().Modified());
    EXPECT_EQ(doc->File().Sample(1).Power(), 7 * 8) << "the training now holds the edit";
    EXPECT_FALSE(doc->File().Modified());
    EXPECT_EQ(doc->File().MarkerCount(), 4);
    TKLTFile reread(path);
    reread.ReadFile();
    EXPECT_EQ(reread.Sample(1).Power(), 7 * 8);
}

TEST_F(ChildDocumentTest, TableEditsKeptOnLeavingTheEditorReachTheDatabaseIndex) {
    test::TTempDatabase db;
    const std::string path = db.Put("JD", kDate, 0, 10);
    const std::string month = std::filesystem::path(path).parent_path().string();
    ForEachListedTraining(db.Path(), {}, [](const TListedTraining&) { return true; }); // indexes it
    TOpenDocument doc(path, configuration_, tree_);
    doc->SetView(gtEdit);
    doc->DataEdit().TypeCharacter(0, {0}, '9'); // sample 1: 9 W instead of 1 W
    TScriptedPrompt prompt({TPromptAnswer::Yes});
    doc->SetView(gtSingleRow);
    const auto entries = ReadTrainingIndex(month);
    ASSERT_TRUE(entries && entries->size() == 1u && entries->at(0).summary);
    EXPECT_EQ(entries->at(0).summary->avgPower, doc->File().Marker(0).AvgPower());
    EXPECT_EQ(entries->at(0).summary->avgPower, (9 + 2 + 3 + 4 + 5 + 6 + 7 + 8 + 9 + 10) * 8 / 10);
}

TEST_F(ChildDocumentTest, EnteringTheDataEditorSavesTheDocumentsChangesFirst) {
    const std::string path = WriteTraining();
    TOpenDocument doc(path, configuration_, tree_);
    doc->File().AddMarker(TKLTMarker("Late", 90, 95));
    ASSERT_TRUE(doc->File().Modified());
    doc->SetView(gtEdit);
    EXPECT_FALSE(doc->File().Modified());
    EXPECT_EQ(doc->TrainingData().Markers().size(), 5u);
}

TEST_F(ChildDocumentTest, ClosingAsksAboutTableEditsAndTheTrainingOnlyInItsLastWindow) {
    const std::string path = WriteTraining();
    TOpenDocument first(path, configuration_, tree_);
    auto second = std::make_unique<TOpenDocument>(path, configuration_, tree_);
    first->File().AddMarker(TKLTMarker("Late", 90, 95));
    {
        TScriptedPrompt prompt;
        EXPECT_TRUE((*second)->CloseQuery()) << "another window still shows the training";
    }
    second.reset();
    {
        TScriptedPrompt prompt({TPromptAnswer::Cancel});
        EXPECT_FALSE(first->CloseQuery());
    }
    {
        TScriptedPrompt prompt({TPromptAnswer::Yes});
        EXPECT_TRUE(first->CloseQuery());
        EXPECT_FALSE(first->File().Modified());
    }
}

TEST_F(ChildDocumentTest, SaveWritesPendingTableEditsWithoutAsking) {
    const std::string path = WriteTraining();
    TOpenDocument doc(path, configuration_, tree_);
    doc->SetView(gtEdit);
    doc->DataEdit().TypeCharacter(1, {4}, '9');
    TScriptedPrompt prompt;
    EXPECT_TRUE(doc->Save(false));
    EXPECT_TRUE(prompt.shown.empty());
    EXPECT_EQ(doc->File().Sample(5).HeartRate(), 9 * 64);
}

TEST_F(ChildDocumentTest, WritingTheTableKeepsTheTrainingsOtherUnsavedChanges) {
    const std::string path = WriteTraining();
    TOpenDocument doc(path, configuration_, tree_);
    TOpenDocument other(path, configuration_, tree_);
    doc->SetView(gtEdit);
    doc->DataEdit().TypeCharacter(0, {0}, '7');
    doc->File().SetComment("changed meanwhile");
    other->File().AddMarker(TKLTMarker("Late", 90, 95));

    TScriptedPrompt prompt({TPromptAnswer::Yes});
    EXPECT_TRUE(doc->SetView(gtMultiRow));
    TKLTFile stored(doc->File().FileName());
    stored.ReadFile();
    EXPECT_EQ(stored.Sample(1).Power(), 7 * 8);
    EXPECT_EQ(stored.Comment(), "changed meanwhile");
    EXPECT_EQ(stored.MarkerCount(), 5);
    EXPECT_EQ(doc->File().Comment(), "changed meanwhile");
    EXPECT_EQ(doc->File().Marker(0).sumPower, stored.Marker(0).sumPower);
    EXPECT_EQ(doc->TrainingData().Markers().size(), 5u) << "the table shows the training as saved";
}

TEST_F(ChildDocumentTest, DecliningToOverwriteTheChangedFileKeepsTheEditorClosed) {
    const std::string path = WriteTraining();
    TOpenDocument doc(path, configuration_, tree_);
    doc->File().SetComment("mine");
    const std::string stored = doc->File().FileName();
    std::filesystem::last_write_time(stored, std::filesystem::last_write_time(stored) + std::chrono::hours(1));

    TScriptedPrompt prompt({TPromptAnswer::No});
    doc->SetView(gtEdit);
    EXPECT_EQ(prompt.AnswersLeft(), 0u);
    EXPECT_NE(doc->View(), gtEdit);
    EXPECT_EQ(doc->TrainingData().SampleCount(), 0) << "the copy on disk was not read";
    EXPECT_TRUE(doc->File().Modified());
}

} // namespace
} // namespace klt
