#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <mutex>

#include "tests/device/PtyHeadUnit.h"
#include "tests/device/ScriptedHeadUnits.h"

namespace klt {
namespace {

struct TRun {
    int status = -1;
    std::string out;
};

// Runs the real tool with stderr folded into the output.
TRun Klt(const std::string& args) {
    const std::string tool = std::string(KLT_BIN_DIR) + "/klt";
    if (!std::filesystem::exists(tool)) {
        return {};
    }
    const std::string command = "KLT_CONFIG=/nonexistent/KLTWIN.CFG " + tool + " " + args + " 2>&1";
    TRun run;
    if (std::FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[4096];
        size_t n = 0;
        while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) {
            run.out.append(buffer, n);
        }
        const int raw = ::pclose(pipe);
        run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    }
    return run;
}

template <class Unit> test::TPtyHeadUnit::TResponder Guarded(Unit& unit, std::mutex& mutex) {
    return [&unit, &mutex](uint8_t byte, const TLineSettings& settings, std::deque<uint8_t>& out) {
        std::lock_guard lock(mutex);
        unit(byte, settings, out);
    };
}

TEST(KltDevice, StatusOfARegisterHeadUnitAsJson) {
    std::mutex mutex;
    test::TRegisterHeadUnit unit;
    unit.registers[3] = {0, 0, 0, 0x08, 0x2F};
    test::TPtyHeadUnit pty(Guarded(unit, mutex));
    const TRun run = Klt("device status --type 4 --password 0x10 --json --port " + pty.Path());
    if (run.status == -1) {
        GTEST_SKIP() << "klt is not built";
    }
    ASSERT_EQ(run.status, 0) << run.out;
    for (const char* field : {R"("firmware":"2.40")", R"("SWVersion":240)", R"("Radumfang":2095)",
                              R"("PasswordLevel":"PasswordLevelTrainer")", R"("unread_settings":[])"}) {
        EXPECT_NE(run.out.find(field), std::string::npos) << field << "\n" << run.out;
    }
}

TEST(KltDevice, StatusOfAGenerationVHeadUnitNamesWhatCouldNotBeRead) {
    std::mutex mutex;
    test::THeadUnitV unit;
    unit.replies = {{'x', {0x43, 0x0A, 0x00}},
                    {'M', {0x09, 0x12, 0x26, 0x14, 0x30, 0x05}},
                    {'E', {0x00, 0xFA}},
                    {'N', {'J', 'D', 'O', ' ', ' ', ' ', ' ', ' '}},
                    {'F', {0, 0}},
                    {'R', {1}},
                    {'H', std::vector<uint8_t>(11, 1)},
                    {'O', std::vector<uint8_t>(14, 0)},
                    {'S', {20, 28}},
                    {'c', std::vector<uint8_t>(8, 0)},
                    {'K', {1}},
                    {'L', {1}},
                    {'a', {9}},
                    {'W', {3}},
                    {'U', {0}},
                    {'b', {0, 0}},
                    {'v', {'0', 0, 0}}};
    unit.silent = {'G'};
    test::TPtyHeadUnit pty(Guarded(unit, mutex));
    const TRun run = Klt("device status --type 5 --port " + pty.Path());
    if (run.status == -1) {
        GTEST_SKIP() << "klt is not built";
    }
    ASSERT_EQ(run.status, 0) << run.out;
    for (const char* text :
         {"Veltrak V at ", "firmware 43.0A", "Clock = 2026-12-09 14:30:05.00", "Initialen = JDO",
          "Read error while reading from Veltrak.", "Not read (defaults shown): Wheel circumference"}) {
        EXPECT_NE(run.out.find(text), std::string::npos) << text << "\n" << run.out;
    }
}

TEST(KltDevice, ClockIsSetAndReadBack) {
    std::mutex mutex;
    test::THeadUnitV unit;
    unit.replies['M'] = {0x01, 0x02, 0x26, 0x03, 0x04, 0x05};
    test::TPtyHeadUnit pty(Guarded(unit, mutex));
    const TRun run = Klt("device clock --type 5 --set now --port " + pty.Path());
    if (run.status == -1) {
        GTEST_SKIP() << "klt is not built";
    }
    ASSERT_EQ(run.status, 0) << run.out;
    EXPECT_EQ(run.out, "2026-02-01 03:04:05.00\n");
    std::lock_guard lock(mutex);
    ASSERT_GE(unit.telegrams.size(), 3u);
    EXPECT_EQ(unit.telegrams[unit.telegrams.size() - 2].size(), 7u); // "M" and six clock bytes
}

TEST(KltDevice, WrongArgumentsAreUsageErrors) {
    const TRun run = Klt("device status --type 6 --port /dev/null");
    if (run.status == -1) {
        GTEST_SKIP() << "klt is not built";
    }
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(Klt("device clock --type 5 --set tomorrow --port /dev/null").status, 2);
    EXPECT_EQ(Klt("device status --type 5 --password -1 --port /dev/null").status, 2);
    const TRun missing = Klt("device status --type 5 --port /dev/klt-no-such-port");
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.out, "Port None does not exist\n"); // messages name ports by their COM number
}

} // namespace
} // namespace klt
