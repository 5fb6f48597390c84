#include <gtest/gtest.h>

#include <filesystem>

#include "core/Exceptions.h"
#include "core/ForeignImport.h"
#include "core/KLTDatabase.h"
#include "core/RawImport.h"
#include "tests/support/TempDatabase.h"

namespace klt {
namespace {

namespace fs = std::filesystem;

// Four header lines, then heart rate, speed x 10 and cadence per sample.
constexpr const char* kRawContent =
    "header 1\r\nheader 2\r\nheader 3\r\nheader 4\r\n"
    "120\r\n255\r\n90\r\n"
    "251\r\na\r\nb\r\nc\r\nd\r\ne\r\n"
    "130\r\n300\r\n95\r\n"
    "250\r\n"
    "140\r\n310\r\n99\r\n";

TEST(RawImport, ReadsSamplesSkipsRecordsAndEndsAtTheFirst250) {
    TKLTFile file("/tmp/ride 12-09-2026.raw");
    ImportRawTraining(file, kRawContent);
    ASSERT_EQ(file.SampleCount(), 2);
    EXPECT_EQ(file.Header().date, DaysSince1880({2026, 12, 9}));
    EXPECT_EQ(file.Interval(), 1500);
    EXPECT_EQ(file.Sample(1).StoredHeartRate(), 120);
    EXPECT_EQ(file.Sample(1).StoredCadence(), 90);
    EXPECT_EQ(file.Sample(1).Speed(), ImportedRaw(mwaGeschwindigkeit, 25.5) / 32 * 32);
    EXPECT_EQ(file.Sample(2).StoredHeartRate(), 130);
    EXPECT_EQ(file.Sample(2).StoredPower(), 0);
    EXPECT_EQ(file.Marker(0).startTime, 0);
    EXPECT_TRUE(file.Modified());
}

TEST(RawImport, TwoDigitYearsAndBadNamesOrContent) {
    TKLTFile old("/tmp/3-1-98.raw");
    ImportRawTraining(old, "h\nh\nh\nh\n100\n200\n80\n250\n");
    EXPECT_EQ(old.Header().date, DaysSince1880({1998, 3, 1}));

    for (const char* name : {"/tmp/ride.raw", "/tmp/13-40-2026.raw"}) {
        TKLTFile file(name);
        EXPECT_THROW(ImportRawTraining(file, kRawContent), EConvertError) << name;
    }
    const struct {
        const char* content;
        const char* message;
    } bad[] = {
        {"h\nh\nh\n", "line 4: the file ends"},
        {"h\nh\nh\nh\n100\n200\n", "line 7: the file ends"},
        {"h\nh\nh\nh\n100\n2x0\n80\n250\n", "line 6: '2x0' is not a speed"},
        {"h\nh\nh\nh\n100\n200\n80\n", "line 8: the file ends"},
        {"h\nh\nh\nh\n251\n1\n2\n", "line 8: the file ends before the end of a skipped record"},
        {"h\nh\nh\nh\n1e400\n", "line 5:"},
    };
    for (const auto& [content, message] : bad) {
        TKLTFile file("/tmp/1-2-2020.raw");
        try {
            ImportRawTraining(file, content);
            ADD_FAILURE() << content;
        } catch (const Exception& error) {
            EXPECT_NE(std::string(error.what()).find(message), std::string::npos) << error.what();
        }
    }
}

TEST(RawImport, RefusesMoreSamplesThanAFileHolds) {
    std::string content = "h\nh\nh\nh\n";
    for (int i = 0; i <= TKLTFile::kMaxSamples; ++i) {
        content += "100\n200\n80\n";
    }
    TKLTFile file("/tmp/1-2-2020.raw");
    EXPECT_THROW(ImportRawTraining(file, content + "250\n"), EKLTFileInOutError);
}

class ForeignImportInDatabase : public ::testing::Test {
protected:
    void SetUp() override { InstallForeignImports(); }
    void TearDown() override { TKLTFile::ForeignImport() = nullptr; }

    int FilesInDatabase() const {
        int count = 0;
        for (const auto& entry : fs::recursive_directory_iterator(db_.Path())) {
            count += entry.is_regular_file() && entry.path().extension() == ".klt";
        }
        return count;
    }

