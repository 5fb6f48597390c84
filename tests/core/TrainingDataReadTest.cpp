#include <gtest/gtest.h>

#include "core/Exceptions.h"
#include "tests/core/TrainingDataFixture.h"

namespace klt {
namespace {

using test::SimpleTraining;
using test::TRawTraining;

class TrainingDataRead : public TrainingDataFixture {
protected:
    // The message of the module's read failure, after checking that it was left cleared.
    std::string FailureOfBytes(const std::string& bytes) {
        path_ = dir_.File("bad.klt");
        test::WriteFileBytes(path_, bytes);
        data_.ReadTraining(dir_.File("A010203x.klt")); // something to clear
        try {
            data_.ReadTraining(path_);
        } catch (const EInOutError& e) {
            EXPECT_EQ(data_.SampleCount(), 0);
            EXPECT_TRUE(data_.Markers().empty());
            EXPECT_TRUE(data_.Blocks().empty());
            return e.what();
        }
        ADD_FAILURE() << "read did not fail";
        return {};
    }

    void SetUp() override { SimpleTraining('7', 3).WriteTo(dir_.File("A010203x.klt")); }
};

TEST_F(TrainingDataRead, EveryVersionReadsLikeTheDocument) {
    for (char version : std::string(" 2345678")) {
        SCOPED_TRACE(std::string("version '") + version + "'");
        TRawTraining raw = SimpleTraining(version, 40);
        raw.comment = "Gr\x81n";
        raw.markers = {{"AB"}, {"one", 1, 2, 20}, {"off", 0, 5, 9}, {"two", 1, 30, 40}};
        raw.blocks = {{36000, 20}, {72000, 20}};
        raw.samples[7].watts = 4095; // every bit of the packed power field
        raw.samples[8].speed = version < '5' ? 127 : 2047 * 32;
        LoadBoth(raw);
        EXPECT_EQ(data_.Header().Version(), version);
        ExpectSameTraining(data_, file_);
        ASSERT_EQ(data_.Markers().size(), 4u); // the inactive record is kept
        EXPECT_EQ(data_.Markers()[2].active, 0);
    }
}

TEST_F(TrainingDataRead, PackedSamplesDecodeBitByBit) {
    TRawTraining raw = SimpleTraining('5', 3);
    raw.samples[0] = {0x0ABC, 91, 172, 0x5A5 * 32};
    raw.samples[1] = {4095, 255, 255, 2047 * 32};
    raw.samples[2] = {0, 0, 0, 0};
    LoadBoth(raw);
    const std::array<std::array<int, 4>, 3> expected = {
        {{0x0ABC, 172, 91, 0x5A5 * 32}, {4095, 255, 255, 2047 * 32}, {0, 0, 0, 0}}};
    for (int i = 0; i < 3; ++i) {
        for (int channel = dcPower; channel <= dcSpeed; ++channel) {
            EXPECT_EQ(data_.Sample(i).Value(channel),
                      expected[static_cast<size_t>(i)][static_cast<size_t>(channel)])
                << "sample " << i << " channel " << channel;
        }
    }
}

TEST_F(TrainingDataRead, OldVersionsAreConvertedLikeTheDocument) {
    TRawTraining raw = SimpleTraining('4', 5);
    raw.markers = {{" \t"}, {"abc", 1, 2, 5}, {"two", 1, 2, 2}}; // blank initials
    raw.intervalByte = 5;
    raw.circumference = 2000;
    raw.samples[0].watts = 5000; // more than a converted record holds
    raw.samples[0].speed = 36;   // km/h
    LoadBoth(raw, "K170395x.klt");
    EXPECT_EQ(FormatIsoDate(data_.Header().date), "1995-03-17");
    EXPECT_EQ(data_.Header().circumference, 0);
    EXPECT_EQ(data_.IntervalSeconds(), 5.0);
    EXPECT_EQ(data_.Markers()[0].name, "K");
    EXPECT_EQ(data_.Markers()[1].last, 4); // one past the last sample before
    EXPECT_EQ(data_.Markers()[2].last, 2);
    EXPECT_EQ(data_.Sample(0).Value(dcPower), 4095);
    EXPECT_EQ(data_.Sample(0).Value(dcSpeed), 9984); // 10000 mm/s in steps of 32
    ExpectSameTraining(data_, file_);
}

TEST_F(TrainingDataRead, Ok19IsTheOldestVersionAndOtherMagicsFail) {
    std::string bytes = SimpleTraining(' ', 4).Bytes();
    bytes.replace(0, 4, "Ok19");
    path_ = dir_.File("old.klt");
    test::WriteFileBytes(path_, bytes);
    data_.ReadTraining(path_);
    EXPECT_EQ(std::string(data_.Header().magic.data(), 4), "KLT ");
    EXPECT_EQ(data_.SampleCount(), 4);

    for (const char* magic : {"KLT9", "XYZ7", "KLT1"}) {
        TRawTraining raw = SimpleTraining('7', 3);
        raw.magic = magic;
        EXPECT_EQ(FailureOfBytes(raw.Bytes()), "Header") << magic;
    }
}

TEST_F(TrainingDataRead, HostileCountsAreCapped) {
    TRawTraining blocks = SimpleTraining('7', 3);
    blocks.blockCountField = 10922;
    EXPECT_EQ(FailureOfBytes(blocks.Bytes()), "Too many blocks");

    TRawTraining markers = SimpleTraining('7', 3);
    markers.markerCountField = 65535; // far more records than the file holds
    EXPECT_EQ(FailureOfBytes(markers.Bytes()), "Read beyond end of file");

    EXPECT_EQ(FailureOfBytes(SimpleTraining('7', 3).Bytes().substr(0, 86 + 270 + 3)),
              "Read beyond end of file");

    // A count of 0xFFFF with only 10 samples in the file: 65534 samples, the rest zero.
    TRawTraining lying = SimpleTraining('7', 10);
    lying.sampleCountField = 0xFFFF;
    lying.extraHeader.batInfo.battery = 1234;
    LoadBoth(lying);
    ASSERT_EQ(data_.SampleCount(), TTrainingData::kMaxSamples);
    EXPECT_EQ(data_.Sample(9).Value(dcPower), lying.samples[9].watts);
    EXPECT_EQ(data_.Sample(11).Value(dcPower), 0);
    EXPECT_EQ(data_.Sample(65533).Value(dcAltitude), 0);
    EXPECT_EQ(data_.ExtraHeader(), TExtraHeader{}); // swallowed by the samples, so the defaults
    ExpectSameTraining(data_, file_);
}

TEST_F(TrainingDataRead, SpeedsAboveSixteenSignedBitsReadUnsigned) {
    TRawTraining raw = SimpleTraining('7', 2);
    raw.samples[0].speed = 40000; // stored sign-extended
    raw.samples[1].temperature = -45;
    raw.samples[1].altitude = -20;
    LoadBoth(raw);
    EXPECT_EQ(data_.Sample(0).Value(dcSpeed), 40000);
    EXPECT_EQ(data_.Sample(1).Value(dcTemperature), -45);
    EXPECT_EQ(data_.Sample(1).Value(dcAltitude), -20);
}

TEST_F(TrainingDataRead, ExtraHeaderOnlyWithItsFlag) {
    TRawTraining raw = SimpleTraining('8', 3);
    raw.extraHeader.batInfo = {2870, 7};
    raw.extraHeader.sensorInfo.words = {4711, 1, 2, 3};
    LoadBoth(raw);
    EXPECT_EQ(data_.ExtraHeader(), raw.extraHeader);
    raw.flags = 0;
    LoadBoth(raw);
    EXPECT_EQ(data_.ExtraHeader(), TExtraHeader{});
}

TEST_F(TrainingDataRead, EmptyTrainingLoadsForTheModule) {
    // The document refuses it ("No data"); charts and the live mode can live with no samples.
    path_ = dir_.File("empty.klt");
    SimpleTraining('7', 0).WriteTo(path_);
    data_.ReadTraining(path_);
    EXPECT_EQ(data_.SampleCount(), 0);
    EXPECT_EQ(data_.Markers().size(), 1u);
}

} // namespace
} // namespace klt
