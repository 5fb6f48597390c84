// klt demo results: a category's results ranked for people and scripts; a damaged file is refused
// and left as it is.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "tests/cli/KltRun.h"
#include "tests/support/RawTraining.h"

namespace klt {
namespace {

class KltDemo : public ::testing::Test {
protected:
    KltDemo() {
        // Last name, first name, average, category watt, failure, maximum, spare.
        test::WriteFileBytes(path_,
                             "Mueller             Anna                  201 1600       340  260         0\n"
                             "Li                  Bo                    199 1600       120  300         0\r\n"
                             "Kim                 Jo                    205 1600       120  280         0\n");
    }

    const test::TTempDir dir_;
    const std::string path_ = dir_.File("Juniors%2FU23.rst");
};

TEST_F(KltDemo, ListsTheResultsRankedAsJson) {
    test::TKltRun run = test::RunKlt(dir_, "", "demo results " + path_ + " --json");
    ASSERT_EQ(run.status, 0) << run.err;
    auto json = nlohmann::ordered_json::parse(run.out);
    std::vector<std::string> keys;
    for (const auto& [key, value] : json.items()) {
        keys.push_back(key);
    }
    EXPECT_EQ(keys, (std::vector<std::string>{"category", "sort", "results"}));
    EXPECT_EQ(json["category"], "Juniors/U23");
    EXPECT_EQ(json["sort"], "steady");
    ASSERT_EQ(json["results"].size(), 3u);
    EXPECT_EQ(json["results"][0].dump(), "{\"position\":1,\"last_name\":\"Li\",\"first_name\":\"Bo\","
                                         "\"average_power\":199,\"max_power\":300,\"failure\":120,"
                                         "\"category_watt\":1600}");
    EXPECT_EQ(json["results"][1]["position"], 1); // the same failure
    EXPECT_EQ(json["results"][1]["last_name"], "Kim");
    EXPECT_EQ(json["results"][2]["position"], 3);

    run = test::RunKlt(dir_, "", "demo results " + path_ + " --sort average --category Open --json");
    ASSERT_EQ(run.status, 0) << run.err;
    json = nlohmann::ordered_json::parse(run.out);
    EXPECT_EQ(json["category"], "Open");
    EXPECT_EQ(json["sort"], "average");
    EXPECT_EQ(json["results"][0]["last_name"], "Kim");
}

TEST_F(KltDemo, ShowsTheColumnsOfTheSortKind) {
    const test::TKltRun run = test::RunKlt(dir_, "", "demo results " + path_ + " --sort max");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("Juniors/U23"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("MaxPower"), std::string::npos) << run.out;
    EXPECT_EQ(run.out.find("Failure"), std::string::npos) << run.out;
    EXPECT_LT(run.out.find("Li "), run.out.find("Kim "));
}

TEST_F(KltDemo, RefusesADamagedFileAndLeavesIt) {
    const std::string damaged = dir_.File("Masters.rst");
    const std::string text =
        "Li                  Bo                    199 1600       120  300         0\nbroken\n";
    test::WriteFileBytes(damaged, text);
    test::TKltRun run = test::RunKlt(dir_, "", "demo results " + damaged + " --json");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "File:" + damaged + " damaged\nline 2: not a result\n");
    EXPECT_EQ(test::ReadFileBytes(damaged), text);

    run = test::RunKlt(dir_, "", "demo results " + dir_.File("None.rst"));
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "Error open File " + dir_.File("None.rst") + "\n");
}

} // namespace
} // namespace klt
