#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "core/KLTDatabase.h"
#include "core/KLTFile.h"
#include "core/TrainingEnvironment.h"
#include "device/VeltrakImage.h"
#include "tests/support/RawTraining.h"

namespace klt {
namespace {

constexpr uint16_t kFirstClockDay = 32872;
const std::vector<uint8_t> kClock8h = {0x80, 0x80, 0x70, 0x00, 0x00};   // 28800 s
const std::vector<uint8_t> kClock8h30 = {0x80, 0x88, 0x77, 0x00, 0x00}; // 30600 s
const std::vector<uint8_t> kClock14h = {0x80, 0xE0, 0xC4, 0x00, 0x00};  // 50400 s
const std::vector<uint8_t> kRiding = {0x10, 0x25, 0x12, 90, 140};
const std::vector<uint8_t> kPause = {0, 0, 0, 0, 0};

class VeltrakImageFiles : public ::testing::Test {
protected:
    void SetUp() override { TrainingEnvironment().databaseDir = dir_.Path(); }
    void TearDown() override { TrainingEnvironment().databaseDir.clear(); }

    void Add(const std::vector<uint8_t>& record, int times = 1) {
        for (int i = 0; i < times; ++i) {
            memory_.insert(memory_.end(), record.begin(), record.end());
        }
    }
    TVeltrakImage Parsed() {
        TVeltrakImage image;
        image.SetSWVersion(300);
        image.SetInitialen("Jo");
        image.SetAbspeicherZeitBruch(1, 1);
        image.Radumfang = 2100;
        image.ClockDay = kFirstClockDay;
        image.HeapCount = static_cast<uint16_t>(memory_.size() / 5);
        image.SetMemory(memory_);
        image.Parse({6000, 60 * 6000, 6000});
        return image;
    }

    test::TTempDir dir_;
    std::vector<uint8_t> memory_;
};

TEST_F(VeltrakImageFiles, JoinedSegmentsBecomeBlocksOfOneFileInTheDatabase) {
    // 08:00 two minutes, 08:30 three minutes (joined), 14:00 two minutes (a training of its own).
    Add(kClock8h);
    Add(kRiding, 120);
    Add(kClock8h30);
    Add(kRiding, 60);
    Add(kPause, 2);
    Add(kRiding, 120);
    Add(kClock14h);
    Add(kRiding, 120);
    TVeltrakImage image = Parsed();
    ASSERT_EQ(image.Counters().trainingFiles, 2);

    const std::vector<std::string> paths = image.CreateTrainingFiles();
    ASSERT_EQ(paths.size(), 2u);
    const std::string dir = CanonicalDirectory(dir_.Path(), "Jo", kFirstClockDay);
    const std::string stem = CanonicalStem("Jo", kFirstClockDay);
    EXPECT_EQ(paths[0], dir + stem + "A.klt");
    EXPECT_EQ(paths[1], dir + stem + "B.klt");

    TKLTFile first(paths[0]);
    first.ReadFile();
    EXPECT_EQ(first.Header().date, kFirstClockDay);
    EXPECT_EQ(first.Header().circumference, 2100);
    EXPECT_EQ(first.Marker(0).name, "Jo");
    EXPECT_EQ(first.SampleCount(), 300);
    EXPECT_EQ(first.Blocks(), (std::vector<TKLTBlock>{{2880000, 120}, {3060000, 60}, {3066200, 120}}));
    EXPECT_EQ(first.Sample(1).Power(), 0x125 * 8);
    EXPECT_EQ(first.Sample(300).Cadence(), 90 * 32);
    EXPECT_EQ(first.Sample(150).HeartRate(), 140 * 64);
    TSampleElement expected{};
    expected.SetShort(0x125 * 8, 90 * 32, 140 * 64, 272 * 60);
    EXPECT_EQ(first.Sample(200).Speed(), expected.Speed());

    TKLTFile second(paths[1]);
    second.ReadFile();
    EXPECT_EQ(second.Blocks(), (std::vector<TKLTBlock>{{5040000, 120}}));
    EXPECT_FALSE(image.Dirty());
}

TEST_F(VeltrakImageFiles, WithoutADatabaseNothingIsWrittenAndTheImageTurnsDirty) {
    Add(kClock8h);
    Add(kRiding, 120);
    TVeltrakImage image = Parsed();
    TrainingEnvironment().databaseDir.clear();
    int handled = 0;
    EXPECT_THROW(image.CreateTrainingFiles([&](const std::exception&) { ++handled; }), EKLTFileDatabaseError);
    EXPECT_EQ(handled, 0); // one error for the whole download, not one per training
    EXPECT_TRUE(image.Dirty());
}

} // namespace
} // namespace klt
