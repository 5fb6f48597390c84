// The read thread's logs: made where they belong, empty at the start, never beyond their cap, and a
// log that cannot be made is left out quietly.
#include <gtest/gtest.h>

#include <fstream>

#include "device/live/LiveLogs.h"
#include "tests/support/RawTraining.h"

namespace klt {
namespace {

namespace fs = std::filesystem;

TEST(LiveLogsTest, TheThreeLogsStartEmptyBelowTheDatabase) {
    test::TTempDir db;
    const fs::path dir = db.Path();
    {
        std::ofstream(dir / "stale") << "x";
        TLiveLogs logs;
        logs.Open(dir);
        logs.timing.Line(" SleepTime:500");
    }
    EXPECT_EQ(test::ReadFileBytes(dir / "ErgoFiles" / "Testwerte.txt"), " SleepTime:500\n");
    EXPECT_TRUE(fs::exists(dir / "Telemetrie" / "Testwerte.txt"));
    EXPECT_TRUE(fs::exists(dir / "Telemetrie" / "TestwerteAll.txt"));
    TLiveLogs again;
    again.Open(dir); // a new run starts them afresh
    EXPECT_EQ(fs::file_size(dir / "ErgoFiles" / "Testwerte.txt"), 0u);
}

TEST(LiveLogsTest, ALogStartsAfreshAtItsCap) {
    test::TTempDir db;
    {
        TLiveLogs logs(1000);
        logs.Open(db.Path());
        for (int i = 0; i < 10000; ++i) {
            logs.bytes.Line(HexBytes(std::vector<uint8_t>{0x4A, 0x01, 0xFF}));
        }
    }
    const uintmax_t size = fs::file_size(fs::path(db.Path()) / "Telemetrie" / "TestwerteAll.txt");
    EXPECT_LE(size, 1000u);
    EXPECT_GT(size, 0u);
}

TEST(LiveLogsTest, ALogThatCannotBeMadeIsLeftOut) {
    test::TTempDir db;
    std::ofstream(fs::path(db.Path()) / "Telemetrie") << "a file where the folder should be";
    TLiveLogs logs;
    logs.Open(db.Path());
    EXPECT_FALSE(logs.frames.IsOpen());
    logs.frames.Line("nothing happens");
    EXPECT_TRUE(logs.timing.IsOpen());
}

} // namespace
} // namespace klt
