#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "core/TrainingDataUnit.h"
#include "device/VeltrakImage.h"
#include "tests/device/FakeDownloadSink.h"

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

    test::TFakeDownloadSink sink_;
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

    const TDownloadResult result = image.CreateTrainingFiles(sink_);
    EXPECT_TRUE(result.Complete());
    ASSERT_EQ(result.files.size(), 2u);

    const TTrainingData& first = sink_.Training(0);
    EXPECT_EQ(first.Header().date, kFirstClockDay);
    EXPECT_EQ(first.Header().circumference, 2100);
    EXPECT_EQ(first.Markers().at(0).name, "Jo");
    EXPECT_EQ(first.SampleCount(), 300);
    EXPECT_EQ(first.Blocks(), (std::vector<TBlock>{{2880000, 120}, {3060000, 60}, {3066200, 120}}));
    EXPECT_EQ(first.Sample(0).Value(dcPower), 0x125);
    EXPECT_EQ(first.Sample(299).Value(dcCadence), 90);
    EXPECT_EQ(first.Sample(149).Value(dcHeartRate), 140);
    EXPECT_EQ(first.Sample(199).Value(dcSpeed), 272 * 60); // exactly, not in steps of 32 mm/s
    EXPECT_EQ(sink_.Training(1).Blocks(), (std::vector<TBlock>{{5040000, 120}}));

    // Downloaded again without clearing: nothing is saved twice.
    const TDownloadResult again = image.CreateTrainingFiles(sink_);
    EXPECT_TRUE(again.files.empty());
    EXPECT_EQ(again.skippedKnown, 2);
}

TEST_F(VeltrakImageFiles, ATrainingThatCannotBeSavedKeepsTheMemoryAndTheOthersFollow) {
    Add(kClock8h);
    Add(kRiding, 120);
    Add(kClock14h);
    Add(kRiding, 120);
    TVeltrakImage image = Parsed();
    sink_.failSave = [](const TTrainingData& training) { return training.Blocks().front().start == 2880000; };
    const TDownloadResult result = image.CreateTrainingFiles(sink_);
    EXPECT_EQ(result.files.size(), 1u);
    EXPECT_EQ(result.errors.size(), 1u);
    EXPECT_FALSE(result.Complete());
}

} // namespace
} // namespace klt
