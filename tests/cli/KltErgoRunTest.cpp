// klt ergo run against the simulated ergometer it starts itself: the ride is saved where asked or in
// the database, and the figures come as JSON; a program that does not read rides nothing.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <filesystem>

#include "core/TrainingDataUnit.h"
#include "online/KLTErgoFile.h"
#include "tests/cli/KltRun.h"
#include "tests/support/RawTraining.h"

namespace klt {
namespace {

class KltErgoRun : public ::testing::Test {
protected:
    KltErgoRun() {
        TKLTErgoFile program = TKLTErgoFile::AtPath(dir_.File("Steps.erg"));
        for (const int watts : {120, 180}) {
            TKLTErgoSection step;
            step.Time.Value = 1500; // 15 s
            step.Power = {8 * watts, true};
            program.AppendSection();
            program.PutSection(program.Count() - 1, step);
        }
        program.DeleteSection(0); // the empty step of a new program
        program.Save();
    }
    std::string Environment() const {
        return "KLT_DATABASE=" + dir_.File("db") + " KLT_CONFIG=" + dir_.File("KLTWIN.CFG");
    }

    test::TTempDir dir_;
};

TEST_F(KltErgoRun, RidesTheProgramOnTheSimulatedErgometerAndSavesTheRide) {
    const std::string ride = dir_.File("ride.klt");
    const test::TKltRun run =
        test::RunKlt(dir_, Environment(), "ergo run " + dir_.File("Steps.erg") + " --sim --speedup 20 -o " + ride + " --json");
    ASSERT_EQ(run.status, 0) << run.err;
    const auto json = nlohmann::ordered_json::parse(run.out);
    std::vector<std::string> keys;
    for (const auto& [key, value] : json.items()) {
        keys.push_back(key);
    }
    EXPECT_EQ(keys, (std::vector<std::string>{"samples", "within_10w_percent", "steps", "file"}));
    EXPECT_EQ(json["samples"], 60);
    EXPECT_EQ(json["file"], ride);
    ASSERT_EQ(json["steps"].size(), 2u);
    EXPECT_EQ(json["steps"][1]["target"], 180);
    EXPECT_TRUE(json["steps"][1].contains("settle_s"));
    EXPECT_TRUE(json["steps"][1].contains("overshoot_w"));
    TTrainingData training;
    training.ReadTraining(ride);
    EXPECT_EQ(training.SampleCount(), 60);
    EXPECT_EQ(training.Comment(), "Steps");
}

TEST_F(KltErgoRun, ARideWithoutAnOutputGoesIntoTheDatabase) {
    const test::TKltRun run =
        test::RunKlt(dir_, Environment(), "ergo run " + dir_.File("Steps.erg") + " --sim --speedup 20 --initials JD");
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string path = run.out.substr(0, run.out.find('\n'));
    EXPECT_NE(path.find("_JD.KLT"), std::string::npos) << run.out;
    TTrainingData training;
    training.ReadTraining(path);
    EXPECT_EQ(training.Markers().front().name, "JD");
}

TEST_F(KltErgoRun, ARideAnEarlierRunLeftBehindIsStoredFirst) {
    TTrainingData left;
    left.EditHeader().date = 53000;
    left.AddSample(TData({{150, 120, 90, 9000, 0, 200}}));
    left.EditBlocks() = {{3600 * 100, 1}};
    left.AppendMarker("LB", 1, 1);
    left.WriteTraining(dir_.File("db") + "/LiveRecovery/ride.klt");
    const test::TKltRun run =
        test::RunKlt(dir_, Environment(), "ergo run " + dir_.File("Steps.erg") + " --sim --speedup 20 --initials JD");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find("A ride an earlier run left unsaved is now in the database: "), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("_LB.KLT"), std::string::npos) << run.err;
    EXPECT_FALSE(std::filesystem::exists(dir_.File("db") + "/LiveRecovery/ride.klt"));
}

TEST_F(KltErgoRun, AProgramThatDoesNotReadRidesNothing) {
    const std::string damaged = dir_.File("Cut.erg");
    test::WriteFileBytes(damaged, "<?xml version=\"1.0\"?>\n<KLTErgoFile>\n");
    test::TKltRun run = test::RunKlt(dir_, Environment(), "ergo run " + damaged + " --sim");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "Error reading File:" + damaged + "\n");
    run = test::RunKlt(dir_, Environment(), "ergo run " + dir_.File("Steps.erg") + " --speedup 5");
    EXPECT_EQ(run.status, 2); // a speedup is for the simulator only
}

} // namespace
} // namespace klt
