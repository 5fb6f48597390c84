// Moving a local date and time on by hundredths of a second, across midnight either way.
#include <gtest/gtest.h>

#include "core/KLTDate.h"

namespace klt {
namespace {

TEST(DateTimeMark, LaterByCarriesIntoTheNextDayAndBorrowsFromTheOneBefore) {
    EXPECT_EQ(LaterBy({53672, 4529637}, 63), (TDateTimeMark{53672, 4529700}));
    EXPECT_EQ(LaterBy({53672, 8639990}, 20), (TDateTimeMark{53673, 10}));
    EXPECT_EQ(LaterBy({53672, 0}, 3 * 8640000 + 5), (TDateTimeMark{53675, 5}));
    EXPECT_EQ(LaterBy({53672, 10}, -20), (TDateTimeMark{53671, 8639990}));
    EXPECT_EQ(LaterBy({53672, 0}, -8640000), (TDateTimeMark{53671, 0}));
}

} // namespace
} // namespace klt
