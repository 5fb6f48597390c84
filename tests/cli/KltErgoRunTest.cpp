// klt ergo run against the simulated ergometer it starts itself: the ride is saved where asked or in
// the database, and the figures come as JSON; a program that does not read rides nothing. The
// open-end test and the demo run as the live window runs them, a demo's result ranked in its
// category.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <filesystem>

#include "core/TrainingDataUnit.h"
#include "online/DemoResultFile.h"
#include "online/KLTErgoFile.h"
#include "online/OnlineOptions.h"
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
    static std::vector<std::string> Keys(const nlohmann::ordered_json& json) {
        std::vector<std::string> keys;
        for (const auto& [key, value] : json.items()) {
            keys.push_back(key);
        }
        return keys;
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
    EXPECT_EQ(Keys(json), (std::vector<std::string>{"samples", "within_10w_percent", "steps", "file"}));
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

TEST_F(KltErgoRun, AnOpenEndTestOfNSecondsStoresTwoSamplesASecond) {
    const std::string ride = dir_.File("open.klt");
    const test::TKltRun run = test::RunKlt(
        dir_, Environment(), "ergo run --mode open-end --seconds 15 --sim --speedup 20 --initials OE -o " + ride + " --json");
    ASSERT_EQ(run.status, 0) << run.err;
    const auto json = nlohmann::ordered_json::parse(run.out);
    EXPECT_EQ(Keys(json), (std::vector<std::string>{"samples", "seconds", "average_w", "max_w", "file"}));
    EXPECT_EQ(json["file"], ride);
    EXPECT_GE(json["seconds"].get<double>(), 15.0);
    EXPECT_LT(json["seconds"].get<double>(), 17.0) << "ended on time, give or take a busy machine";
    EXPECT_GT(json["average_w"].get<int>(), 0);
    EXPECT_GE(json["max_w"].get<int>(), json["average_w"].get<int>());
    TTrainingData training;
    training.ReadTraining(ride);
    EXPECT_NEAR(training.SampleCount(), 2 * json["seconds"].get<double>(), 2);
    EXPECT_EQ(training.Blocks().size(), 1u) << "a steady ride lies on one grid";
    EXPECT_EQ(training.Comment(), "Open-end test");
    EXPECT_EQ(training.Markers().front().name, "OE");
    EXPECT_FALSE(std::filesystem::exists(dir_.File("db") + "/LiveRecovery/ride.klt")) << "kept only until stored";
}

TEST_F(KltErgoRun, CtrlCEndsAnOpenEndTestAndSavesTheRide) {
    const std::string ride = dir_.File("stopped.klt"), out = dir_.File("stdout"), err = dir_.File("stderr");
    // an open-end test without --seconds runs until the rider stops or Ctrl+C; timeout passes the
    // Ctrl+C on and ends a klt that would not stop, so the test fails rather than hangs
    const int raw = std::system((Environment() + " timeout -k 5 60 " KLT_BIN_DIR "/klt ergo run --mode open-end --sim --speedup 20 -o " +
                                 ride + " >" + out + " 2>" + err + " & sleep 2; kill -INT $!; wait $!")
                                    .c_str());
    ASSERT_TRUE(WIFEXITED(raw));
    ASSERT_EQ(WEXITSTATUS(raw), 0) << test::ReadFileBytes(err);
    EXPECT_EQ(test::ReadFileBytes(out).substr(0, ride.size() + 1), ride + "\n");
    TTrainingData training;
    training.ReadTraining(ride);
    EXPECT_GT(training.SampleCount(), 11);
    EXPECT_FALSE(std::filesystem::exists(dir_.File("db") + "/LiveRecovery/ride.klt"));
}

TEST_F(KltErgoRun, ADemoStoresItsResultInItsCategoryAndRanksIt) {
    TOnlineOptions options(dir_.File("db"));
    TKLTDemoCategorie juniors;
    juniors.SetName("Juniors");
    juniors.Watt = 150 * 8;
    options.OnlineDemoModeOptionSet.Categories.PutItem(0, juniors);
    options.Save();
    const std::string demo = "ergo run --mode demo --seconds 8 --category 0 --sim --speedup 20 --initials DM";

    test::TKltRun run = test::RunKlt(dir_, Environment(), demo + " --first Ann --last Li --json");
    ASSERT_EQ(run.status, 0) << run.err;
    const auto json = nlohmann::ordered_json::parse(run.out);
    ASSERT_TRUE(json.contains("demo")) << run.out;
    EXPECT_EQ(json["demo"]["position"], 1);
    EXPECT_EQ(json["demo"]["results_file"], DemoResultPath(dir_.File("db"), "Juniors"));
    const int average = json["demo"]["average_w"];
    EXPECT_EQ(average, json["average_w"].get<int>()) << "both over the run's samples";

    run = test::RunKlt(dir_, Environment(), demo + " --first Bo");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("Demo result: average "), std::string::npos) << run.out;
    const std::vector<TKLTDemoResult> results = ReadDemoResultFile(DemoResultPath(dir_.File("db"), "Juniors"));
    ASSERT_EQ(results.size(), 2u);
    EXPECT_EQ(results[0].FirstName(), "Ann");
    EXPECT_EQ(results[0].LastName(), "Li");
    EXPECT_EQ(results[0].AveragePower, average);
    EXPECT_EQ(results[0].CategorieWatt, 150 * 8);
    EXPECT_EQ(results[1].FirstName(), "Bo");
    EXPECT_EQ(results[1].LastName(), "");
}

TEST_F(KltErgoRun, TestKindsRefuseWhatTheyDoNotTake) {
    const std::string program = dir_.File("Steps.erg");
    const auto usage = [&](const std::string& args, const std::string& said) {
        const test::TKltRun run = test::RunKlt(dir_, Environment(), "ergo run " + args + " --sim");
        EXPECT_EQ(run.status, 2) << args;
        EXPECT_NE(run.err.find(said), std::string::npos) << args << ": " << run.err;
    };
    usage(program + " --seconds 10", "--seconds is for an open-end test or a demo");
    usage("--mode sprint", "--mode");
    usage("", "FILE is required");
    usage("--mode open-end " + program, "an open-end test rides no program");
    usage("--mode open-end --category 1", "--category, --first and --last are for a demo");
    usage(program + " --first Ann", "--category, --first and --last are for a demo");
    usage("--mode demo --seconds 10 " + program, "give FILE or --seconds, not both");
    usage("--mode demo --seconds 0", "--seconds");

    // an unknown category is said before any ride
    const test::TKltRun run = test::RunKlt(dir_, Environment(), "ergo run --mode demo --category 3 --sim");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "There is no demo category 3: the demo options hold 0.\n");
}

} // namespace
} // namespace klt
