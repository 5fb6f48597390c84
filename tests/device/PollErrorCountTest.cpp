// When failed live-value reads make the connection lost.
#include <gtest/gtest.h>

#include "device/live/PollErrorCount.h"

namespace klt {
namespace {

TEST(PollErrorCountTest, FourTimeoutsWithinASecondOfTheLastSuccessAreSilentAFifthIsNot) {
    TPollErrorCount errors(0);
    errors.Success(1000);
    for (int i = 1; i <= 4; ++i) {
        EXPECT_FALSE(errors.Timeout(1000 + i * 100).lost) << i;
    }
    const TPollErrorCount::TVerdict fifth = errors.Timeout(1500);
    EXPECT_EQ(fifth.number, 5);
    EXPECT_TRUE(fifth.lost);
    EXPECT_FALSE(errors.Timeout(1600).lost); // reported once per outage
    errors.Success(2000);
    EXPECT_FALSE(errors.Timeout(2100).lost);
}

TEST(PollErrorCountTest, OtherErrorsHaveALimitOfThree) {
    TPollErrorCount errors(0);
    for (int i = 1; i <= 3; ++i) {
        EXPECT_FALSE(errors.OtherError(i).lost);
    }
    EXPECT_TRUE(errors.OtherError(4).lost);
}

TEST(PollErrorCountTest, AFailureLongAfterTheLastSuccessLosesTheConnection) {
    TPollErrorCount errors(0);
    errors.Success(0);
    EXPECT_TRUE(errors.Timeout(1000).lost);
}

TEST(PollErrorCountTest, FifteenSecondsWithoutAGoodReadLoseTheConnectionOnce) {
    TPollErrorCount errors(0);
    EXPECT_FALSE(errors.Silent(14999));
    EXPECT_TRUE(errors.Silent(15000));
    EXPECT_FALSE(errors.Silent(16000));
    errors.Success(20000);
    EXPECT_TRUE(errors.Silent(35000));
}

} // namespace
} // namespace klt