    test::TTempDatabase db_;
};

TEST_F(ForeignImportInDatabase, ImportedRawFileIsSavedInItsPlace) {
    const std::string path = db_.Path() + "/12-09-2026.raw";
    test::WriteFileBytes(path, kRawContent);
    TKLTFile file(path);
    file.EnsureLoaded(3);
    EXPECT_EQ(file.LoadState(), TLoadState::Imported);
    EXPECT_FALSE(file.Modified());
    EXPECT_EQ(fs::path(file.FileName()).extension(), ".klt");
    TKLTFile saved(file.FileName());
    saved.ReadFile();
    EXPECT_EQ(saved.SampleCount(), 2);
    EXPECT_EQ(saved.Header().date, DaysSince1880({2026, 12, 9}));
}

TEST_F(ForeignImportInDatabase, HrmFileGoesToTheAthleteOfTheImportOptions) {
    const std::string path = db_.Path() + "/ride.hrm";
    test::WriteFileBytes(path, "[Params]\r\nVersion=106\r\nSMode=00100000\r\nDate=20140117\r\nInterval=5\r\n"
                               "[HRData]\r\n120\t180\r\n121\t190\r\n");
    TKLTFile file(path);
    file.ImportOptions() = {.altitudeAsPower = true, .initials = " pm/"};
    file.EnsureLoaded(3);
    EXPECT_EQ(file.Marker(0).name, "pm");
    EXPECT_EQ(file.Marker(0).last, 2);
    EXPECT_EQ(file.Comment(), "PW=Alt!!");
    EXPECT_EQ(file.FileName(), CanonicalDirectory(db_.Path(), "pm", file.Header().date) + "p170114A.klt");
    EXPECT_EQ(FilesInDatabase(), 1);
    TKLTFile saved(file.FileName());
    saved.ReadFile();
    EXPECT_EQ(saved.Sample(2).StoredPower(), 190);
}

TEST_F(ForeignImportInDatabase, FailingImportClearsTheFileAndWritesNothing) {
    const std::string path = db_.Path() + "/12-09-2026.raw";
    test::WriteFileBytes(path, "h\nh\nh\nh\n120\nnot a speed\n");
    TKLTFile file(path);
    try {
        file.EnsureLoaded(3);
        ADD_FAILURE();
    } catch (const EConvertError& error) {
        EXPECT_NE(std::string(error.what()).find("'" + path + "': line 6"), std::string::npos) << error.what();
    }
    EXPECT_EQ(file.LoadState(), TLoadState::Empty);
    EXPECT_EQ(file.SampleCount(), 0);
    EXPECT_EQ(FilesInDatabase(), 0);
    EXPECT_TRUE(fs::exists(path)); // the foreign file stays as it was
}

TEST_F(ForeignImportInDatabase, UnknownExtensionImportsNothing) {
    const std::string path = db_.Path() + "/12-09-2026.csv";
    test::WriteFileBytes(path, kRawContent);
    TKLTFile file(path);
    EXPECT_FALSE(ImportForeignFile(file));
    EXPECT_THROW(file.EnsureLoaded(3), EInOutError);
    EXPECT_EQ(file.LoadState(), TLoadState::Empty);
    EXPECT_EQ(FilesInDatabase(), 0);
}

TEST(ForeignFormat, ChosenByExtension) {
    EXPECT_EQ(ForeignFormatOf("/a/b.RAW"), TForeignFormat::Raw);
    EXPECT_EQ(ForeignFormatOf("/a/b.txt"), TForeignFormat::Text);
    EXPECT_EQ(ForeignFormatOf("/a/b.$0A"), TForeignFormat::Text);
    EXPECT_EQ(ForeignFormatOf("/a/b.Hrm"), TForeignFormat::Hrm);
    EXPECT_EQ(ForeignFormatOf("/a.raw/b"), TForeignFormat::None);
    EXPECT_EQ(ForeignFormatOf("/a/b.klt"), TForeignFormat::None);
}

} // namespace
} // namespace klt
