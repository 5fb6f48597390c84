#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "core/Exceptions.h"
#include "core/KLTFile.h"
#include "tests/support/RawTraining.h"

namespace klt {
namespace {

using test::SimpleTraining;
using test::TRawMarker;
using test::TRawSample;
using test::TRawTraining;

class TrainingFileRead : public ::testing::Test {
protected:
    // Writes `raw` under `name` and reads it into file_.
    void Load(const TRawTraining& raw, const std::string& name = "A010203x.klt") {
        path_ = dir_.File(name);
        raw.WriteTo(path_);
        file_.SetFileName(path_);
        file_.ReadFile();
    }

    // The message of the read failure of `raw`, after checking that the object was cleared.
    std::string FailureOf(const TRawTraining& raw) { return FailureOfBytes(raw.Bytes()); }
    std::string FailureOfBytes(const std::string& bytes) {
        path_ = dir_.File("bad.klt");
        test::WriteFileBytes(path_, bytes);
        file_.SetFileName(path_);
        try {
            file_.ReadFile();
        } catch (const EInOutError& e) {
            EXPECT_EQ(file_.LoadState(), TLoadState::Empty);
            EXPECT_EQ(file_.MarkerCount(), 0);
            EXPECT_EQ(file_.SampleCount(), 0);
            return e.what();
        }
        ADD_FAILURE() << "read did not fail";
        return {};
    }

    test::TTempDir dir_;
    std::string path_;
    TKLTFile file_;
};

TEST_F(TrainingFileRead, EveryVersionReadsItsSamples) {
    for (char version : std::string(" 2345678")) {
        SCOPED_TRACE(std::string("version '") + version + "'");
        TRawTraining raw = SimpleTraining(version, 20);
        Load(raw);
        ASSERT_EQ(file_.SampleCount(), 20);
        EXPECT_EQ(file_.Header().Version(), version);
        for (int i = 1; i <= 20; ++i) {
            const TRawSample& r = raw.samples[static_cast<size_t>(i - 1)];
            const TSampleElement& s = file_.Sample(i);
            ASSERT_EQ(s.Power(), r.watts * 8);
            ASSERT_EQ(s.Cadence(), r.rpm * 32);
            ASSERT_EQ(s.HeartRate(), r.bpm * 64);
            if (version < '5') {
                ASSERT_EQ(s.Speed(), r.speed * 10000 / 36 / 32 * 32); // km/h recoded to mm/s
            } else {
                ASSERT_EQ(s.Speed(), r.speed);
            }
            ASSERT_EQ(s.Altitude(), r.altitude);
            ASSERT_EQ(s.Temperature(), r.temperature);
        }
        EXPECT_EQ(file_.Modified(), version < '5');
    }
}

TEST_F(TrainingFileRead, Ok19IsTheOldestVersion) {
    std::string bytes = SimpleTraining(' ', 4).Bytes();
    bytes.replace(0, 4, "Ok19");
    path_ = dir_.File("old.klt");
    test::WriteFileBytes(path_, bytes);
    file_.SetFileName(path_);
    file_.ReadFile();
    EXPECT_EQ(std::string(file_.Header().magic.data(), 4), "KLT ");
    EXPECT_EQ(file_.SampleCount(), 4);
}

TEST_F(TrainingFileRead, UnknownMagicFailsInPhaseTwo) {
    for (const char* magic : {"KLT9", "XYZ7", "KLT1"}) {
        TRawTraining raw = SimpleTraining('7', 3);
        raw.magic = magic;
        raw.markerCountField = 12;
        EXPECT_EQ(FailureOf(raw), "File isn't a training file or is corrupted (2)\nHeader\n ID:12")
            << magic;
    }
}

TEST_F(TrainingFileRead, ShortFilesNameThePhaseTheyEndIn) {
    const std::string full = SimpleTraining('7', 3).Bytes();
    EXPECT_EQ(FailureOfBytes(full.substr(0, 10)),
              "File isn't a training file or is corrupted (2)\nRead beyond end of file\n ID:0");
    auto phaseOf = [&](size_t length) {
        const std::string message = FailureOfBytes(full.substr(0, length));
        const auto open = message.find('(');
        return message.substr(open + 1, message.find(')') - open - 1);
    };
    EXPECT_EQ(phaseOf(40), "3");
    EXPECT_EQ(phaseOf(86 + 100), "4");
    EXPECT_EQ(phaseOf(86 + 260), "5");
    EXPECT_EQ(phaseOf(86 + 270 + 3), "12");
}

TEST_F(TrainingFileRead, MissingFileFailsInPhaseOne) {
    file_.SetFileName(dir_.File("absent.klt"));
    try {
        file_.ReadFile();
        FAIL();
    } catch (const EInOutError& e) {
        EXPECT_STREQ(e.what(), "File isn't a training file or is corrupted (1)\nFile not found\n ID:0");
    }
}

TEST_F(TrainingFileRead, PipesAndDevicesAreRefusedWithoutWaiting) {
    const std::string fifo = dir_.File("fifo.klt");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    // In a child, so that a read that waits for a writer fails the test instead of hanging it.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::alarm(10);
        int refused = 0;
        for (const std::string& path : {fifo, std::string("/dev/null"), dir_.Path()}) {
            TKLTFile file(path);
            try {
                file.ReadFile();
            } catch (const EInOutError&) {
                ++refused;
            }
        }
        ::_exit(refused);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status)) << "the read waited on the pipe";
    EXPECT_EQ(WEXITSTATUS(status), 3);
    EXPECT_EQ(FailureOfBytes("KLT"), "File isn't a training file or is corrupted (2)\nRead beyond end of file\n ID:0");
    file_.SetFileName(fifo);
    EXPECT_THROW(file_.ReadFile(), EInOutError);
}

