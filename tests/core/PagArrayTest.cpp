#include <gtest/gtest.h>

#include "core/Exceptions.h"
#include "core/PagArray.h"
#include "core/SampleElement.h"

namespace klt {
namespace {

TEST(PagedDataArray, PagesHoldWholeElementsAndGrowByPage) {
    TPagedDataArray a(TSampleElement::kSize);
    EXPECT_EQ(a.ElementsPerPage(), 4681);
    a.SetCount(4681);
    EXPECT_EQ(a.PageCount(), 1);
    a.SetCount(4682); // element 4681 is the first of the second page
    EXPECT_EQ(a.PageCount(), 2);
    EXPECT_NE(a.Items(4681), a.Items(4680) + TSampleElement::kSize);
    a.SetCount(0);
    EXPECT_EQ(a.PageCount(), 0);
}

TEST(PagedDataArray, EveryIndexMapsIntoItsPage) {
    for (int size : {1, 5, 14, 3000}) {
        TPagedDataArray a(size);
        const int count = std::min(65535, 32 * a.ElementsPerPage());
        a.SetCount(count);
        for (int i = 1; i < count; ++i) {
            const bool samePage = i % a.ElementsPerPage() != 0;
            ASSERT_EQ(a.Items(i) == a.Items(i - 1) + size, samePage) << size << " " << i;
        }
    }
}

TEST(PagedDataArray, IndexAndCountLimitsLeaveTheArrayUnchanged) {
    TPagedDataArray a(TSampleElement::kSize);
    a.SetCount(3);
    EXPECT_NO_THROW(a.Items(2));
    EXPECT_THROW(a.Items(3), ERangeError);
    EXPECT_THROW(a.Items(-1), ERangeError);
    try {
        a.SetCount(65536);
        FAIL();
    } catch (const ERangeError& e) {
        EXPECT_STREQ(e.what(), "Count of TPagedDataArray out of range");
    }
    EXPECT_THROW(a.InsertRange(0, 65533), ERangeError);
    EXPECT_EQ(a.Count(), 3);
    EXPECT_EQ(a.PageCount(), 1);
    try {
        a.Items(7);
        FAIL();
    } catch (const ERangeError& e) {
        EXPECT_STREQ(e.what(), "Index out of TPagedDataArray");
    }
}

TEST(PagedDataArray, LargeElementsHitThePageLimitBeforeTheCountLimit) {
    TPagedDataArray a(4096); // 16 elements a page, 32 pages at most
    EXPECT_NO_THROW(a.SetCount(512));
    EXPECT_THROW(a.SetCount(513), ERangeError);
    EXPECT_EQ(a.Count(), 512);
}

TEST(PagedDataArray, InsertRangeMovesElementsAcrossPages) {
    TPagedDataArray a(TSampleElement::kSize);
    a.SetCount(5000);
    for (int i = 0; i < 5000; ++i) {
        a.Items(i)[0] = static_cast<uint8_t>(i % 251);
        a.Items(i)[1] = static_cast<uint8_t>(i / 251);
    }
    a.InsertRange(1, 10);
    ASSERT_EQ(a.Count(), 5010);
    EXPECT_EQ(a.Items(0)[0], 0);
    for (int i = 1; i < 5000; ++i) {
        ASSERT_EQ(a.Items(i + 10)[0], i % 251) << i;
        ASSERT_EQ(a.Items(i + 10)[1], i / 251) << i;
    }
    a.InsertRange(2, 0);
    EXPECT_EQ(a.Count(), 5010);
    EXPECT_THROW(a.InsertRange(5011, 1), ERangeError);
}

TEST(PagedDataArray, InsertingAfterThePlaceholderKeepsIt) {
    TPagedDataArray a(TSampleElement::kSize);
    a.SetCount(1);
    a.Items(0)[0] = 0xAB;
    a.InsertRange(1, 1);
    EXPECT_EQ(a.Count(), 2);
    EXPECT_EQ(a.Items(0)[0], 0xAB);
}

TEST(PagedDataArray, RegrownElementsAreZeroNotStale) {
    TPagedDataArray a(TSampleElement::kSize);
    a.SetCount(10);
    a.Items(8)[0] = 7;
    a.SetCount(5);
    a.SetCount(10);
    EXPECT_EQ(a.Items(8)[0], 0);
}

TEST(PagedDataArray, ForEachRunVisitsOneRunPerPageAndSurvivesFailingRuns) {
    TPagedDataArray a(TSampleElement::kSize);
    a.SetCount(10000);
    std::vector<size_t> lengths;
    a.ForEachRun(4000, 6000, [&](uint8_t*, size_t length) {
        lengths.push_back(length);
        throw EInOutError("run failed");
    });
    ASSERT_EQ(lengths.size(), 3u);
    EXPECT_EQ(lengths[0], (4681u - 4000u) * 14u);
    EXPECT_EQ(lengths[1], 4681u * 14u);
    EXPECT_EQ(lengths[0] + lengths[1] + lengths[2], 6000u * 14u);
    EXPECT_THROW(a.ForEachRun(9999, 2, [](uint8_t*, size_t) {}), ERangeError);
}

TEST(PagedDataArrayOldDataFormat, UsesSmallPagesAndItsOwnMessages) {
    TPagedDataArrayOldDataFormat a(5);
    EXPECT_EQ(a.ElementsPerPage(), 3276);
    a.SetCount(3277);
    EXPECT_EQ(a.PageCount(), 2);
    try {
        a.Items(3277);
        FAIL();
    } catch (const ERangeError& e) {
        EXPECT_STREQ(e.what(), "Index out of TPagedDataArrayOldDataFormat");
    }
}

TEST(SampleElement, SetterClampsToWhatTheRecordHolds) {
    TSampleElement s{};
    s.Set(8 * 250 + 7, 32 * 90 + 31, 64 * 150 + 63, 10000, -12, -35);
    EXPECT_EQ(s.Power(), 8 * 250);
    EXPECT_EQ(s.Cadence(), 32 * 90);
    EXPECT_EQ(s.HeartRate(), 64 * 150);
    EXPECT_EQ(s.Speed(), 9984); // multiples of 32
    EXPECT_EQ(s.Altitude(), -12);
    EXPECT_EQ(s.Temperature(), -35);

    s.Set(-1, -1, -1, -1, 0, 0);
    EXPECT_EQ(s.Power(), 0);
    EXPECT_EQ(s.Speed(), 0);
    s.Set(8 * 5000, 32 * 300, 64 * 300, 70000, 0, 0);
    EXPECT_EQ(s.StoredPower(), 4095);
    EXPECT_EQ(s.StoredCadence(), 255);
    EXPECT_EQ(s.StoredHeartRate(), 255);
    EXPECT_EQ(s.Speed(), 2047 * 32); // above 32767: stored sign-extended, read unsigned
    EXPECT_EQ(s.bytes[7], 0xFF);

    s.SetShort(800, 320, 640, 320);
    EXPECT_EQ(s.Altitude(), 0);
    EXPECT_EQ(s.Temperature(), 0);
}

} // namespace
} // namespace klt
