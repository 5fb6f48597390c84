#include <gtest/gtest.h>

#include <filesystem>

#include "core/BinaryFile.h"
#include "core/Exceptions.h"
#include "core/KLTFile.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/RawTraining.h"

namespace klt {
namespace {

using test::SimpleTraining;
using test::TRawTraining;

class TrainingFileWrite : public ::testing::Test {
protected:
    void Load(TKLTFile& file, const std::string& path) {
        file.SetFileName(path);
        file.ReadFile();
    }

    // Writes `raw` as a file and reads it into `file`; returns the path.
    std::string LoadRaw(TKLTFile& file, const TRawTraining& raw, const std::string& name = "in.klt") {
        const std::string path = dir_.File(name);
        raw.WriteTo(path);
        Load(file, path);
        return path;
    }

    // Writes `file` in a format under `name` and reads that into `again`; returns the path.
    std::string SaveAndReload(TKLTFile& file, TKLTFile& again, const std::string& name, char version = '7') {
        const std::string path = dir_.File(name);
        if (version == '7') {
            file.WriteKLT7(path, TDateTimeMark::None());
        } else {
            file.WriteKLT6(path, TDateTimeMark::None());
        }
        Load(again, path);
        return path;
    }

    TRawTraining Rich() {
        TRawTraining raw = SimpleTraining('7', 300);
        raw.comment = "Bergfahrt \x81"
                      "ber den Pass";
        raw.markers = {{"JD"}, {"climb", 1, 10, 200}, {"sprint", 1, 250, 260}};
        raw.blocks = {{3600000, 200}, {3640000, 100}};
        raw.extraHeader.batInfo = {2870, 12};
        raw.extraHeader.sensorInfo.words = {4711, 5, 6, 7};
        raw.samples[42].speed = 40000; // above 32767 mm/s: stored sign-extended
        raw.samples[43].temperature = -45;
        raw.samples[44].altitude = -20;
        return raw;
    }

