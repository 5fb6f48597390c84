// klt ergo show: an ergo program's steps for people and for scripts; a program that does not read
// is refused with the reason and the file.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "online/KLTErgoFile.h"
#include "tests/cli/KltRun.h"
#include "tests/support/RawTraining.h"

namespace klt {
namespace {

class KltErgo : public ::testing::Test {
protected:
    KltErgo() {
        TKLTErgoFile program = TKLTErgoFile::AtPath(dir_.File("Ramp.erg"));
        program.SetCommentary("two steps");
        TKLTErgoSection warmUp;
        warmUp.Time = {6000, true};
        warmUp.Power = {8 * 150, false};
        warmUp.Heartrate = {64 * 120, true};
        TKLTErgoSection hard;
        hard.Time.Value = 3000;
        hard.Power = {8 * 300, true};
        hard.Cadence.Value = 32 * 95;
        program.PutSection(0, warmUp);
        program.PutSection(1, hard);
        program.Save();
    }

    test::TTempDir dir_;
};

TEST_F(KltErgo, ShowsTheStepsInRawUnitsAsJson) {
    const test::TKltRun run = test::RunKlt(dir_, "", "ergo show " + dir_.File("Ramp.erg") + " --json");
    ASSERT_EQ(run.status, 0) << run.err;
    const auto json = nlohmann::ordered_json::parse(run.out);
    std::vector<std::string> keys;
    for (const auto& [key, value] : json.items()) {
        keys.push_back(key);
    }
    EXPECT_EQ(keys, (std::vector<std::string>{"name", "commentary", "steps", "total_time"}));
    EXPECT_EQ(json["name"], "Ramp");
    EXPECT_EQ(json["total_time"], 9000);
    ASSERT_EQ(json["steps"].size(), 2u);
    EXPECT_EQ(json["steps"][0].dump(), "{\"time\":6000,\"power\":1200,\"heart_rate\":7680,\"cadence\":0,"
                                       "\"checked\":{\"time\":true,\"power\":false,\"heart_rate\":true,"
                                       "\"cadence\":false}}");
}

TEST_F(KltErgo, ShowsTheStepsInDisplayUnitsWithTheControllingTargetMarked) {
    const test::TKltRun run = test::RunKlt(dir_, "", "ergo show " + dir_.File("Ramp.erg"));
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("two steps"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("120 bpm *"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("300 watt *"), std::string::npos) << run.out;
    EXPECT_EQ(run.out.find("150 watt *"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("0:01:30"), std::string::npos) << run.out;
}

TEST_F(KltErgo, RefusesAProgramThatDoesNotRead) {
    const std::string damaged = dir_.File("Cut.erg");
    test::WriteFileBytes(damaged, "<?xml version=\"1.0\"?>\n<KLTErgoFile>\n<Section>\n");
    test::TKltRun run = test::RunKlt(dir_, "", "ergo show " + damaged + " --json");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "Error reading File:" + damaged + "\n");

    run = test::RunKlt(dir_, "", "ergo show " + dir_.File("Missing.erg"));
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "Error open File " + dir_.File("Missing.erg") + "\n");
}

} // namespace
} // namespace klt
