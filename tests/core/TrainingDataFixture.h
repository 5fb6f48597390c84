#pragma once
// Trainings read by the data module are held against the document object reading the same bytes.
#include <gtest/gtest.h>

#include <string>

#include "core/KLTFile.h"
#include "core/TrainingDataUnit.h"
#include "tests/support/RawTraining.h"

namespace klt {

// The module's samples against the document's, channel by channel, in the document's units.
inline void ExpectSameSamples(const TTrainingData& data, const TKLTFile& file) {
    ASSERT_EQ(data.SampleCount(), file.SampleCount());
    for (int i = 0; i < data.SampleCount(); ++i) {
        const TData& d = data.Sample(i);
        const TSampleElement& e = file.Sample(i + 1);
        ASSERT_EQ(d.Value(dcPower), e.StoredPower()) << "sample " << i;
        ASSERT_EQ(d.Value(dcHeartRate), e.StoredHeartRate()) << "sample " << i;
        ASSERT_EQ(d.Value(dcCadence), e.StoredCadence()) << "sample " << i;
        ASSERT_EQ(d.Value(dcSpeed), e.Speed()) << "sample " << i;
        ASSERT_EQ(d.Value(dcAltitude), e.Altitude()) << "sample " << i;
        ASSERT_EQ(d.Value(dcTemperature), e.Temperature()) << "sample " << i;
    }
}

// The active marker records against the document's markers (which drops inactive ones and keeps
// its names trimmed), the blocks, and the header fields both keep.
inline void ExpectSameTraining(const TTrainingData& data, const TKLTFile& file) {
    ExpectSameSamples(data, file);
    std::vector<TStructurArray> active;
    for (size_t i = 0; i < data.Markers().size(); ++i) {
        if (i == 0 || data.Markers()[i].active != 0) {
            active.push_back(data.Markers()[i]);
        }
    }
    ASSERT_EQ(static_cast<int>(active.size()), file.MarkerCount());
    EXPECT_EQ(active[0].name, file.Marker(0).name);
    for (int i = 1; i < file.MarkerCount(); ++i) {
        const TStructurArray& record = active[static_cast<size_t>(i)];
        EXPECT_EQ(record.name, file.Marker(i).name) << "marker " << i;
        EXPECT_EQ(record.first, file.Marker(i).first) << "marker " << i;
        EXPECT_EQ(record.last, file.Marker(i).last) << "marker " << i;
    }
    EXPECT_EQ(data.Blocks(), file.Blocks());
    EXPECT_EQ(data.Comment(), file.Comment());
    EXPECT_EQ(data.Header().date, file.Header().date);
    EXPECT_EQ(data.Header().intervalNumerator, file.Header().intervalNumerator);
    EXPECT_EQ(data.Header().intervalDenominator, file.Header().intervalDenominator);
    EXPECT_EQ(data.Header().zeroOffset, file.Header().zeroOffset);
    EXPECT_EQ(data.Header().slope, file.Header().slope);
    EXPECT_EQ(data.ExtraHeader(), file.ExtraHeader());
}

class TrainingDataFixture : public ::testing::Test {
protected:
    // Writes raw under name and reads it with both models.
    void LoadBoth(const test::TRawTraining& raw, const std::string& name = "A010203x.klt") {
        path_ = dir_.File(name);
        raw.WriteTo(path_);
        data_.ReadTraining(path_);
        file_.SetFileName(path_);
        file_.ReadFile();
    }

    test::TTempDir dir_;
    std::string path_;
    TTrainingData data_;
    TKLTFile file_;
};

} // namespace klt