TEST_F(TrainingFileRead, CountBeyondTheSamplesIsReadAsSaidAndMarkedDamaged) {
    TRawTraining raw = SimpleTraining('7', 3480);
    raw.sampleCountField = 0xFFFF;
    Load(raw);
    EXPECT_EQ(file_.SampleCount(), 65534);
    ASSERT_TRUE(file_.Damage().has_value());
    EXPECT_EQ(file_.Damage()->present, 3480);
    EXPECT_EQ(file_.Damage()->counted, 65534);

    TRawTraining packed = SimpleTraining('6', 100);
    std::string bytes = packed.Bytes();
    bytes.resize(bytes.size() - 5 * 30 - 2); // 69 whole samples and part of one more
    path_ = dir_.File("cut.klt");
    test::WriteFileBytes(path_, bytes);
    file_.SetFileName(path_);
    file_.ReadFile();
    ASSERT_TRUE(file_.Damage().has_value());
    EXPECT_EQ(file_.Damage()->present, 69);

    Load(SimpleTraining('7', 20));
    EXPECT_FALSE(file_.Damage().has_value());
}

TEST_F(TrainingFileRead, FillAndControlBytesAreNoPartOfCommentsOrNames) {
    TRawTraining raw = SimpleTraining('7', 3);
    raw.comment = std::string("\xFF\xFF\xFFHill\x01\x00 repeats\x1B\x7F", 19);
    raw.markers = {{"JD\xFF\xFF"}, {"\xFF\xFF\xFF", 1, 1, 2}, {"Sp\x02rint\x89", 1, 2, 3}};
    Load(raw);
    EXPECT_EQ(file_.Comment(), "Hill repeats");
    EXPECT_EQ(file_.Marker(0).name, "JD");
    EXPECT_EQ(file_.Marker(1).name, "");
    EXPECT_EQ(file_.Marker(2).name, "Sprint\xC3\xAB"); // code page 850 letters stay
}

