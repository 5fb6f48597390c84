#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/cli/KltRun.h"
#include "tests/support/RawTraining.h"

namespace klt {
namespace {

class KltImport : public ::testing::Test {
protected:
    test::TKltRun Klt(const std::string& args) {
        return test::RunKlt(
            dir_, "KLT_CONFIG=" + dir_.File("cfg/KLTWIN.CFG") + " KLT_DATABASE=" + dir_.File("db"), args);
    }

    test::TTempDir dir_;
};

TEST_F(KltImport, SavesImportedTrainingsInTheDatabaseAndReportsFailures) {
    const std::string raw = dir_.File("12-09-2026.raw");
    test::WriteFileBytes(raw, "a\nb\nc\nd\n120\n255\n90\n250\n");
    const std::string cut = dir_.File("1-2-2026.raw");
    test::WriteFileBytes(cut, "a\nb\nc\nd\n120\n");
    const std::string other = dir_.File("notes.csv");
    test::WriteFileBytes(other, "1,2,3\n");

    const test::TKltRun run = Klt("import --json --initials JD " + raw + " " + cut + " " + other);
    EXPECT_EQ(run.status, 1); // two files failed, the first went in
    const std::string db = dir_.File("db");
    for (const std::string& expected :
         {R"({"imported":[{"source":")" + raw + R"(","path":")" + db + R"(/_JD.KLT/2026_12.KLT/J091226A.klt"}])",
          R"("errors":[{"source":")" + cut + R"(","message":"')" + cut + "': line 6", R"({"source":")" + other}) {
        EXPECT_NE(run.out.find(expected), std::string::npos) << expected << "\n" << run.out;
    }
    EXPECT_TRUE(std::filesystem::exists(raw)); // the foreign file stays
    EXPECT_FALSE(std::filesystem::exists(db + "/_JD.KLT/2026_02.KLT"));

    const test::TKltRun list = Klt("db list --json");
    EXPECT_NE(list.out.find(R"("initials":"JD")"), std::string::npos) << list.out;
}

TEST_F(KltImport, EveryRealHeartRateMonitorFileGoesIntoTheDatabase) {
    std::string files;
    int count = 0;
    for (const auto& entry :
         std::filesystem::directory_iterator(std::filesystem::path(KLT_TEST_DATA_DIR) / "external" / "hrm")) {
        if (entry.path().extension() == ".hrm") {
            files += " " + entry.path().string();
            ++count;
        }
    }
    ASSERT_EQ(count, 10);

    // Twice, without initials (the files carry none): every import is a training of its own.
    for (int round = 0; round < 2; ++round) {
        const test::TKltRun run = Klt("import --json" + files);
        EXPECT_EQ(run.status, 0) << run.out << run.err;
        EXPECT_NE(run.out.find(R"("errors":[])"), std::string::npos) << run.out;
    }
    int saved = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dir_.File("db"))) {
        if (entry.is_regular_file() && entry.path().extension() == ".klt") { // not the month folders' index
            EXPECT_EQ(entry.path().filename().string().front(), '_') << entry.path(); // no athlete
            ++saved;
        }
    }
    EXPECT_EQ(saved, 2 * count);
}

} // namespace
} // namespace klt
