// A rider who rides again without clearing the head unit: a new section after the newest, recorded
// while the simulator serves, and the trainings a download should then give.
#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <thread>

#include "tests/sim/UsbSectionFixture.h"

namespace klt::sim {
namespace {

using namespace klt::sim::test;

using UsbRideAgainTest = UsbSectionTest;

TEST_F(UsbRideAgainTest, TheRideFollowsTheNewestSectionWithItsSettingsAndJoinsItsTraining) {
    const auto before = sim_.ExpectedTrainings();
    ASSERT_EQ(Count(), 3);
    Ask(2);
    Ask(2);
    const THeader newest = ParseHeader(ReplyData(Ask(2)));
    const auto alone = sim_.RideAgain(10, 600);
    ASSERT_EQ(alone.size(), 1u);

    ASSERT_EQ(Count(), 4) << "the memory holds it at once";
    for (int s = 0; s < 3; ++s) {
        Ask(2);
    }
    const THeader added = ParseHeader(ReplyData(Ask(2)));
    EXPECT_EQ(added.secondOfDay, newest.secondOfDay + static_cast<int>(newest.records) + 600);
    EXPECT_EQ(added.initials, newest.initials);
    EXPECT_EQ(added.intervalMs, newest.intervalMs);
    EXPECT_EQ(alone[0].startTime, static_cast<uint32_t>(added.secondOfDay) * 100);
    const std::vector<TBytes> samples = SampleRecords(ReadBlocks());
    ASSERT_EQ(samples.size(), alone[0].samples.size());
    EXPECT_EQ(samples.size(), 600u);
    for (size_t i = 0; i < samples.size(); ++i) {
        ASSERT_EQ(alone[0].samples[i].powerWatts, Word(samples[i], 0)) << i;
    }

    // Ten minutes after the evening ride: the same training, longer by the new ride.
    const auto after = sim_.ExpectedTrainings();
    ASSERT_EQ(after.size(), before.size());
    const auto& joined = after.back().samples;
    ASSERT_EQ(joined.size(), before.back().samples.size() + samples.size());
    EXPECT_TRUE(std::equal(alone[0].samples.begin(), alone[0].samples.end(), joined.end() - 600));
    EXPECT_EQ(after.back().blocks.back().start, alone[0].startTime);
}

TEST_F(UsbRideAgainTest, ARideBeyondThePauseLimitIsATrainingOfItsOwnAndEveryRideDiffers) {
    const auto before = sim_.ExpectedTrainings();
    const auto first = sim_.RideAgain(5, 7 * 3600);
    const auto second = sim_.RideAgain(5, 7 * 3600);
    ASSERT_EQ(first.size(), 1u);
    ASSERT_EQ(second.size(), 1u);
    EXPECT_NE(first[0].samples, second[0].samples);
    const auto after = sim_.ExpectedTrainings();
    ASSERT_EQ(after.size(), before.size() + 2);
    EXPECT_EQ(after[after.size() - 2].samples, first[0].samples);
    EXPECT_EQ(after.back().samples, second[0].samples);
    EXPECT_EQ(after.back().date, second[0].date);
    EXPECT_EQ(after.back().startTime, second[0].startTime);
}

TEST_F(UsbRideAgainTest, AfterAClearTheRideFollowsTheClockWithTheSettingsAsTheyStand) {
    const size_t made = sim_.ExpectedTrainings().size();
    ASSERT_EQ(usb_->Ask(Request(4, 7)), Reply({4, 7}));
    ASSERT_EQ(usb_->Ask(Request(2, 6, {0x01, 0xF4})), Reply({2, 6})); // from now on every 0.5 s
    sim_.RideAgain(2, 60);
    ASSERT_EQ(Count(), 1);
    const THeader header = ParseHeader(ReplyData(Ask(2)));
    EXPECT_EQ(header.intervalMs, 500);
    EXPECT_EQ(header.initials, "KLT" + std::string(17, ' '));
    EXPECT_GE(header.secondOfDay, 12 * 3600 + 60);
    EXPECT_LT(header.secondOfDay, 12 * 3600 + 90);
    EXPECT_EQ(header.records, 240u);
    EXPECT_EQ(sim_.ExpectedTrainings().size(), made + 1) << "what was cleared had been recorded";
}

TEST_F(UsbRideAgainTest, RidesAreRecordedWhileTheComputerReads) {
    std::vector<int> counts;
    std::thread computer([&] {
        for (int i = 0; i < 40; ++i) {
            counts.push_back(Count());
        }
    });
    for (int ride = 0; ride < 3; ++ride) {
        sim_.RideAgain(1, 3600);
    }
    computer.join();
    EXPECT_TRUE(std::is_sorted(counts.begin(), counts.end()));
    EXPECT_GE(counts.front(), 3);
    EXPECT_EQ(Count(), 6);
}

TEST(UsbRideAgainRefusalTest, OnlyAStartedUsbHeadUnitRidesAgainAndOnlyForUpToTwoHours) {
    THeadUnitSimulator notStarted(Options());
    EXPECT_THROW(notStarted.RideAgain(10, 60), std::logic_error);
    TSimOptions serial = Options();
    serial.generation = 5;
    THeadUnitSimulator characters(serial);
    characters.Start();
    EXPECT_THROW(characters.RideAgain(10, 60), std::logic_error);
    THeadUnitSimulator usb(Options());
    usb.Start();
    EXPECT_THROW(usb.RideAgain(0, 60), std::invalid_argument);
    EXPECT_THROW(usb.RideAgain(121, 60), std::invalid_argument);
    EXPECT_EQ(usb.RideAgain(120, 60).front().samples.size(), 7200u);
}

} // namespace
} // namespace klt::sim
