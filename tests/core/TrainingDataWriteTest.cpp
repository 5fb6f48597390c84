#include <gtest/gtest.h>

#include <filesystem>

#include "core/Exceptions.h"
#include "tests/core/TrainingDataFixture.h"
#include "tests/support/FileSizeLimit.h"

namespace klt {
namespace {

using test::SimpleTraining;
using test::TRawTraining;

class TrainingDataWrite : public TrainingDataFixture {
protected:
    // A training as a download or the live mode builds it.
    static void Build(TTrainingData& data, int count) {
        data.EditHeader().date = 52000;
        data.EditHeader().intervalNumerator = 1;
        data.EditHeader().intervalDenominator = 2;
        data.EditHeader().zeroOffset = 480;
        data.EditHeader().slope = 3050;
        data.SetComment("Bergfahrt über den Pass");
        data.EditMarkers() = {{"JD", 1, 1, static_cast<uint16_t>(count)}, {"Anstieg", 1, 10, 200}};
        data.EditBlocks() = {{3600000, static_cast<uint16_t>(count - 100)}, {3700000, 100}};
        for (int i = 0; i < count; ++i) {
            data.AddSample(TData(
                {150 + i % 300, 120 + i % 60, 85 + i % 10, 8000 + 7 * i, -30 + i % 400, -50 + i % 300}));
        }
        data.EditExtraHeader().batInfo = {2870, 12};
        data.EditExtraHeader().sensorInfo.words = {4711, 5, 6, 7};
    }

    static size_t EntriesIn(const std::string& directory) {
        return static_cast<size_t>(std::distance(std::filesystem::directory_iterator(directory), {}));
    }
};

TEST_F(TrainingDataWrite, WhatTheModuleWritesTheDocumentReads) {
    TTrainingData built;
    Build(built, 300);
    path_ = dir_.File("built.klt");
    built.WriteTraining(path_);
    file_.SetFileName(path_);
    file_.ReadFile();
    EXPECT_EQ(file_.Header().Version(), '7');
    EXPECT_EQ(file_.Interval(), 50);
    ExpectSameTraining(built, file_);
}

TEST_F(TrainingDataWrite, WhatTheDocumentWritesTheModuleReads) {
    TRawTraining raw = SimpleTraining('7', 300);
    raw.comment = "Gr\x81n";
    raw.markers = {{"JD"}, {"climb", 1, 10, 200}, {"sprint", 1, 250, 260}};
    raw.blocks = {{3600000, 200}, {3640000, 100}};
    raw.extraHeader.batInfo = {2870, 12};
    raw.samples[42].speed = 40000;
    LoadBoth(raw);
    const std::string out = dir_.File("document.klt");
    file_.WriteKLT7(out, TDateTimeMark::None());
    data_.ReadTraining(out);
    ExpectSameTraining(data_, file_);
    // The averages the document computed arrive in the module's records.
    EXPECT_EQ(data_.Markers()[1].words[0], file_.Marker(1).AvgPower());
}

TEST_F(TrainingDataWrite, ReadAndWrittenBackKeepsEveryByte) {
    TRawTraining raw = SimpleTraining('7', 200);
    raw.comment = "Seed \x81\x94";
    raw.markers = {{"AB", 1, 1, 200}, {"m1", 1, 2, 20}, {"off", 0, 5, 9}};
    raw.blocks = {{36000, 100}, {72000, 100}};
    raw.flags = 2 | 0x40; // unknown flag bits are carried
    raw.intervalByte = 3;
    raw.samples[3].speed = 65504;
    raw.extraHeader.sensorInfo.words = {1, 2, 3, 4};
    path_ = dir_.File("in.klt");
    raw.WriteTo(path_);
    data_.ReadTraining(path_);
    const std::string out = dir_.File("out.klt");
    data_.WriteTraining(out);
    EXPECT_EQ(test::ReadFileBytes(out), raw.Bytes());
}

TEST_F(TrainingDataWrite, OlderVersionsAreWrittenAsKlt7) {
    TRawTraining raw = SimpleTraining('6', 20);
    raw.flags = 0;
    LoadBoth(raw);
    const std::string out = dir_.File("seven.klt");
    data_.WriteTraining(out);
    TKLTFile again(out);
    again.ReadFile();
    EXPECT_EQ(again.Header().Version(), '7');
    EXPECT_EQ(again.Header().flags & TKLTHeader::kFlagExtraHeader, TKLTHeader::kFlagExtraHeader);
    ExpectSameTraining(data_, again);
}

TEST_F(TrainingDataWrite, CreatesTheFoldersOfItsPath) {
    TTrainingData built;
    Build(built, 150);
    // Not only database names: the folder is the path's own, however long the file name.
    const std::string out = dir_.File("_JD.klt/2024_06.klt/a much longer name than usual.klt");
    built.WriteTraining(out);
    TTrainingData again;
    again.ReadTraining(out);
    EXPECT_EQ(again.SampleCount(), 150);
}

TEST_F(TrainingDataWrite, EmptyTrainingStillHasMarkerZero) {
    TTrainingData empty;
    path_ = dir_.File("empty.klt");
    empty.WriteTraining(path_);
    TTrainingData again;
    again.ReadTraining(path_);
    EXPECT_EQ(again.Markers().size(), 1u);
    EXPECT_EQ(again.SampleCount(), 0);
    EXPECT_EQ(again.Header().Version(), '7');
}

TEST_F(TrainingDataWrite, FullDiskIsReportedAndKeepsTheOldFile) {
    TTrainingData built;
    Build(built, 5000);
    path_ = dir_.File("ride.klt");
    SimpleTraining('7', 3).WriteTo(path_);
    const std::string before = test::ReadFileBytes(path_);
    // A file size limit makes the disk "full" part way through the samples, also for root.
    std::string message;
    {
        const test::TFileSizeLimit full(4096);
        try {
            built.WriteTraining(path_);
        } catch (const EInOutError& e) {
            message = e.what();
        }
    }
    EXPECT_EQ(message.rfind("'" + path_ + "': ", 0), 0u)
        << "write beyond the size limit: '" << message << "'";
    EXPECT_EQ(test::ReadFileBytes(path_), before);
    EXPECT_EQ(EntriesIn(dir_.Path()), 1u); // no temporary left behind
}

TEST_F(TrainingDataWrite, UncreatableFolderIsReported) {
    TTrainingData built;
    Build(built, 150);
    test::WriteFileBytes(dir_.File("plain"), "not a folder");
    const std::string out = dir_.File("plain/sub/out.klt");
    try {
        built.WriteTraining(out);
        FAIL() << "writing below a plain file succeeded";
    } catch (const EInOutError& e) {
        EXPECT_EQ(std::string(e.what()).rfind("'" + out + "': ", 0), 0u) << e.what();
    }
    EXPECT_EQ(EntriesIn(dir_.Path()), 1u);
}

TEST_F(TrainingDataWrite, CountsTheFileCannotHoldFailBeforeWriting) {
    TTrainingData built;
    Build(built, 150);
    built.EditBlocks().resize(TKLTFile::kMaxBlocks + 1);
    path_ = dir_.File("blocks.klt");
    EXPECT_THROW(built.WriteTraining(path_), EKLTFileInOutError);
    EXPECT_FALSE(std::filesystem::exists(path_));

    TTrainingData full;
    for (int i = 0; i < TTrainingData::kMaxSamples; ++i) {
        full.AddSample(TData());
    }
    EXPECT_THROW(full.AddSample(TData()), ERangeError);
}

} // namespace
} // namespace klt
