// klt analyse against rides whose heart rate answers power in a known way.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "tests/cli/KltRun.h"
#include "tests/support/AnalysisRides.h"

namespace klt {
namespace {

using TJson = nlohmann::ordered_json;

class KltAnalyse : public ::testing::Test {
protected:
    test::TKltRun Klt(const std::string& args) { return test::RunKlt(dir_, "", args); }
    TJson Json(const std::string& args) {
        const test::TKltRun run = Klt(args + " --json");
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.out.find("nan"), std::string::npos) << run.out;
        return TJson::parse(run.out);
    }

    test::TTempDir dir_;
};

TEST_F(KltAnalyse, FindsTheLineOfARideAndListsTheDistributions) {
    const std::string path = dir_.File("ride.klt");
    test::WriteLineRide(path);
    const TJson json = Json("analyse " + path);
    EXPECT_EQ(json["file"], path);
    EXPECT_EQ(json["marker"], 0);
    ASSERT_EQ(json["ratio"].size(), 4u);
    const char* channels[] = {"power", "heart_rate", "cadence", "speed"};
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(json["ratio"][i]["channel"], channels[i]);
        EXPECT_TRUE(json["ratio"][i]["unit"].is_string());
        EXPECT_TRUE(json["ratio"][i]["classes"].is_array());
    }
    // Cadence and speed never change (90 rpm, 28.8 km/h): one class holds the whole hour, with
    // the mean of the power steps.
    const TJson& cadence = json["ratio"][2]["classes"];
    ASSERT_EQ(cadence.size(), 8u); // 0..150 rpm by 20
    EXPECT_EQ(cadence[4], (TJson{{"from", 80},
                                 {"to", 100},
                                 {"seconds", 3600},
                                 {"percent", 100.0},
                                 {"averages", {{"power", 196}, {"heart_rate", 109}, {"speed", 29}}}}));
    EXPECT_EQ(cadence[3]["seconds"], 0);
    EXPECT_EQ(cadence[3]["averages"]["power"], nullptr);
    EXPECT_EQ(json["ratio"][3]["classes"][2]["from"], 25);
    EXPECT_EQ(json["ratio"][3]["classes"][2]["percent"], 100.0);
    const TJson& line = json["regression"];
    std::vector<std::string> keys;
    for (const auto& [key, value] : line.items()) {
        keys.push_back(key);
    }
    EXPECT_EQ(keys, (std::vector<std::string>{"slope", "intercept", "r", "delay_s", "n", "r_squared", "averaging_s"}));
    EXPECT_EQ(line["slope"], 0.25);
    EXPECT_EQ(line["intercept"], 60.0);
    EXPECT_EQ(line["r"], 1.0);
    EXPECT_EQ(line["delay_s"], 30.0);
    EXPECT_EQ(line["n"], 3600 - 240 + 1 - 30);
    EXPECT_EQ(line["averaging_s"], 240.0);
    EXPECT_FALSE(json.contains("conconi"));
    EXPECT_EQ(json["notes"], TJson::array());

    const test::TKltRun text = Klt("analyse " + path);
    ASSERT_EQ(text.status, 0) << text.err;
    EXPECT_NE(text.out.find("Slope            0.250 1/Wmin"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("PWC150           360 watt"), std::string::npos) << text.out;
}

TEST_F(KltAnalyse, StepTestGivesDeflectionPointAndPwc) {
    const std::string with = dir_.File("with.klt"), without = dir_.File("without.klt");
    test::WriteStepTest(with, true);
    test::WriteStepTest(without, false);
    const TJson deflecting = Json("analyse --conconi " + with);
    const TJson& conconi = deflecting["conconi"];
    EXPECT_EQ(conconi["steps"], 14);
    EXPECT_NEAR(conconi["deflection"]["power"].get<double>(), test::kStepTestDeflectionWatts, 8);
    EXPECT_NEAR(conconi["deflection"]["heart_rate"].get<double>(), test::kStepTestDeflectionBpm, 3);
    EXPECT_EQ(deflecting["notes"], TJson::array());

    const TJson even = Json("analyse " + without + " --conconi");
    EXPECT_TRUE(even["conconi"]["deflection"].is_null());
    EXPECT_NEAR(even["conconi"]["pwc"]["130"].get<double>(), 200, 1);
    EXPECT_NEAR(even["conconi"]["pwc"]["150"].get<double>(), 266.7, 1);
    EXPECT_NEAR(even["conconi"]["pwc"]["170"].get<double>(), 333.3, 1);
    ASSERT_EQ(even["notes"].size(), 1u);
    EXPECT_NE(even["notes"][0].get<std::string>().find("deflection"), std::string::npos);
}

TEST_F(KltAnalyse, WithoutHeartRatesThereIsNoLineAndANote) {
    const std::string path = dir_.File("flat.klt");
    test::TRawTraining raw = test::SimpleTraining('7', 60);
    for (test::TRawSample& sample : raw.samples) {
        sample.bpm = 0; // no transmitter
    }
    raw.WriteTo(path);
    const TJson json = Json("analyse --conconi " + path);
    EXPECT_TRUE(json["regression"].is_null());
    EXPECT_TRUE(json["conconi"]["deflection"].is_null());
    EXPECT_TRUE(json["conconi"]["pwc"]["150"].is_null());
    EXPECT_GE(json["notes"].size(), 1u);
    EXPECT_NE(json["notes"][0].get<std::string>().find("heart-rate"), std::string::npos);
}

TEST_F(KltAnalyse, RefusesMarkersTheTrainingDoesNotHave) {
    const std::string path = dir_.File("ride.klt");
    test::WriteLineRide(path);
    const test::TKltRun run = Klt("analyse " + path + " --marker 2");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("no marker 2 (markers 0 to 0)"), std::string::npos) << run.err;
    EXPECT_EQ(Klt("analyse " + path + " --marker x").status, 2);
    EXPECT_EQ(Klt("analyse").status, 2);
}

} // namespace
} // namespace klt
