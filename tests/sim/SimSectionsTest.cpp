// The section memory of generation VI and 7 head units and the trainings a download of it should
// give, which device tests compare against.
#include <gtest/gtest.h>

#include "tools/sim/ExpectedTrainings.h"
#include "tools/sim/SimClock.h"

namespace klt::sim {
namespace {

constexpr int64_t kClock = 1796774400 + 12 * 3600; // 2026-12-09 12:00

TSimOptions Options(int rides = 2) {
    TSimOptions options;
    options.generation = 7;
    options.rides = rides;
    options.rideMinutes = 20;
    return options;
}

TSectionRecord Sample(int power, uint8_t marker = 0) {
    TRideSample sample;
    sample.powerWatts = power;
    sample.speed = 5000;
    return EncodeSectionSample(sample, marker);
}

TSimSection Section(int64_t start, std::vector<TSectionRecord> records) {
    TSimSection section;
    section.start = start;
    section.settings.initials = "KLT";
    section.records = std::move(records);
    return section;
}

TEST(SimSectionsTest, HeaderLayout) {
    TSimSection section = Section(kClock + 3723, std::vector<TSectionRecord>(70000));
    section.intervalMs = 500;
    section.settings.zeroOffset = -5;
    const std::vector<uint8_t> header = SectionHeaderBytes(section);
    const std::vector<uint8_t> expected = {9, 12, 0x07, 0xEA, 13, 2, 3, 0x01, 0xF4, 'K', 'L', 'T', ' ', ' ', ' ', ' ',
                                           ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ',
                                           0x00, 0xFA, 0x08, 0x2F, 0xFF, 0xFB, 0x00, 0x01, 0x11, 0x70};
    EXPECT_EQ(header, expected);
}

TEST(SimSectionsTest, SampleRecordLayoutAndPauses) {
    TRideSample sample{300, 90, 150, 8333, -35, -12, false};
    const TSectionRecord record = EncodeSectionSample(sample, 3);
    EXPECT_EQ(record, (TSectionRecord{0x01, 0x2C, 90, 0x01, 0x2C, 150, 0xFF, 0xF4, 0xFF, 0xDD, 3, 0, 0, 0, 0, 0}));
    EXPECT_FALSE(IsPauseRecord(record));
    EXPECT_TRUE(IsPauseRecord(TSectionRecord{}));
    sample.heartRate = 250; // no chest strap sends that
    EXPECT_EQ(EncodeSectionSample(sample, 0)[5], 0);
    EXPECT_EQ(SectionEndRecord()[kSectionMarkerByte], kSectionEnd);
}

TEST(SimSectionsTest, PausesMarkersAndJoinedSectionsBecomeBlocksAndIntervals) {
    // 10:00:00 two samples, three pause records, two samples in an interval; then a section 30 s
    // after the end of the first, its interval still open at the end.
    const int64_t day = kClock / 86400 * 86400;
    const int64_t first = day + 10 * 3600;
    const std::vector<TSimSection> sections = {
        Section(first, {Sample(100), Sample(110), {}, {}, {}, Sample(120, 1), Sample(130, 1), Sample(140)}),
        Section(first + 8 + 30, {Sample(150, 2), Sample(160, 2)}),
        // Other initials: a training of its own although it follows at once.
        Section(first + 40, {Sample(170)}),
    };
    std::vector<TSimSection> withOther = sections;
    withOther[2].settings.initials = "ABC";
    const std::vector<TExpectedTraining> trainings = ExpectedTrainings(withOther);
    ASSERT_EQ(trainings.size(), 2u);
    const TExpectedTraining& t = trainings[0];
    EXPECT_EQ(t.date, kClock / 86400 + kClockEpochDay);
    EXPECT_EQ(t.startTime, 36000u * 100);
    EXPECT_EQ(t.initials, "KLT");
    ASSERT_EQ(t.samples.size(), 7u);
    EXPECT_EQ(t.samples[2].powerWatts, 120);
    EXPECT_EQ(t.samples[0].speedMmPerS, 180 * 100000 / 3600);
    const int64_t start = 3600000;
    EXPECT_EQ(t.blocks, (std::vector<TExpectedTimeBlock>{
                            {0, 2, start}, {2, 3, start + 500}, {5, 2, start + 3800}}));
    EXPECT_EQ(t.intervals, (std::vector<TExpectedInterval>{{2, 3}, {5, 6}}));
    EXPECT_EQ(trainings[1].initials, "ABC");

    // The third section follows within a second of the end of the second: joined.
    EXPECT_EQ(ExpectedTrainings(sections).size(), 1u);
    // A gap above the pause limit parts them.
    EXPECT_EQ(ExpectedTrainings(sections, 3000).size(), 2u);
}

TEST(SimSectionsTest, SameSeedSameMemoryAndEveryRideOneTraining) {
    const TSimOptions options = Options(5);
    const auto sections = BuildSectionMemory(options, kClock);
    EXPECT_EQ(sections.size(), 6u) << "the newest ride in two sections";
    const auto again = BuildSectionMemory(options, kClock);
    ASSERT_EQ(again.size(), sections.size());
    for (size_t i = 0; i < sections.size(); ++i) {
        EXPECT_EQ(again[i].records, sections[i].records);
    }
    const auto trainings = ExpectedUsbTrainings(options, kClock);
    ASSERT_EQ(trainings.size(), 5u);
    // Mornings and evenings: three days, the oldest with only its evening ride.
    EXPECT_EQ(trainings[0].date + 1, trainings[1].date);
    EXPECT_EQ(trainings[1].date, trainings[2].date);
    EXPECT_LT(trainings[1].startTime, 12u * 360000);
    EXPECT_GT(trainings[2].startTime, 12u * 360000);
    EXPECT_EQ(trainings[4].date, kClock / 86400 - 1 + kClockEpochDay);
    // The split ride: its second section's samples start a time block at that section's start.
    const TExpectedTimeBlock& last = trainings[4].blocks.back();
    EXPECT_EQ(last.start, sections[5].start % 86400 * 100);
    EXPECT_EQ(last.firstSample + last.count, static_cast<int>(trainings[4].samples.size()));
}

TEST(SimSectionsTest, ASectionWithAnImpossibleDateIsNoTrainingAndTheOthersStay) {
    TSimOptions options = Options(2);
    const auto sound = ExpectedUsbTrainings(options, kClock);
    ASSERT_EQ(sound.size(), 2u);
    options.faults.badDateEvery = 2; // the first half of the split evening ride
    const auto sections = BuildSectionMemory(options, kClock);
    ASSERT_EQ(sections.size(), 3u);
    EXPECT_EQ(SectionHeaderBytes(sections[1])[1], 13);
    const auto trainings = ExpectedUsbTrainings(options, kClock);
    ASSERT_EQ(trainings.size(), 2u);
    EXPECT_EQ(trainings[0].samples, sound[0].samples);
    EXPECT_EQ(trainings[1].startTime, static_cast<uint32_t>(sections[2].start % 86400 * 100));
    EXPECT_EQ(trainings[1].samples.size(), sound[1].samples.size() - sound[1].blocks.front().count)
        << "only the second half of the evening ride";
}

TEST(SimSectionsTest, LeadingPausesChangeNoTraining) {
    TSimOptions options = Options(2);
    options.intervalTenths = 5;
    const auto expected = ExpectedUsbTrainings(options, kClock);
    options.leadingPauses = 6; // three seconds
    ASSERT_EQ(BuildSectionMemory(options, kClock).front().records.front(), TSectionRecord{});
    const auto trainings = ExpectedUsbTrainings(options, kClock);
    ASSERT_EQ(trainings.size(), expected.size());
    for (size_t t = 0; t < expected.size(); ++t) {
        EXPECT_EQ(trainings[t].date, expected[t].date) << t;
        EXPECT_EQ(trainings[t].startTime, expected[t].startTime) << t;
        EXPECT_EQ(trainings[t].samples, expected[t].samples) << t;
        EXPECT_EQ(trainings[t].blocks, expected[t].blocks) << t;
        EXPECT_EQ(trainings[t].intervals, expected[t].intervals) << t;
    }
}

TEST(SimSectionsTest, ALongRideGivesTwoTrainingsTheSecondStartingWhereTheFirstEnded) {
    TSimOptions options = Options(0);
    options.longRideSamples = 70000;
    const auto sections = BuildSectionMemory(options, kClock);
    ASSERT_EQ(sections.size(), 1u);
    ASSERT_EQ(sections[0].records.size(), 70000u);
    const auto trainings = ExpectedUsbTrainings(options, kClock);
    ASSERT_EQ(trainings.size(), 2u);
    EXPECT_EQ(trainings[0].samples.size(), kMaxTrainingSamples);
    // Where the 65,535th sample lies, pause records counted.
    size_t seen = 0, at = 0;
    for (; at < sections[0].records.size() && seen < kMaxTrainingSamples; ++at) {
        seen += IsPauseRecord(sections[0].records[at]) ? 0 : 1;
    }
    while (IsPauseRecord(sections[0].records[at])) {
        ++at;
    }
    EXPECT_EQ(trainings[1].startTime, trainings[0].startTime + at * 100);
    EXPECT_EQ(trainings[1].date, trainings[0].date);
    EXPECT_EQ(trainings[0].startTime, 30u * 60 * 100);
}

} // namespace
} // namespace klt::sim