    test::TTempDir dir_;
};

TEST_F(TrainingFileWrite, Klt7RoundTripKeepsEveryByte) {
    const TRawTraining raw = Rich();
    TKLTFile file, again;
    LoadRaw(file, raw);
    // Averages are recomputed on writing, so compare with what they come to.
    const std::string out = SaveAndReload(file, again, "out.klt");
    const std::string written = test::ReadFileBytes(out);
    const std::string rewritten = dir_.File("again.klt");
    again.WriteKLT7(rewritten, TDateTimeMark::None());
    EXPECT_EQ(test::ReadFileBytes(rewritten), written);
    // Everything but marker 0's range and the marker averages is the input itself.
    std::string expected = raw.Bytes();
    ASSERT_EQ(written.size(), expected.size());
    std::copy_n(written.begin() + 86 + 256, 4, expected.begin() + 86 + 256);
    for (int m = 0; m < 3; ++m) {
        const size_t averages = 86 + static_cast<size_t>(m) * 270 + 255 + 5;
        std::copy_n(written.begin() + static_cast<long>(averages), 8,
                    expected.begin() + static_cast<long>(averages));
    }
    const auto firstDifference = std::mismatch(written.begin(), written.end(), expected.begin()).first;
    EXPECT_EQ(firstDifference - written.begin(), static_cast<long>(written.size()));
    EXPECT_EQ(again.Marker(1).AvgPower(), file.Marker(1).AvgPower());
    EXPECT_EQ(again.Comment(), "Bergfahrt über den Pass");
}

TEST_F(TrainingFileWrite, Klt6KeepsPowerCadenceHeartRateAndRoundsSpeed) {
    TRawTraining raw = Rich();
    raw.samples[7].speed = 1000; // not a multiple of 32
    TKLTFile file, six;
    LoadRaw(file, raw);
    SaveAndReload(file, six, "six.klt", '6');
    EXPECT_EQ(six.Header().Version(), '6');
    EXPECT_EQ(six.Header().flags & 2, 0);
    EXPECT_EQ(six.ExtraHeader(), TExtraHeader{});
    ASSERT_EQ(six.SampleCount(), file.SampleCount());
    for (int i = 1; i <= file.SampleCount(); ++i) {
        ASSERT_EQ(six.Sample(i).Power(), file.Sample(i).Power());
        ASSERT_EQ(six.Sample(i).Cadence(), file.Sample(i).Cadence());
        ASSERT_EQ(six.Sample(i).HeartRate(), file.Sample(i).HeartRate());
        ASSERT_EQ(six.Sample(i).Speed(), file.Sample(i).Speed() / 32 * 32);
        ASSERT_EQ(six.Sample(i).Altitude(), 0);
        ASSERT_EQ(six.Sample(i).Temperature(), 0);
    }
    EXPECT_EQ(six.Sample(8).Speed(), 992);
    EXPECT_EQ(six.Blocks(), file.Blocks());
    EXPECT_EQ(six.MarkerCount(), 3);
}

TEST_F(TrainingFileWrite, Klt7SpeedFieldIsTheSignExtendedSixteenBitValue) {
    TRawTraining raw = SimpleTraining('7', 3);
    raw.samples[1].speed = 65504; // the top speed, negative as a 16-bit value
    std::string bytes = raw.Bytes();
    const size_t samplesStart = bytes.size() - 24 - 3 * 14;
    bytes[samplesStart + 14 + 6] = bytes[samplesStart + 14 + 7] = '\0'; // as another program left it
    const std::string path = dir_.File("zero-extended.klt");
    test::WriteFileBytes(path, bytes);
    TKLTFile file;
    Load(file, path);
    EXPECT_EQ(file.Sample(2).Speed(), 65504);
    const std::string out = dir_.File("out.klt");
    file.WriteKLT7(out, TDateTimeMark::None());
    const std::string written = test::ReadFileBytes(out);
    ASSERT_EQ(written.size(), bytes.size());
    EXPECT_EQ(written.substr(samplesStart + 14 + 4, 4), std::string("\xE0\xFF\xFF\xFF", 4));
    EXPECT_EQ(written.substr(samplesStart + 4, 4), bytes.substr(samplesStart + 4, 4)); // small speeds stay
}

TEST_F(TrainingFileWrite, MoreMarkersThanTheCountFieldHoldsAreRefused) {
    TKLTFile file;
    LoadRaw(file, SimpleTraining('7', 400));
    int added = 0;
    for (int first = 1; first <= 400 && added < 65536; ++first) {
        for (int last = 400; last >= first && added < 65536; --last, ++added) {
            file.InsertMarker(TKLTMarker("m", first, last)); // in order, so each insert is quick
        }
    }
    ASSERT_EQ(file.MarkerCount(), 65537);
    const std::string path = dir_.File("many.klt");
    try {
        file.WriteKLT7(path, TDateTimeMark::None());
        FAIL() << "the marker count wrapped";
    } catch (const EKLTFileInOutError& e) {
        EXPECT_EQ(std::string(e.what()), "'" + path + "': Too many markers");
    }
    EXPECT_FALSE(std::filesystem::exists(path));
    file.DeleteMarker(1);
    TKLTFile again;
    SaveAndReload(file, again, "most.klt");
    EXPECT_EQ(again.MarkerCount(), 65536);
}

TEST_F(TrainingFileWrite, DroppedMarkerIsNotWrittenBack) {
    TRawTraining raw = SimpleTraining('6', 10);
    raw.markers = {{"AB"}, {"one", 1, 2, 5}, {"off", 0, 3, 4}};
    TKLTFile file, again;
    LoadRaw(file, raw);
    SaveAndReload(file, again, "out.klt");
    EXPECT_EQ(again.Header().markerCountField, 1);
    EXPECT_EQ(again.MarkerCount(), 2);
}

TEST_F(TrainingFileWrite, OldVersionsConvertToKlt7WithTheirValues) {
    TRawTraining raw = SimpleTraining('3', 12);
    raw.markers = {{"AB"}, {"x", 1, 2, 12}};
    TKLTFile file, again;
    LoadRaw(file, raw, "A010203x.klt");
    SaveAndReload(file, again, "new.klt");
    EXPECT_FALSE(again.Modified());
    EXPECT_EQ(again.Header().date, file.Header().date);
    EXPECT_EQ(again.Interval(), 200);
    EXPECT_EQ(again.Marker(1).last, 11);
    for (int i = 1; i <= 12; ++i) {
        ASSERT_EQ(again.Sample(i).Speed(), file.Sample(i).Speed());
    }
}

TEST_F(TrainingFileWrite, StampBecomesTheModificationTime) {
    TKLTFile file;
    LoadRaw(file, SimpleTraining('7', 5));
    const TDateTimeMark stamp{DaysSince1880({2024, 6, 30}), (14 * 3600 + 5 * 60 + 9) * 100 + 50};
    const std::string out = dir_.File("stamped.klt");
    const int64_t written = file.WriteKLT7(out, stamp);
    EXPECT_EQ(written, FileModificationStamp(out));
    EXPECT_EQ(FromUnixTime(static_cast<time_t>(written / 1'000'000'000)).days, stamp.days);
    EXPECT_EQ(FromUnixTime(static_cast<time_t>(written / 1'000'000'000)).time, stamp.time / 100 * 100);
}

TEST_F(TrainingFileWrite, FailedWriteKeepsTheOldFileAndLeavesNoTemporary) {
    TKLTFile file;
    const std::string path = LoadRaw(file, SimpleTraining('7', 5000), "ride.klt");
    const std::string before = test::ReadFileBytes(path);
    // A file size limit makes the disk "full" part way through the samples, also for root.
    {
        const test::TFileSizeLimit full(4096);
        try {
            file.WriteKLT7(path, TDateTimeMark::None());
            ADD_FAILURE() << "write beyond the size limit succeeded";
        } catch (const EInOutError& e) {
            EXPECT_EQ(std::string(e.what()).rfind("'" + path + "': ", 0), 0u) << e.what();
        }
    }
    EXPECT_EQ(test::ReadFileBytes(path), before);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_.Path()), {}), 1);
}

TEST_F(TrainingFileWrite, WriteIntoMissingDirectoryFailsCleanly) {
    TKLTFile file;
    LoadRaw(file, SimpleTraining('7', 5));
    const std::string out = dir_.File("missing/out.klt");
    try {
        file.WriteKLT7(out, TDateTimeMark::None());
        FAIL();
    } catch (const EInOutError& e) {
        EXPECT_EQ(std::string(e.what()), "'" + out + "': File not found");
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_.Path()), {}), 1);
}

} // namespace
} // namespace klt
