#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/Exceptions.h"
#include "core/KLTDatabase.h"
#include "device/VeltrakImage.h"
#include "tests/support/BackupBytes.h"
#include "tests/support/RawTraining.h"

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

TEST_F(VeltrakImageBackup, ABackupLoadsToTheSameHeadersAndNeverReplacesAnother) {
    std::filesystem::create_directory(dir_.File("kltimage")); // an existing folder in other case
    TVeltrakImage image;
    ASSERT_TRUE(image.LoadBackup(TwoRides({'4', 0x19, 0x02}).WriteTo(dir_.File("in.kli")), kNoLimits));
    const std::string backup = image.BackupFileName(dir_.Path());
    EXPECT_EQ(backup, dir_.File("kltimage/" + CanonicalStem("Jo", kDay) + "A.kli"));
    image.SaveBackup(backup);
    EXPECT_FALSE(std::filesystem::exists(dir_.File("KLTIMAGE")));
    // A second image of the same day gets the next name.
    EXPECT_EQ(image.BackupFileName(dir_.Path()), dir_.File("kltimage/" + CanonicalStem("Jo", kDay) + "B.kli"));

    TVeltrakImage loaded;
    ASSERT_TRUE(loaded.LoadBackup(backup, kNoLimits));
    ExpectTwoRides(loaded);
    ASSERT_EQ(loaded.Headers().size(), image.Headers().size());
    for (size_t i = 0; i < image.Headers().size(); ++i) {
        EXPECT_EQ(loaded.Headers()[i].initials, image.Headers()[i].initials);
        EXPECT_EQ(loaded.Headers()[i].startDay, image.Headers()[i].startDay);
        EXPECT_EQ(loaded.Headers()[i].startTime, image.Headers()[i].startTime);
        EXPECT_EQ(loaded.Headers()[i].recordCount, image.Headers()[i].recordCount);
        EXPECT_EQ(loaded.Headers()[i].interval, image.Headers()[i].interval);
        EXPECT_EQ(loaded.Headers()[i].firmwareVersion, image.Headers()[i].firmwareVersion);
        EXPECT_EQ(loaded.Headers()[i].flags, image.Headers()[i].flags);
    }
}

TEST_F(VeltrakImageBackup, AGenerationVMemoryKeepsItsBlocksAndWhichStayedGarbled) {
    TVeltrakImage image;
    image.SetHWVersion(TVeltrakHWVersion::HWVersionVT5x128);
    image.SetInitialen("Jo");
    image.ClockDay = kDay;
    std::vector<uint8_t> blocks(3 * 64);
    for (size_t i = 0; i < blocks.size(); ++i) {
        blocks[i] = static_cast<uint8_t>(i * 7);
    }
    image.SetBlockMemory(blocks, {1});
    const std::string path = dir_.File("v.kli");
    image.SaveBackup(path);
    EXPECT_EQ(std::filesystem::file_size(path), 8u + 3u + 535u + 3u * 65u);

    TVeltrakImage loaded;
    ASSERT_TRUE(loaded.LoadBackup(path));
    EXPECT_EQ(loaded.BlockMemory(), blocks);
    EXPECT_EQ(loaded.GarbledBlocks(), std::vector<size_t>{1});
    EXPECT_EQ(loaded.Initialen(), "Jo");
    EXPECT_EQ(loaded.RecordCount(), 0);

    // Cut short, or with a flag that is neither 0 nor 1: refused.
    std::string bytes = test::ReadFileBytes(path);
    bytes.pop_back();
    test::WriteFileBytes(dir_.File("cut.kli"), bytes);
    EXPECT_FALSE(loaded.LoadBackup(dir_.File("cut.kli")));
    bytes = test::ReadFileBytes(path);
    bytes[8 + 3 + 535] = 2;
    test::WriteFileBytes(dir_.File("flag.kli"), bytes);
    EXPECT_FALSE(loaded.LoadBackup(dir_.File("flag.kli")));
    EXPECT_TRUE(loaded.BlockMemory().empty());
}

} // namespace
} // namespace klt
