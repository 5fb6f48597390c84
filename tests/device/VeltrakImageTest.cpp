#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "device/VeltrakImage.h"
#include "device/VeltrakRecords.h"

namespace klt {
namespace {

constexpr uint16_t kFirstClockDay = 32872;
constexpr int32_t kSecond = 100;
constexpr int32_t kMinute = 60 * kSecond;

// Record memory written byte by byte, the way the head unit lays it out.
class TMemory {
public:
    TMemory& Clock(uint32_t seconds) {
        return Add({0x80, static_cast<uint8_t>(seconds), static_cast<uint8_t>(seconds >> 8),
                    static_cast<uint8_t>(seconds >> 16), static_cast<uint8_t>(seconds >> 24)});
    }
    TMemory& Measurements(int n) {
        for (int i = 0; i < n; ++i) {
            Add({0x10, 0x25, 0x12, 90, 140});
        }
        return *this;
    }
    TMemory& Pauses(int n) {
        for (int i = 0; i < n; ++i) {
            Add({0, 0, 0, 0, 0});
        }
        return *this;
    }
    TMemory& Add(std::vector<uint8_t> record) {
        bytes.insert(bytes.end(), record.begin(), record.end());
        return *this;
    }
    int Count() const { return static_cast<int>(bytes.size()) / kVeltrakRecordSize; }

