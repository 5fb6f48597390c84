#include <gtest/gtest.h>

#include <climits>
#include <filesystem>

#include "online/OffsetTable.h"
#include "tests/support/RawTraining.h"

namespace klt {
namespace {

// Expected offsets are worked out from the model's formulas with the default brake (Friction 60,
// Slope 131, Fixpoint 1018): net power P' = round(P - 48 * loss(x)), torque w = round(P' / (x / 4)
// * 9550), then the offset of w's band over the efficiency u(x), all rounded half to even.

TEST(OffsetTable, ModelOffsetsOverSpeedAndPower) {
    TBrakeOptionSet brake;
    TOffsetTable table(brake);
    struct TCase {
        int speed;
        int power;
        int offset;
    };
    const TCase cases[] = {
        {5000, 50, 1122},  {5000, 100, 2064},  {5000, 200, 3245}, {5000, 300, 4426}, // w 130..2108
        {9652, 0, 53},     {9652, 100, 1139},  {9652, 200, 1941}, {9652, 300, 2452}, // w 0, 202, 598, 993
        {9652, 400, 2965}, {9652, 600, 3990},  {3000, 100, 3472},                    // w 1389, 2181, 1044
        {12000, 100, 781}, {12000, 200, 1693}, // w 99 (band 50..149), 418
    };
    for (const TCase& c : cases) {
        EXPECT_EQ(table.BrakeOffsetFor(c.speed, c.power), c.offset) << c.speed << " " << c.power;
    }
}

TEST(OffsetTable, AStandingFlywheelGivesTenPlusTheCorrections) {
    TBrakeOptionSet brake;
    TOffsetTable table(brake);
    EXPECT_EQ(table.BrakeOffsetFor(0, 100), 10);
    brake.OffsetCorrection = 100;
    EXPECT_EQ(table.BrakeOffsetFor(0, 100), 110);
    brake.OffsetCorrection = 0;
    table.SetBigStepUp(true);
    EXPECT_EQ(table.BrakeOffsetFor(0, 100), 8); // 10 * 0.85 = 8.5, to even
    table.SetBigStepUp(false);
    table.SetStepDown(100);
    EXPECT_EQ(table.BrakeOffsetFor(0, 300), 10); // P' 288: 3 % off 10 is 9.7
}

TEST(OffsetTable, ArithmeticBeyondAnyBrakeFailsToTenInsteadOfOverflowing) {
    TBrakeOptionSet brake;
    TOffsetTable table(brake);
    EXPECT_EQ(table.BrakeOffsetFor(INT_MAX, 200), 10);
    EXPECT_EQ(table.BrakeOffsetFor(INT_MIN, 200), 10);
    EXPECT_EQ(table.BrakeOffsetFor(1, INT_MAX), 10);
    brake.Friction = INT_MAX;
    brake.Slope = INT_MAX;
    EXPECT_EQ(table.BrakeOffsetFor(9652, 200), 10);
    brake.OffsetCorrection = INT_MAX; // a damaged options file: saturates instead of wrapping
    EXPECT_EQ(table.BrakeOffsetFor(9652, 200), INT_MAX);
    EXPECT_EQ(table.RegulationGain(INT_MAX, 200, 2000), TOffsetTable::kFailedGain);
}

TEST(OffsetTable, AStepDownEasesTheOffsetByTheNetPowerBand) {
    TBrakeOptionSet brake;
    TOffsetTable table(brake);
    table.SetStepDown(100);
    EXPECT_EQ(table.BrakeOffsetFor(9652, 300), 2378); // P' 251: 2452 less 3 %
    EXPECT_EQ(table.BrakeOffsetFor(9652, 350), 2708); // P' 301: no easing
    EXPECT_EQ(table.BrakeOffsetFor(9652, 400), 2906); // P' 351: 2965 less 2 %
    EXPECT_EQ(table.BrakeOffsetFor(9652, 100), 1048); // P' 51: 1139 less 8 %
    table.SetStepDown(0);
    table.SetBigStepUp(true);
    EXPECT_EQ(table.BrakeOffsetFor(9652, 300), 2084); // 2452 * 0.85
}

TEST(OffsetTable, RegulationGainFollowsTheTorqueBandAndDoublesNearTheLowestPoint) {
    TBrakeOptionSet brake;
    TOffsetTable table(brake);
    // At 9652 the base gain is round(131 / (9652 / 4 / 9550 * 100) / u) = 5.
    EXPECT_DOUBLE_EQ(table.RegulationGain(9652, 200, 2000), 5);    // w 598
    EXPECT_DOUBLE_EQ(table.RegulationGain(9652, 300, 2000), 5);    // w 993
    EXPECT_DOUBLE_EQ(table.RegulationGain(9652, 100, 2000), 11.5); // w 202: * 2.3
    EXPECT_DOUBLE_EQ(table.RegulationGain(9652, 30, 2000), 40);    // w 0: * 8
    EXPECT_DOUBLE_EQ(table.RegulationGain(9652, 200, 500), 10);    // offset below 800
    EXPECT_DOUBLE_EQ(table.RegulationGain(5000, 300, 2000), 12);
    EXPECT_DOUBLE_EQ(table.RegulationGain(0, 100, 2000), TOffsetTable::kFailedGain);
}

TEST(OffsetTable, AdaptationMovesTheCorrectionAndStaysWithinAThousand) {
    TBrakeOptionSet brake;
    TOffsetTable table(brake);
    table.AdaptCorrection(9652, 200, 2100); // (2100 - 1941) * 0.95 = 151.05
    EXPECT_EQ(brake.OffsetCorrection, 151);
    table.AdaptCorrection(9652, 200, 2100); // the model now includes 151: same result
    EXPECT_EQ(brake.OffsetCorrection, 151);
    table.AdaptCorrection(9652, 200, 9000);
    EXPECT_EQ(brake.OffsetCorrection, 1000);
    table.AdaptCorrection(9652, 200, -5000);
    EXPECT_EQ(brake.OffsetCorrection, -1000);
    table.AdaptCorrection(0, 200, INT_MAX);
    EXPECT_EQ(brake.OffsetCorrection, 1000);
}

TEST(OffsetTable, LogsStartEmptyBelowTheDatabase) {
    const test::TTempDir dir;
    TBrakeOptionSet brake;
    TOffsetTable table(brake, dir.Path());
    EXPECT_EQ(std::filesystem::file_size(dir.File("ErgoFiles/OffsetLogFile.log")), 0u);
    EXPECT_EQ(std::filesystem::file_size(dir.File("ErgoFiles/LogFile.log")), 0u);
    table.AdaptCorrection(9652, 200, 2100);
    EXPECT_EQ(test::ReadFileBytes(dir.File("ErgoFiles/OffsetLogFile.log")),
              "Speed:9652 Power:200 AvrOffset:2100 OffsetCorrection:0 -> 151\n");
    EXPECT_NE(test::ReadFileBytes(dir.File("ErgoFiles/LogFile.log")).find(" Offset:1941\n"),
              std::string::npos);
}

} // namespace
} // namespace klt