TEST_F(TrainingFileRead, BlockAndSampleLimits) {
    TRawTraining raw = SimpleTraining('7', 3);
    raw.blockCountField = 10922;
    EXPECT_EQ(FailureOf(raw), "File isn't a training file or is corrupted (10)\nToo many blocks\n ID:0");

    TRawTraining empty = SimpleTraining('7', 0);
    EXPECT_EQ(FailureOf(empty), "File isn't a training file or is corrupted (17)\nNo data\n ID:0");

    TRawTraining huge = SimpleTraining('7', 65535);
    Load(huge);
    EXPECT_EQ(file_.SampleCount(), 65534);
}

TEST_F(TrainingFileRead, FileCutInsideTheSamplesLoadsWithZeroedRest) {
    TRawTraining raw = SimpleTraining('7', 6000);
    raw.extraHeader.batInfo.battery = 1234;
    std::string bytes = raw.Bytes();
    const size_t samplesStart = bytes.size() - 24 - 6000 * 14;
    bytes.resize(samplesStart + 5000 * 14 + 9); // 5000 whole samples and part of one more
    path_ = dir_.File("cut.klt");
    test::WriteFileBytes(path_, bytes);
    file_.SetFileName(path_);
    ASSERT_NO_THROW(file_.ReadFile());
    ASSERT_EQ(file_.SampleCount(), 6000);
    EXPECT_EQ(file_.Sample(5000).Power(), raw.samples[4999].watts * 8);
    for (int i : {5001, 5500, 6000}) {
        EXPECT_EQ(file_.Sample(i).Power(), 0) << i;
        EXPECT_EQ(file_.Sample(i).Altitude(), 0) << i;
    }
    EXPECT_EQ(file_.ExtraHeader(), TExtraHeader{}); // falls back to defaults
}

TEST_F(TrainingFileRead, ExtraHeaderOnlyWithItsFlag) {
    TRawTraining raw = SimpleTraining('7', 3);
    raw.extraHeader.batInfo = {2870, 7};
    raw.extraHeader.sensorInfo.words = {4711, 1, 2, 3};
    Load(raw);
    EXPECT_EQ(file_.ExtraHeader(), raw.extraHeader);

    raw.flags = 0;
    Load(raw);
    EXPECT_EQ(file_.ExtraHeader().batInfo.battery, 0x7FFFu);
    EXPECT_EQ(file_.ExtraHeader().batInfo.battery2, 0xFFFFu);
    EXPECT_EQ(file_.ExtraHeader().sensorInfo.words[3], 0xFFFFu);
}

TEST_F(TrainingFileRead, InactiveMarkersAreDropped) {
    TRawTraining raw = SimpleTraining('6', 10);
    raw.markers = {{"AB"}, {"one", 1, 2, 5}, {"off", 0, 3, 4}, {"two", 1, 6, 9}};
    Load(raw);
    ASSERT_EQ(file_.MarkerCount(), 3);
    EXPECT_EQ(file_.Marker(1).name, "one");
    EXPECT_EQ(file_.Marker(2).name, "two");
    EXPECT_EQ(file_.Header().markerCountField, 3);
}

TEST_F(TrainingFileRead, MarkersAreSortedAndTheirNamesDecoded) {
    TRawTraining raw = SimpleTraining('7', 10);
    raw.comment = "Gr\x81n";
    raw.markers = {{"  JD "}, {"late", 1, 5, 9}, {"short", 1, 2, 3}, {"long", 1, 2, 8}, {"M\x94we", 1, 1, 1}};
    Load(raw);
    ASSERT_EQ(file_.MarkerCount(), 5);
    EXPECT_EQ(file_.Marker(0).name, "JD");
    EXPECT_EQ(file_.Marker(1).name, "Möwe");
    EXPECT_EQ(file_.Marker(2).name, "long");
    EXPECT_EQ(file_.Marker(3).name, "short");
    EXPECT_EQ(file_.Marker(4).name, "late");
    EXPECT_EQ(file_.Comment(), "Grün");
    EXPECT_EQ(file_.Marker(0).first, 1);
    EXPECT_EQ(file_.Marker(0).last, 10);
}

