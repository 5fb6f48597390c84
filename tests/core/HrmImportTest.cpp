#include "core/HrmImport.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "core/Exceptions.h"
#include "core/KLTDate.h"
#include "core/KLTFile.h"
#include "core/SampleElement.h"
#include "tests/support/ScriptedPrompt.h"

namespace klt {
namespace {

using ::testing::HasSubstr;

const std::filesystem::path kRealFiles = std::filesystem::path(KLT_TEST_DATA_DIR) / "external" / "hrm";

std::string ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// A version-106 file with the given flags, note and sample lines.
std::string HrmText(const std::string& smode, const std::string& samples, const std::string& note = "",
                    const std::string& interval = "5") {
    return "[Params]\r\nVersion=106\r\nMonitor=12\r\nSMode=" + smode +
           "\r\nDate=20140117\r\nStartTime=8:59:03.0\r\nInterval=" + interval + "\r\n\r\n[Note]\r\n" + note +
           "\r\n\r\n[HRData]\r\n" + samples;
}

struct TImported {
    TKLTFile file{"ride.hrm"};
    explicit TImported(const std::string& content, bool altitudeAsPower = false) {
        ImportHrmTraining(file, content, altitudeAsPower);
    }
};

std::string ImportError(const std::string& content) {
    TKLTFile file("ride.hrm");
    try {
        ImportHrmTraining(file, content, false);
    } catch (const Exception& e) {
        EXPECT_EQ(file.SampleCount(), 0);
        return e.Message();
    }
    ADD_FAILURE() << "imported";
    return {};
}

struct TRealFile {
    const char* name;
    int samples;
    int interval; // s
    int minHeartRate, maxHeartRate; // bpm
};

// Sample counts and heart-rate ranges as the files' [HRData] hold them.
TEST(HrmImport, EveryRealFileGivesAPlausibleTraining) {
    const TRealFile files[] = {
        {"HRM_Track_Merger__sample.hrm", 2508, 5, 105, 176},
        {"bipolar__training-sessions-1988256040.hrm", 188, 1, 92, 142},
        {"bipolar__training-sessions-22165267.hrm", 2131, 1, 139, 189},
        {"bipolar__training-sessions-42261903.hrm", 36, 1, 0, 0}, // power only
        {"hrmparser__polarRS400.hrm", 714, 5, 56, 196},
        {"hrmparser__polarRS800-RR.hrm", 2408, 1, 71, 144}, // 4591 beats in 2408 s
        {"hrmparser__polarRS800-bike.hrm", 4953, 1, 51, 155},
        {"sportstracker__cycling-english.hrm", 205, 15, 83, 232},
        {"sportstracker__nospeed-metric.hrm", 1789, 5, 67, 147},
        {"sportstracker__s410-sample.hrm", 110, 30, 0, 178}, // lost contact
    };
    int checked = 0;
    for (const TRealFile& real : files) {
        SCOPED_TRACE(real.name);
        TImported hrm(ReadAll(kRealFiles / real.name));
        const TKLTFile& file = hrm.file;
        EXPECT_EQ(file.SampleCount(), real.samples);
        EXPECT_EQ(file.Header().intervalNumerator, real.interval);
        EXPECT_EQ(file.Header().intervalDenominator, 1);
        EXPECT_NE(file.Header().date, kNoDate);
        int low = 255, high = 0;
        for (int i = 1; i <= file.SampleCount(); ++i) {
            low = std::min(low, file.Sample(i).StoredHeartRate());
            high = std::max(high, file.Sample(i).StoredHeartRate());
        }
        EXPECT_EQ(low, real.minHeartRate);
        EXPECT_EQ(high, real.maxHeartRate);
        ++checked;
    }
    EXPECT_EQ(checked, static_cast<int>(std::distance(std::filesystem::directory_iterator(kRealFiles),
                                                      std::filesystem::directory_iterator{})) - 1); // README
}

TEST(HrmImport, RealFilesKeepTheirColumnsApart) {
    // Speed, cadence, altitude, power and the combined balance column: power stays a power.
    TImported all(ReadAll(kRealFiles / "bipolar__training-sessions-1988256040.hrm"));
    int maxPower = 0;
    for (int i = 1; i <= all.file.SampleCount(); ++i) {
        maxPower = std::max(maxPower, all.file.Sample(i).StoredPower());
    }
    EXPECT_GT(maxPower, 100);
    EXPECT_LT(maxPower, 1500);
    EXPECT_EQ(all.file.Comment(), "Radfahren");

    // Negative altitudes stay negative.
    TImported running(ReadAll(kRealFiles / "bipolar__training-sessions-22165267.hrm"));
    EXPECT_EQ(running.file.Sample(running.file.SampleCount()).Altitude(), -102);

    // A note in Latin-1 bytes.
    TImported merger(ReadAll(kRealFiles / "HRM_Track_Merger__sample.hrm"));
    EXPECT_EQ(merger.file.Comment(), "\xC3\xAB\xC3\xAB\xC3\xAB"); // the 0xFF fill between went

    // The date in full, not its last six digits.
    EXPECT_EQ(CivilFromDaysSince1880(running.file.Header().date).year, 2014);
}

TEST(HrmImport, UsUnitsAreMilesPerHourAndFeet) {
    TImported hrm(HrmText("10100011", "120\t200\t1000\n"));
    EXPECT_EQ(hrm.file.Sample(1).Speed(), 8928);    // 20.0 mph = 8941 mm/s, in 32 mm/s steps
    EXPECT_EQ(hrm.file.Sample(1).Altitude(), 305); // 1000 ft
    TImported metric(HrmText("10100000", "120\t200\t1000\n"));
    EXPECT_EQ(metric.file.Sample(1).Speed(), 5536); // 20.0 km/h = 5556 mm/s
    EXPECT_EQ(metric.file.Sample(1).Altitude(), 1000);
}

TEST(HrmImport, SpeedFlagAloneGivesSpeedAndHeartRate) {
    TImported hrm(HrmText("100000000", "130 252\n\n131\t253  \n[Extra]\n1\t2\t3\n"));
    ASSERT_EQ(hrm.file.SampleCount(), 2);
    EXPECT_EQ(hrm.file.Sample(1).StoredHeartRate(), 130);
    EXPECT_EQ(hrm.file.Sample(2).Speed(), 7008); // 25.3 km/h = 7028 mm/s
    EXPECT_EQ(hrm.file.Sample(2).StoredCadence(), 0);
    EXPECT_EQ(hrm.file.Sample(2).StoredPower(), 0);
}

TEST(HrmImport, AltitudeWithoutPower) {
    const std::string content = HrmText("001000000", "120\t-15\n121\t250\n", "Hill");
    TImported dropped(content);
    EXPECT_EQ(dropped.file.Sample(1).Altitude(), -15);
    EXPECT_EQ(dropped.file.Sample(2).StoredHeartRate(), 121);
    EXPECT_EQ(dropped.file.Sample(2).StoredPower(), 0);
    EXPECT_EQ(dropped.file.Comment(), "Hill");

    TImported asPower(content, true);
    EXPECT_EQ(asPower.file.Sample(2).StoredPower(), 250);
    EXPECT_EQ(asPower.file.Sample(1).StoredPower(), 0); // negative power clamps
    EXPECT_EQ(asPower.file.Sample(2).Altitude(), 0);
    EXPECT_EQ(asPower.file.Comment(), "PW=Alt!! Hill");

    TImported withPower(HrmText("001100000", "120\t300\t180\n"), true);
    EXPECT_EQ(withPower.file.Sample(1).StoredPower(), 180);
    EXPECT_EQ(withPower.file.Comment(), "");
}

TEST(HrmImport, ValuesBeyondTheSampleFieldsClamp) {
    TImported hrm(HrmText("11110000", "2147483647\t2147483647\t2147483647\t-2147483648\t2147483647\n"));
    const TSampleElement& sample = hrm.file.Sample(1);
    EXPECT_EQ(sample.StoredHeartRate(), TSampleElement::kMaxBeatsOrRevs);
    EXPECT_EQ(sample.StoredCadence(), TSampleElement::kMaxBeatsOrRevs);
    EXPECT_EQ(sample.StoredPower(), TSampleElement::kMaxPowerWatts);
    EXPECT_EQ(sample.Speed(), TSampleElement::kMaxSpeedUnits * 32);
    EXPECT_LT(sample.Altitude(), 0);
}

TEST(HrmImport, BalanceColumnAfterPowerIsSkipped) {
    for (const char* smode : {"000110000", "000101000", "000111000"}) {
        TImported hrm(HrmText(smode, "140\t250\t12850\n"));
        EXPECT_EQ(hrm.file.Sample(1).StoredPower(), 250) << smode;
    }
    TImported pressure(HrmText("000100001", "140\t250\t1013\n"));
    EXPECT_EQ(pressure.file.Sample(1).StoredPower(), 250);
}

TEST(HrmImport, OlderVersionsKnowTwoModes) {
    const std::string older = "[Params]\nVersion=105\nMode=10\nDate=19990601\nInterval=15\n[HRData]\n150\t90\t220\n";
    TImported hrm(older);
    EXPECT_EQ(hrm.file.Sample(1).StoredCadence(), 90);
    EXPECT_EQ(hrm.file.Sample(1).StoredPower(), 220);
    EXPECT_EQ(CivilFromDaysSince1880(hrm.file.Header().date).year, 1999);

    std::string other = older;
    other.replace(other.find("Mode=10"), 7, "Mode=11");
    EXPECT_THAT(ImportError(other), HasSubstr("Unknown Polar Format"));
    EXPECT_THAT(ImportError(HrmText("1x1000000", "120\n")), HasSubstr("Unknown Polar Format"));
}

TEST(HrmImport, BeatToBeatFilesBecomeOneHeartRateASecond) {
    // 500 ms beats are 120 bpm, 1000 ms beats 60 bpm.
    TImported hrm(HrmText("000000000", "500\n500\n500\n500\n1000\n1000\n", "", "238"));
    ASSERT_EQ(hrm.file.SampleCount(), 4);
    EXPECT_EQ(hrm.file.Header().intervalNumerator, 1);
    EXPECT_EQ(hrm.file.Sample(2).StoredHeartRate(), 120);
    EXPECT_EQ(hrm.file.Sample(4).StoredHeartRate(), 60);
    EXPECT_THAT(ImportError(HrmText("000000000", "500\n0\n", "", "238")), HasSubstr("line 14"));
}

TEST(HrmImport, NotesInAnyEncodingBecomeText) {
    EXPECT_EQ(TImported(HrmText("000000000", "120\n", "Sprang p\xE5 glansis")).file.Comment(),
              "Sprang p\xC3\xA5 glansis");
    EXPECT_EQ(TImported(HrmText("000000000", "120\n", "Kl\xC3\xB6ppel")).file.Comment(), "Kl\xC3\xB6ppel");
    EXPECT_EQ(TImported(HrmText("000000000", "120\n", "a\x01\x85\xEB\xFF")).file.Comment(), "a\xC3\xAB");
    EXPECT_EQ(TImported(HrmText("000000000", "120\n", "5 \xE2\x82\xAC?")).file.Comment(), "5 ?"); // no euro sign
    EXPECT_EQ(TImported(HrmText("000000000", "120\n", "")).file.Comment(), "");
}

TEST(HrmImport, OneBadLineIsSkippedWithAWarningThatNamesIt) {
    std::string content = ReadAll(kRealFiles / "sportstracker__cycling-english.hrm");
    const size_t data = content.find("[HRData]");
    const size_t lineStart = content.find('\n', content.find('\n', data) + 1) + 1; // the second sample line
    const size_t lineEnd = content.find('\n', lineStart);
    const int lineNumber = static_cast<int>(std::count(content.begin(), content.begin() + lineStart, '\n')) + 1;
    content.replace(lineStart, lineEnd - lineStart, "141\t25x\t80");
    test::TScriptedPrompt prompt;
    TImported hrm(content);
    EXPECT_EQ(hrm.file.SampleCount(), 204); // one of 205
    ASSERT_EQ(prompt.shown.size(), 1u);
    EXPECT_EQ(prompt.shown[0].caption, "Warning");
    EXPECT_THAT(prompt.shown[0].text, HasSubstr("'ride.hrm' line " + std::to_string(lineNumber) + ": \"25x\""));
    EXPECT_THAT(prompt.shown[0].text, HasSubstr("skipped"));

    // A file whose sample lines are mostly bad is no recording with a glitch: it is refused.
    EXPECT_THAT(ImportError(HrmText("000000000", "120\n12a\n13b\n")), HasSubstr("line 14"));
}

TEST(HrmImport, TrainingStartsAtTheStartTimeWithItsLapsAsMarkers) {
    TImported hrm(ReadAll(kRealFiles / "sportstracker__cycling-english.hrm"));
    const TKLTFile& file = hrm.file;
    EXPECT_EQ(file.Marker(0).startTime, ((13 * 60 + 10) * 60 + 42) * 100); // StartTime=13:10:42.0
    // Laps end 0:20:34.6, 0:46:51.2, 0:50:57.6 and 0:51:22.6 into the ride; samples are 15 s apart.
    ASSERT_EQ(file.MarkerCount(), 5);
    EXPECT_EQ(file.Marker(1).name, "Lap 1");
    EXPECT_EQ(std::make_pair(file.Marker(1).first, file.Marker(1).last), std::make_pair(1, 82));
    EXPECT_EQ(std::make_pair(file.Marker(2).first, file.Marker(2).last), std::make_pair(83, 187));
    EXPECT_EQ(file.Marker(3).name, "Lap 3");
    EXPECT_EQ(std::make_pair(file.Marker(3).first, file.Marker(3).last), std::make_pair(188, 204));
    EXPECT_EQ(std::make_pair(file.Marker(4).first, file.Marker(4).last), std::make_pair(205, 205)); // the last sample

    TImported noLaps(HrmText("000000000", "120\n121\n"));
    EXPECT_EQ(noLaps.file.MarkerCount(), 1);
    EXPECT_EQ(noLaps.file.Marker(0).startTime, ((8 * 60 + 59) * 60 + 3) * 100);
}

// Found by fuzzing: the start time is read after the samples are in place.
TEST(HrmImport, UnreadableStartTimeLeavesNoHalfImportedTraining) {
    std::string content = HrmText("000000000", "120\n121\n");
    content.replace(content.find("StartTime=8:59:03.0"), 19, "StartTime=0(:59:07.0");
    TKLTFile file("ride.hrm");
    EXPECT_THROW(ImportHrmTraining(file, content, false), EKLTFileInOutError);
    EXPECT_EQ(file.SampleCount(), 0);

    // An empty start time is no time at all, not a read before the text.
    std::string empty = HrmText("000000000", "120\n121\n");
    empty.replace(empty.find("StartTime=8:59:03.0"), 19, "StartTime=");
    TKLTFile undated("ride.hrm");
    try {
        ImportHrmTraining(undated, empty, false);
    } catch (const EKLTFileInOutError&) {
        EXPECT_EQ(undated.SampleCount(), 0);
    }
}

TEST(HrmImport, BadInputNamesTheFileAndLine) {
    EXPECT_THAT(ImportError(HrmText("000000000", "120\n12a\n")), HasSubstr("'ride.hrm' line 14: \"12a\""));
    EXPECT_THAT(ImportError(HrmText("101000000", "120\t200\t80\n120\t200\n")), HasSubstr("line 14"));
    EXPECT_THAT(ImportError(HrmText("100000000", "120\t200\t80\n")), HasSubstr("line 13"));
    EXPECT_THAT(ImportError(HrmText("000000000", "120\n", "", "0")), HasSubstr("line 7"));
    EXPECT_THAT(ImportError(HrmText("000000000", "120\n", "", "300")), HasSubstr("line 7"));
    std::string badDate = HrmText("000000000", "120\n");
    badDate.replace(badDate.find("20140117"), 8, "20140231");
    EXPECT_THAT(ImportError(badDate), HasSubstr("line 5: invalid date"));
    EXPECT_THAT(ImportError(std::string("\x7F" "ELF\x02\x01\x01\0\0\0", 10)), HasSubstr("'ride.hrm'"));
    EXPECT_THAT(ImportError("[Params]\nVersion=106\n[HRData]\n120\n"), HasSubstr("SMode"));

    std::string tooLong;
    for (int i = 0; i <= TKLTFile::kMaxSamples; ++i) {
        tooLong += "120\n";
    }
    EXPECT_THAT(ImportError(HrmText("000000000", tooLong)), HasSubstr("more than 65534 samples"));
}

} // namespace
} // namespace klt