    std::vector<uint8_t> bytes;
};

// Seconds of the head-unit clock for a time of day on the first day it can count.
uint32_t At(int hour, int minute, int second = 0) {
    return static_cast<uint32_t>(hour * 3600 + minute * 60 + second);
}

TVeltrakImage Image(const TMemory& memory, uint16_t firmware = 300) {
    TVeltrakImage image;
    image.SetSWVersion(firmware);
    image.SetInitialen("AB");
    image.SetAbspeicherZeitBruch(1, 1);
    image.ClockDay = kFirstClockDay;
    image.HeapCount = static_cast<uint16_t>(memory.Count());
    image.SetMemory(memory.bytes);
    return image;
}

constexpr TVeltrakTrainingLimits kNoLimits{0, 0, 0};

TEST(VeltrakRecords, MeasurementRecordsDecodeIntoRawUnits) {
    const uint8_t record[] = {0x05, 0x3A, 0x12, 90, 140};
    EXPECT_EQ(RecordKind(record), TVeltrakRecordKind::Measurement);
    const TVeltrakMeasurement m = DecodeMeasurement(record);
    EXPECT_EQ(m.power, (0x0A | 0x120) * 8);
    EXPECT_EQ(m.speed, (3 * 128 + 5) * 60);
    EXPECT_EQ(m.cadence, 90 * 32);
    EXPECT_EQ(m.heartRate, 140 * 64);

    for (uint8_t heart : {uint8_t{19}, uint8_t{221}}) {
        const uint8_t outOfRange[] = {1, 0, 0, 0, heart};
        EXPECT_EQ(DecodeMeasurement(outOfRange).heartRate, 0) << int{heart};
    }
    const uint8_t lowest[] = {1, 0, 0, 0, 20};
    const uint8_t highest[] = {1, 0, 0, 0, 220};
    EXPECT_EQ(DecodeMeasurement(lowest).heartRate, 20 * 64);
    EXPECT_EQ(DecodeMeasurement(highest).heartRate, 220 * 64);

    const uint8_t pause[] = {0, 0, 0, 0, 250};
    const uint8_t heartOnly[] = {0, 0, 0, 0, 60};
    EXPECT_TRUE(IsPauseRecord(pause));
    EXPECT_FALSE(IsPauseRecord(heartOnly));
}

TEST(VeltrakRecords, RecordKindsAndIntervals) {
    const std::vector<std::pair<uint8_t, TVeltrakRecordKind>> kinds = {
        {0x7F, TVeltrakRecordKind::Measurement},
        {0x80, TVeltrakRecordKind::DateTime},
        {0x81, TVeltrakRecordKind::ZeroOffsetDenominator},
        {0x82, TVeltrakRecordKind::SlopeWheel},
        {0x83, TVeltrakRecordKind::Numerator},
        {0x84, TVeltrakRecordKind::Invalid},
        {0xBF, TVeltrakRecordKind::Invalid},
        {0xC0, TVeltrakRecordKind::TimeFraction},
        {0xE7, TVeltrakRecordKind::TimeFraction},
        {0xE8, TVeltrakRecordKind::Invalid},
        {0xFE, TVeltrakRecordKind::EmptyMemory},
        {0xFF, TVeltrakRecordKind::EmptyMemory}};
    for (const auto& [first, kind] : kinds) {
        const uint8_t record[] = {first, 0, 0, 0, 0};
        EXPECT_EQ(RecordKind(record), kind) << int{first};
    }
    EXPECT_EQ(IntervalHundredths(1, 2), 50);
    EXPECT_EQ(IntervalHundredths(1, 20), 5);
    EXPECT_EQ(IntervalHundredths(3, 3), 300); // 3 is no denominator the head unit stores
    EXPECT_EQ(IntervalHundredths(5, 0), 500);
}

TEST(VeltrakImage, PausesSplitTheMemoryIntoSegmentsWithTheirStartTimes) {
    TMemory memory;
    memory.Clock(At(10, 0)).Pauses(2).Measurements(3).Pauses(5).Measurements(4).Clock(At(11, 0)).Clock(
        At(12, 0));
    memory.Add({0x90, 1, 2, 3, 4}).Measurements(1); // invalid bytes are passed over
    TVeltrakImage image = Image(memory);
    image.Parse(kNoLimits);

    const auto& headers = image.Headers();
    ASSERT_EQ(headers.size(), 3u); // the clock records with nothing between give no segment
    EXPECT_EQ(headers[0].recordCount, 3);
    EXPECT_EQ(headers[0].startDay, kFirstClockDay);
    EXPECT_EQ(headers[0].startTime, 10 * 60 * kMinute + 2 * kSecond);
    EXPECT_EQ(headers[0].firstRecord, 3);
    EXPECT_EQ(headers[1].recordCount, 4);
    EXPECT_EQ(headers[1].startTime, 10 * 60 * kMinute + 10 * kSecond);
    EXPECT_EQ(headers[1].firstRecord, 11);
    EXPECT_EQ(headers[2].recordCount, 1);
    EXPECT_EQ(headers[2].startTime, 12 * 60 * kMinute);
    EXPECT_EQ(headers[0].initials, "AB");
    EXPECT_EQ(headers[0].interval, kSecond);
    EXPECT_TRUE(headers[2].Has(TVeltrakTrainingHeader::Last));
    EXPECT_FALSE(headers[1].Has(TVeltrakTrainingHeader::Last));

    // Without limits every segment of the day is one training.
    EXPECT_TRUE(headers[0].Has(TVeltrakTrainingHeader::JoinedWithNext));
    EXPECT_TRUE(headers[1].Has(TVeltrakTrainingHeader::JoinedWithNext));
    EXPECT_EQ(image.Counters().trainingFiles, 1);
    EXPECT_EQ(image.Counters().recordsInTrainings, 8);
}

TEST(VeltrakImage, SegmentsFurtherApartThanTheLongestPauseBecomeSeparateTrainings) {
    TMemory memory;
    memory.Clock(At(9, 0)).Measurements(120).Clock(At(9, 12)).Measurements(120);
    TVeltrakImage image = Image(memory);
    const int32_t gap = 10 * kMinute; // 09:02 to 09:12

    image.Parse({0, gap - 1, 0});
    EXPECT_EQ(image.Counters().trainingFiles, 2);
    EXPECT_FALSE(image.Headers()[0].Has(TVeltrakTrainingHeader::JoinedWithNext));

    image.Parse({0, gap + 1, 0});
    EXPECT_EQ(image.Counters().trainingFiles, 1);
    EXPECT_TRUE(image.Headers()[0].Has(TVeltrakTrainingHeader::JoinedWithNext));

    // A clock set back between two segments still joins them.
    TMemory setBack;
    setBack.Clock(At(9, 0)).Measurements(120).Clock(At(8, 0)).Measurements(120);
    TVeltrakImage back = Image(setBack);
    back.Parse({0, kMinute, 0});
    EXPECT_EQ(back.Counters().trainingFiles, 1);
}

TEST(VeltrakImage, ShortChainsOfSegmentsAreDroppedAndCounted) {
    TMemory memory;
    // Two 10 s segments 30 s apart form one chain of 50 s; then a 100 s training an hour later.
    memory.Clock(At(8, 0)).Measurements(10).Pauses(30).Measurements(10).Clock(At(9, 0)).Measurements(100);
    TVeltrakImage image = Image(memory);

    image.Parse({kMinute, 0, kMinute});
    ASSERT_EQ(image.Headers().size(), 1u);
    EXPECT_EQ(image.Headers()[0].recordCount, 100);
    EXPECT_EQ(image.Headers()[0].startTime, 9 * 60 * kMinute);
    EXPECT_TRUE(image.Headers()[0].Has(TVeltrakTrainingHeader::Last));
    const TVeltrakImageCounters& counters = image.Counters();
    EXPECT_EQ(counters.headersBefore, 3);
    EXPECT_EQ(counters.headersAfter, 1);
    EXPECT_EQ(counters.recordsInTrainings, 100);
    EXPECT_EQ(counters.trainingFiles, 1);
    EXPECT_EQ(counters.timeBefore, 120 * kSecond);
    EXPECT_EQ(counters.timeAfter, 100 * kSecond);

    // The chain is measured as a whole: 50 s passes a 40 s minimum though each segment is shorter.
    image.Parse({kMinute, 0, 40 * kSecond});
    EXPECT_EQ(image.Counters().headersAfter, 3);
    EXPECT_TRUE(image.Headers()[0].Has(TVeltrakTrainingHeader::Continues));

    // With a pause limit below the gap the segments stand alone, and each is too short.
    image.Parse({20 * kSecond, 0, 40 * kSecond});
    EXPECT_EQ(image.Counters().headersAfter, 1);
}

TEST(VeltrakImage, AClockSetBackInsideAChainDoesNotDropALongTraining) {
    TMemory memory;
    // An hour's ride, then the clock is set back by two hours and a short segment follows.
    memory.Clock(At(10, 0)).Measurements(3600).Clock(At(9, 0)).Measurements(10);
    TVeltrakImage image = Image(memory);
    image.Parse({kMinute, 0, kMinute});
    EXPECT_EQ(image.Counters().headersAfter, 2);
    EXPECT_EQ(image.Counters().recordsInTrainings, 3610);
    EXPECT_EQ(image.Counters().trainingFiles, 1);
}

TEST(VeltrakImage, SettingRecordsApplyFromTheFirmwareThatStoresThem) {
    TMemory memory;
    memory.Add({0x81, 2, 0, 0x34, 0x12}).Add({0x83, 1, 0, 0, 0}).Add({0x82, 0x78, 0x05, 0x10, 0x08});
    memory.Measurements(1);

    TVeltrakImage newer = Image(memory, 240);
    newer.Parse(kNoLimits);
    ASSERT_EQ(newer.Headers().size(), 1u);
    EXPECT_EQ(newer.Headers()[0].interval, 50);
    EXPECT_EQ(newer.Headers()[0].zeroOffset, 0x1234);
    EXPECT_EQ(newer.Headers()[0].slope, 0x0578);
    EXPECT_EQ(newer.Headers()[0].wheel, 0x0810);

    TVeltrakImage older = Image(memory, 203);
    older.SteigungUsed = 77;
    older.Parse(kNoLimits);
    EXPECT_EQ(older.Headers()[0].interval, 100);
    EXPECT_EQ(older.Headers()[0].slope, 77);
    EXPECT_EQ(older.Headers()[0].wheel, 0x0810);
}

TEST(VeltrakImage, TimeFractionOrEmptyMemoryStopsTheParse) {
    for (uint8_t first : {uint8_t{0xC5}, uint8_t{0xFF}}) {
        TMemory memory;
        memory.Measurements(3).Add({first, 0, 0, 0, 0}).Measurements(3);
        TVeltrakImage image = Image(memory);
        try {
            image.Parse(kNoLimits);
            ADD_FAILURE() << "no error for " << int{first};
        } catch (const ECheckMesswertType& error) {
            EXPECT_STREQ(error.what(), "MesswertType");
        }
    }
}

TEST(VeltrakImage, MemoryShorterThanTheReportedFillIsRejected) {
    TVeltrakImage image;
    image.HeapCount = 3;
    image.HeapCountUpper = 1;
    const std::vector<uint8_t> memory(15);
    EXPECT_THROW(image.SetMemory(memory), ERangeError);
    const std::vector<uint8_t> enough(21, 0x10);
    image.SetMemory(enough);
    EXPECT_EQ(image.RecordCount(), 4);
}

} // namespace
} // namespace klt
