#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "core/Exceptions.h"
#include "core/TextExport.h"
#include "core/TextImport.h"
#include "tests/support/MemoryTraining.h"

namespace klt {
namespace {

std::string Header(double interval, const std::string& comment = "ride") {
    return "       500      9.82      2000   J091226A         0\n"
           "      2026        12         9 JD\n"
           "         3 " +
           std::to_string(interval) + " " + comment + "\n";
}

TEST(TrainingText, ExtensionsNameTheWholeTrainingOrTheMarker) {
    EXPECT_EQ(TextExportExtension(0), ".txt");
    EXPECT_EQ(TextExportExtension(10), ".$0A");
    EXPECT_EQ(TextExportExtension(255), ".$FF");
}

class TrainingTextRoundTrip : public ::testing::TestWithParam<TTextExportForm> {};

TEST_P(TrainingTextRoundTrip, AMarkerOfTenSamplesComesBackWithItsValues) {
    TKLTFile source("/tmp/J091226A.klt");
    test::FillTraining(source, 30, {{36000, 30}});
    source.SetCommentText("Hill repeats");
    source.InsertMarker(TKLTMarker("climb", 5, 14));
    source.Normalise();
    ASSERT_EQ(source.Marker(1).SampleCount(), 10);
    const std::string text = TrainingText(source, 1, GetParam());

    TKLTFile imported("/tmp/J091226A.$01");
    ImportTextTraining(imported, text);
    ASSERT_EQ(imported.SampleCount(), 10);
    for (int i = 1; i <= 10; ++i) {
        const TSampleElement& was = source.Sample(i + 4);
        const TSampleElement& now = imported.Sample(i);
        EXPECT_EQ(now.Power(), was.Power()) << i;
        EXPECT_EQ(now.HeartRate(), was.HeartRate()) << i;
        EXPECT_EQ(now.Cadence(), was.Cadence()) << i;
        EXPECT_LE(std::abs(now.Speed() - was.Speed()), 32) << i;
        EXPECT_EQ(now.Speed() % 32, 0);
        if (GetParam() == TTextExportForm::Extended) {
            EXPECT_EQ(now.Altitude(), was.Altitude()) << i;
            EXPECT_EQ(now.Temperature(), was.Temperature()) << i;
            EXPECT_EQ(imported.SampleTime(i), source.SampleTime(i + 4)) << i;
        } else {
            EXPECT_EQ(now.Altitude(), 0);
            EXPECT_EQ(imported.SampleTime(i), (i - 1) * 100);
        }
    }
    EXPECT_EQ(imported.Header().date, source.Header().date);
    EXPECT_EQ(imported.Header().zeroOffset, 500);
    EXPECT_NEAR(imported.Header().slope, 3000, 2);
    EXPECT_EQ(imported.Interval(), 100);
    EXPECT_EQ(imported.Marker(0).name, "JD");
    // The distance an export writes before the comment does not become part of it.
    EXPECT_EQ(imported.Comment(), "Hill repeats");
}

INSTANTIATE_TEST_SUITE_P(BothForms, TrainingTextRoundTrip,
                         ::testing::Values(TTextExportForm::Basic, TTextExportForm::Extended));

TEST(TrainingText, ExtendedTimesSplitIntoBlocksAtAJumpAndPassMidnight) {
    TKLTFile file("/tmp/jump.txt");
    ImportTextTraining(file, Header(1.0) +
                                 "  100  120   90  30.0   200  20.5  23:49:58      1\r\n"
                                 "  100  120   90  30.0   200  20.5  23:49:59      2\r\n"
                                 "  100  120   90  30.0   200  20.5  23:59:59      3\r\n"
                                 "\t100\t120\t90\t30.0\t-12\t20.5\t0:00:00\t4\r\n"
                                 "  100  120   90  30.0   200  20.5  00:00:01      5\r\n");
    ASSERT_EQ(file.SampleCount(), 5);
    ASSERT_EQ(file.Blocks().size(), 2u);
    EXPECT_EQ(file.Blocks()[0], (TKLTBlock{8'579'800, 2}));
    EXPECT_EQ(file.Blocks()[1], (TKLTBlock{8'639'900, 3}));
    EXPECT_EQ(file.SampleTime(3), 8'639'900); // the first sample after the jump, at its written time
    EXPECT_EQ(file.SampleTime(4), 8'640'000);
    EXPECT_EQ(file.SampleTime(5), 8'640'100);
    EXPECT_EQ(file.Sample(4).Altitude(), -12);
    EXPECT_EQ(file.Marker(0).startTime, 8'579'800);
}

TEST(TrainingText, HundredthsAreReadWhenTheIntervalIsShort) {
    TKLTFile file("/tmp/short.txt");
    ImportTextTraining(file, Header(0.5) +
                                 "  100  120   90  30.0   200  20.5  10:00:00.00      1\n"
                                 "  100  120   90  30.0   200  20.5  10:00:00.50      2\n"
                                 "  100  120   90  30.0   200  20.5  10:00:01.50      3\n");
    EXPECT_EQ(file.Header().intervalNumerator, 50);
    EXPECT_EQ(file.Header().intervalDenominator, 100);
    ASSERT_EQ(file.Blocks().size(), 2u);
    EXPECT_EQ(file.Blocks()[1], (TKLTBlock{3'600'150, 1}));
    const std::string text = TrainingText(file, 0, TTextExportForm::Extended);
    EXPECT_NE(text.find("10:00:01.50"), std::string::npos);
}

TEST(TrainingText, WholeSecondsOfAFractionalIntervalAreNoPause) {
    TKLTFile file("/tmp/fraction.txt");
    ImportTextTraining(file, Header(1.5) +
                                 "  100  120   90  30.0   200  20.5  10:00:00      1\n"
                                 "  100  120   90  30.0   200  20.5  10:00:01      2\n"
                                 "  100  120   90  30.0   200  20.5  10:00:03      3\n"
                                 "  100  120   90  30.0   200  20.5  10:00:04      4\n"
                                 "  100  120   90  30.0   200  20.5  10:00:08      5\n");
    ASSERT_EQ(file.Blocks().size(), 2u);
    EXPECT_EQ(file.Blocks()[0].count, 4);
    EXPECT_EQ(file.SampleTime(4), 3'600'450);
    EXPECT_EQ(file.SampleTime(5), 3'600'800);
}

TEST(TrainingText, IntervalsAreEncodedInABytesFraction) {
    struct Case {
        double seconds;
        int numerator, denominator;
    };
    for (const Case& c : {Case{0.5, 50, 100}, Case{2.5, 250, 100}, Case{5, 5, 1}, Case{7.5, 15, 2}}) {
        TKLTFile file("/tmp/interval.txt");
        ImportTextTraining(file, Header(c.seconds) + "  100  120   90  30.0  00:00:00      1\n");
        EXPECT_EQ(file.Header().intervalNumerator, c.numerator) << c.seconds;
        EXPECT_EQ(file.Header().intervalDenominator, c.denominator) << c.seconds;
        EXPECT_TRUE(file.Blocks().empty());
    }
}

TEST(TrainingText, HostileTextIsRefusedNamingTheLineAndLeavesTheTrainingAlone) {
    const std::string sample = "  100  120   90  30.0  00:00:00      1\n";
    std::string tooMany = Header(1);
    for (int i = 0; i <= TKLTFile::kMaxSamples; ++i) {
        tooMany += sample;
    }
    struct Case {
        std::string text, line;
    };
    const Case cases[] = {
        {"", "line 1"},
        {std::string("\x7f" "ELF\0\0\x01\x02\n\n\n", 11), "line 1"},
        {"       500      9.82\n      2026         2        30 JD\n", "line 2"},
        {"       500      9.82\n      2026        12\n", "line 2"},
        {Header(0.0), "line 3"},
        {Header(300), "line 3"},
        {Header(1), "line 4"},
        {Header(1) + "  100  1x0   90  30.0  00:00:00      1\n", "line 4"},
        {Header(1) + "  100  120   90  30.0   200  20.5  25:00:00      1\n", "line 4"},
        {Header(1) + "  100  120   90  30.0   200  20.5  10:00:00      1\n  100  120   90\n", "line 5"},
        {Header(1) + "  nan  120   90  30.0  00:00:00      1\n", "line 4"},
        {tooMany, "line " + std::to_string(TKLTFile::kMaxSamples + 4)},
    };
    for (const Case& c : cases) {
        TKLTFile file("/tmp/bad.txt");
        test::FillTraining(file, 3);
        try {
            ImportTextTraining(file, c.text);
            ADD_FAILURE() << "accepted: " << c.text.substr(0, 80);
        } catch (const EKLTFileInOutError& error) {
            EXPECT_NE(std::string(error.what()).find("'bad.txt', " + c.line + ":"), std::string::npos) << error.what();
        }
        EXPECT_EQ(file.SampleCount(), 3);
    }
}

TEST(TrainingText, WideValuesStaySeparateColumns) {
    TKLTFile source("/tmp/J091226A.klt");
    test::FillTraining(source, 2, {}, "Smith J 1234");
    source.Sample(2).Set(8, 0, 0, 0, -1'000'000, 0);
    TKLTFile imported("/tmp/wide.txt");
    ImportTextTraining(imported, TrainingText(source, 0, TTextExportForm::Extended));
    EXPECT_EQ(imported.Header().date, source.Header().date);
    EXPECT_EQ(imported.Marker(0).name, "Smith J 1234");
    EXPECT_EQ(imported.Sample(2).Altitude(), -1'000'000);
}

TEST(TrainingText, ForeignBytesInTheCommentAreDropped) {
    TKLTFile file("/tmp/latin.txt");
    ImportTextTraining(file, Header(1, "Caf\xe9 r\xc3\xa9sum\xc3\xa9") + "  100  120   90  30.0  00:00:00      1\n");
    EXPECT_EQ(file.Comment(), "Caf r\xc3\xa9sum\xc3\xa9");
}

} // namespace
} // namespace klt
