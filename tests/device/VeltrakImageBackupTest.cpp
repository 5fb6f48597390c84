#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/Exceptions.h"
#include "core/KLTDatabase.h"
#include "core/TrainingEnvironment.h"
#include "device/VeltrakImage.h"
#include "tests/support/BackupBytes.h"
#include "tests/support/RawTraining.h"
#include "tests/support/ScriptedPrompt.h"

namespace klt {
namespace {

constexpr uint16_t kDay = test::kBackupDay;
constexpr TVeltrakTrainingLimits kNoLimits{0, 0, 0};
using test::TBackupBytes;
using test::TwoRides;

void ExpectTwoRides(const TVeltrakImage& image) {
    ASSERT_EQ(image.Headers().size(), 2U);
    EXPECT_EQ(image.Initialen(), "Jo");
    EXPECT_EQ(image.RecordCount(), 9);
    EXPECT_EQ(image.Headers()[0].startDay, kDay);
    EXPECT_EQ(image.Headers()[0].startTime, 28800 * 100);
    EXPECT_EQ(image.Headers()[0].recordCount, 4);
    EXPECT_EQ(image.Headers()[1].startTime, 50400 * 100);
    EXPECT_EQ(image.Headers()[1].recordCount, 3);
}

class VeltrakImageBackup : public ::testing::Test {
protected:
    void SetUp() override { TrainingEnvironment().databaseDir = dir_.Path(); }
    void TearDown() override { TrainingEnvironment().databaseDir.clear(); }

    test::TTempDir dir_;
};

TEST_F(VeltrakImageBackup, BothFormatCharactersAndTheOlderFormLoadAndParse) {
    struct TCase {
        std::vector<uint8_t> formatAndLength;
        size_t statusSize;
    };
    const TCase cases[] = {{{'4', 0x19, 0x02}, 535},
                           {{'3', 0x19, 0x02}, 535},
                           {{'3', 0x42, 0x00}, 64},
                           {{0x00, 0x01}, 254}}; // older: length 256 right after the magic
    for (const TCase& c : cases) {
        TVeltrakImage image;
        const std::string path = TwoRides(c.formatAndLength, c.statusSize).WriteTo(dir_.File("in.kli"));
        ASSERT_TRUE(image.LoadBackup(path, kNoLimits)) << c.statusSize;
        ExpectTwoRides(image);
        EXPECT_FALSE(image.Dirty());
    }
}

TEST_F(VeltrakImageBackup, DamagedOrForeignFilesAreRefusedAndLeaveAnEmptyImage) {
    const auto good = [] { return TwoRides({'4', 0x19, 0x02}); };
    std::vector<std::vector<uint8_t>> files;
    files.push_back({});
    files.push_back({'K', 'L', 'T'});
    files.push_back(TBackupBytes({'4', 0x19}).Bytes()); // cut inside the status block
    auto wrongMagic = good();
    wrongMagic.Bytes()[0] = 'X';
    files.push_back(wrongMagic.Bytes());
    auto unknownFormat = good();
    unknownFormat.Bytes()[8] = '5';
    files.push_back(unknownFormat.Bytes());
    files.push_back(TwoRides({'4', 0x1A, 0x02}, 536).Bytes()); // status block too long
    files.push_back(TwoRides({'4', 0x01, 0x00}, 0).Bytes());   // length below its own size
    auto trailing = good();
    trailing.Bytes().push_back(0);
    files.push_back(trailing.Bytes());
    auto truncated = good();
    truncated.Bytes().pop_back();
    files.push_back(truncated.Bytes());
    auto hugeCount = good();
    hugeCount.Bytes()[11 + 42] = 0xFF; // fill counts beyond any memory
    hugeCount.Bytes()[11 + 43] = 0xFF;
    files.push_back(hugeCount.Bytes());

    for (size_t i = 0; i < files.size(); ++i) {
        const std::string path = dir_.File("bad.kli");
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(files[i].data()),
                   static_cast<std::streamsize>(files[i].size()));
        TVeltrakImage image;
        ASSERT_TRUE(good().WriteTo(dir_.File("good.kli")) != "");
        ASSERT_TRUE(image.LoadBackup(dir_.File("good.kli"), kNoLimits));
        EXPECT_FALSE(image.LoadBackup(path, kNoLimits)) << "file " << i;
        EXPECT_EQ(image.RecordCount(), 0) << "file " << i;
        EXPECT_TRUE(image.Headers().empty()) << "file " << i;
    }
    TVeltrakImage image;
    EXPECT_THROW(image.LoadBackup(dir_.File("missing.kli")), EInOutError);
}

TEST_F(VeltrakImageBackup, AFailedConversionLeavesABackupThatLoadsToTheSameHeaders) {
    std::filesystem::create_directory(dir_.File("kltimage")); // an existing folder in other case
    std::vector<TVeltrakTrainingHeader> before;
    {
        TVeltrakImage image;
        ASSERT_TRUE(image.LoadBackup(TwoRides({'4', 0x19, 0x02}).WriteTo(dir_.File("in.kli")), kNoLimits));
        before = image.Headers();
        image.SetDirty(true); // as a failed conversion leaves it
    }
    const std::string backup = dir_.File("kltimage/" + CanonicalStem("Jo", kDay) + "A.kli");
    ASSERT_TRUE(std::filesystem::exists(backup));
    EXPECT_FALSE(std::filesystem::exists(dir_.File("KLTIMAGE")));

    // A second failed image of the same day keeps the first backup and gets the next name.
    const auto firstSize = std::filesystem::file_size(backup);
    {
        TVeltrakImage image;
        ASSERT_TRUE(image.LoadBackup(backup, kNoLimits));
        image.SetDirty(true);
    }
    EXPECT_EQ(std::filesystem::file_size(backup), firstSize);
    EXPECT_TRUE(std::filesystem::exists(dir_.File("kltimage/" + CanonicalStem("Jo", kDay) + "B.kli")));

    TVeltrakImage loaded;
    ASSERT_TRUE(loaded.LoadBackup(backup, kNoLimits));
    ExpectTwoRides(loaded);
    ASSERT_EQ(loaded.Headers().size(), before.size());
    for (size_t i = 0; i < before.size(); ++i) {
        EXPECT_EQ(loaded.Headers()[i].initials, before[i].initials);
        EXPECT_EQ(loaded.Headers()[i].startDay, before[i].startDay);
        EXPECT_EQ(loaded.Headers()[i].startTime, before[i].startTime);
        EXPECT_EQ(loaded.Headers()[i].recordCount, before[i].recordCount);
        EXPECT_EQ(loaded.Headers()[i].interval, before[i].interval);
        EXPECT_EQ(loaded.Headers()[i].firmwareVersion, before[i].firmwareVersion);
        EXPECT_EQ(loaded.Headers()[i].flags, before[i].flags);
    }
}

TEST_F(VeltrakImageBackup, ACleanImageWritesNothingAndAnUnwritableBackupIsShownNotThrown) {
    {
        TVeltrakImage image;
        ASSERT_TRUE(image.LoadBackup(TwoRides({'4', 0x19, 0x02}).WriteTo(dir_.File("in.kli")), kNoLimits));
    }
    EXPECT_FALSE(std::filesystem::exists(dir_.File("KLTIMAGE")));

    TrainingEnvironment().databaseDir.clear();
    test::TScriptedPrompt prompt;
    {
        TVeltrakImage image;
        image.SetDirty(true);
    }
    ASSERT_EQ(prompt.shown.size(), 1U);
    EXPECT_NE(prompt.shown[0].text.find("memory image"), std::string::npos);
}

} // namespace
} // namespace klt
