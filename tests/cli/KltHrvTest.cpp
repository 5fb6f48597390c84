// klt hrv against klt-sim's ergometer sped up: the beats go into the file in its columns and the
// summary fits them; a head unit without beats writes nothing and says so.
#include <gtest/gtest.h>

#include <filesystem>

#include <nlohmann/json.hpp>

#include "online/HeartRateVarianceFile.h"
#include "tests/cli/KltRun.h"
#include "tests/cli/SimulatorFixture.h"

namespace klt {
namespace {

class KltHrv : public test::TKltSimFixture {
protected:
    // A generation 7 head unit whose simulated time runs twenty times faster.
    std::string StartSimulator(std::vector<std::string> args) {
        args.insert(args.begin(), {"--generation", "7", "--speedup", "20"});
        return StartUsbSimulator(std::move(args));
    }
    test::TKltRun Hrv(const std::string& socket, const std::string& args) {
        return test::RunKlt(dir_,
                            "KLT_USB_SIM=" + socket + " KLT_CONFIG=" + dir_.File("KLTWIN.CFG") +
                                " KLT_DATABASE=" + dir_.File("db"),
                            "hrv " + args);
    }
};

TEST_F(KltHrv, RecordsTheRidersBeatsIntoTheFileWithTheirSummary) {
    const std::string socket = StartSimulator({"--ergometer", "--seed", "4"});
    ASSERT_FALSE(socket.empty());
    const std::string out = dir_.File("beats.txt");
    const test::TKltRun run = Hrv(socket, "--type 7 --seconds 2 -o " + out + " --json");
    ASSERT_EQ(run.status, 0) << run.err;
    const auto json = nlohmann::ordered_json::parse(run.out);
    std::vector<std::string> keys;
    for (const auto& [key, value] : json.items()) {
        keys.push_back(key);
    }
    EXPECT_EQ(keys, (std::vector<std::string>{"beats", "mean_heart_rate", "rmssd_ms", "lost", "file"}));
    EXPECT_EQ(json["file"], out);
    EXPECT_EQ(json["lost"], 0);

    const std::vector<THRVarianceLine> lines = ReadHRVarianceFile(out);
    ASSERT_EQ(json["beats"], lines.size());
    EXPECT_GE(lines.size(), 10u); // several simulated seconds each real one
    double total = 0;
    for (const THRVarianceLine& line : lines) {
        total += line.hrDist;
    }
    const double mean = json["mean_heart_rate"];
    EXPECT_NEAR(mean, 600000 * static_cast<double>(lines.size()) / total, 1e-6);
    EXPECT_GT(mean, 55); // the rider near his resting heart rate
    EXPECT_LT(mean, 120);
    EXPECT_GT(json["rmssd_ms"].get<double>(), 1);
    EXPECT_LT(json["rmssd_ms"].get<double>(), 100);
}

TEST_F(KltHrv, NoBeatsWriteNoFileAndFail) {
    const std::string socket = StartSimulator({}); // nobody on an ergometer wears a strap
    ASSERT_FALSE(socket.empty());
    const std::string out = dir_.File("beats.txt");
    const test::TKltRun run = Hrv(socket, "--type 7 --seconds 1 -o " + out);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "No beat-to-beat intervals arrived; nothing was written\n");
    EXPECT_FALSE(std::filesystem::exists(out));
}

TEST_F(KltHrv, OnlyUsbHeadUnitsAndAnOutputAreAccepted) {
    const std::string out = dir_.File("beats.txt");
    EXPECT_EQ(Hrv("", "--type 5 -o " + out).status, 2);
    EXPECT_EQ(Hrv("", "--type 7").status, 2);
    EXPECT_FALSE(std::filesystem::exists(out));
}

} // namespace
} // namespace klt