TEST_F(TrainingFileRead, MarkerRangesBeyondTheSamplesAreHarmless) {
    TRawTraining raw = SimpleTraining('7', 10);
    raw.markers = {{"AB"}, {"far", 1, 900, 65535}, {"rev", 1, 8, 3}, {"zero", 1, 0, 0}};
    Load(raw);
    for (int i = 1; i < file_.MarkerCount(); ++i) {
        const TKLTMarker& m = file_.Marker(i);
        if (m.first == 0 && m.last == 0) {
            continue; // empty
        }
        EXPECT_GE(m.first, 1) << m.name;
        EXPECT_LE(m.last, 10) << m.name;
        EXPECT_LE(m.first, m.last) << m.name;
    }
}

TEST_F(TrainingFileRead, ReversedRangesKeepTheListSortedAndUnique) {
    TRawTraining raw = SimpleTraining('7', 40);
    raw.markers = {{"AB"}, {"m1", 1, 39, 20}, {"m2", 1, 30, 40}, {"same", 1, 20, 39}};
    Load(raw);
    ASSERT_EQ(file_.MarkerCount(), 3);
    // 39..20 became 20..39, the range of "same"; as with adding, the later marker in the list wins
    EXPECT_EQ(file_.Marker(1).name, "m1");
    EXPECT_EQ(file_.Marker(1).first, 20);
    EXPECT_EQ(file_.Marker(2).name, "m2");
}

TEST_F(TrainingFileRead, OldVersionsTakeDateIntervalAndInitialsFromTheirName) {
    TRawTraining raw = SimpleTraining('4', 5);
    raw.markers = {{""}, {"abc", 1, 2, 5}, {"two", 1, 2, 2}, {"mid", 1, 3, 4}};
    raw.intervalByte = 5;
    raw.circumference = 2000;
    Load(raw, "K170395x.klt");
    EXPECT_EQ(FormatIsoDate(file_.Header().date), "1995-03-17");
    EXPECT_EQ(file_.Header().circumference, 0);
    EXPECT_EQ(file_.Interval(), 500);
    EXPECT_EQ(file_.Marker(0).name, "K");
    ASSERT_EQ(file_.MarkerCount(), 4);
    // an end one past the last sample is pulled back; a one-sample marker stays
    EXPECT_EQ(file_.Marker(1).name, "abc");
    EXPECT_EQ(file_.Marker(1).last, 4);
    EXPECT_EQ(file_.Marker(2).last, 2);
    EXPECT_EQ(file_.Marker(3).last, 3);
    EXPECT_TRUE(file_.Modified());
    EXPECT_EQ(file_.ModificationMark().days, file_.Header().date);
    EXPECT_EQ(file_.ModificationMark().time, file_.Marker(0).startTime);

    Load(raw, "Kxx0395x.klt");
    EXPECT_EQ(file_.Header().date, kNoDate);
    Load(raw, "K310295x.klt"); // no 31 February
    EXPECT_EQ(file_.Header().date, kNoDate);
}

TEST_F(TrainingFileRead, IntervalAndTimeFormatFollowTheHeader) {
    TRawTraining raw = SimpleTraining('7', 5);
    raw.intervalNumerator = 1;
    raw.intervalDenominator = 4;
    Load(raw);
    EXPECT_EQ(file_.Interval(), 25);
    EXPECT_EQ(file_.TimeFormat(), TZeitFormat::ZeitFormatHHMMSSTT);
    raw.intervalDenominator = 0;
    Load(raw);
    EXPECT_EQ(file_.Interval(), 100);
    EXPECT_EQ(file_.TimeFormat(), TZeitFormat::ZeitFormatHHMMSS);
    raw.intervalNumerator = 0;
    raw.intervalDenominator = 1;
    raw.blocks = {{1000, 5}};
    Load(raw); // an interval of zero must not divide by zero anywhere
    EXPECT_EQ(file_.Interval(), 0);
    EXPECT_EQ(file_.IndexAtTime(5000), 5);
}

} // namespace
} // namespace klt
