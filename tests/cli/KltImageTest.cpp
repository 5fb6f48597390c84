#include <gtest/gtest.h>

#include <filesystem>

#include "tests/cli/KltRun.h"
#include "tests/support/BackupBytes.h"

namespace klt {
namespace {

const std::vector<uint8_t> kClock20h = {0x80, 0x40, 0x19, 0x01, 0x00}; // 72000 s

class KltImage : public ::testing::Test {
protected:
    test::TKltRun Klt(const std::string& args) {
        return test::RunKlt(dir_, "KLT_CONFIG=" + dir_.File("cfg/KLTWIN.CFG") + " KLT_DATABASE=" + dir_.File("db"),
                            args);
    }
    // Two rides of two minutes, far enough apart to stay two trainings.
    std::string TwoLongRides() {
        test::TBackupBytes image(test::kCurrentFormat);
        image.Records(test::kClock8h).Records(test::kRiding, 120).Records(kClock20h).Records(test::kRiding, 90);
        return image.WriteTo(dir_.File("unit.kli"));
    }

    test::TTempDir dir_;
};

TEST_F(KltImage, ListsTheTrainingsWithoutWritingAnything) {
    const std::string path = TwoLongRides();
    const test::TKltRun text = Klt("image " + path);
    ASSERT_EQ(text.status, 0) << text.err;
    EXPECT_NE(text.out.find("1970-01-01"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("08:00:00"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("20:00:00"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("2 trainings"), std::string::npos) << text.out;

    const test::TKltRun json = Klt("image --json " + path);
    ASSERT_EQ(json.status, 0) << json.err;
    EXPECT_NE(json.out.find(R"("start_time":2880000,"initials":"Jo","duration":12000,"samples":120,"blocks":1)"),
              std::string::npos)
        << json.out;
    EXPECT_NE(json.out.find(R"("samples":90)"), std::string::npos) << json.out;
    EXPECT_NE(json.out.find(R"("added":[],"errors":[])"), std::string::npos) << json.out;
    EXPECT_FALSE(std::filesystem::exists(dir_.File("db")));
}

TEST_F(KltImage, SaveWritesTheTrainingsIntoTheDatabase) {
    const std::string path = TwoLongRides();
    const test::TKltRun saved = Klt("image --save --json " + path);
    ASSERT_EQ(saved.status, 0) << saved.err;
    const std::string db = dir_.File("db");
    const std::string first = db + "/_Jo.KLT/1970_01.KLT/J010170A.klt";
    const std::string second = db + "/_Jo.KLT/1970_01.KLT/J010170B.klt";
    for (const std::string& expected :
         {R"("added":[{"source":")" + path + R"(","path":")" + first + "\"", R"("path":")" + second + "\""}) {
        EXPECT_NE(saved.out.find(expected), std::string::npos) << expected << "\n" << saved.out;
    }
    EXPECT_TRUE(std::filesystem::exists(first));
    EXPECT_TRUE(std::filesystem::exists(second));
    EXPECT_FALSE(std::filesystem::exists(db + "/KLTIMAGE")); // the image file itself is the backup

    const test::TKltRun listed = Klt("db list");
    EXPECT_NE(listed.out.find("2 trainings"), std::string::npos) << listed.out;
}

TEST_F(KltImage, WhatIsNoMemoryImageFailsWithThePath) {
    test::WriteFileBytes(dir_.File("other.kli"), "not an image at all");
    const test::TKltRun run = Klt("image " + dir_.File("other.kli"));
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("'" + dir_.File("other.kli") + "': not a Veltrak memory image"), std::string::npos)
        << run.err;
    EXPECT_EQ(Klt("image").status, 2);
    EXPECT_EQ(Klt("image a.kli b.kli").status, 2);
}

} // namespace
} // namespace klt
