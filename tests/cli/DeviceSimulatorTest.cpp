// klt device against the klt-sim executable, as the README shows it.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>

#include <nlohmann/json.hpp>

#include "tests/cli/KltRun.h"
#include "tests/cli/SimulatorFixture.h"
#include "tests/support/RawTraining.h"
#include "tests/support/SimProcess.h"

namespace klt {
namespace {

using TRun = test::TKltRun;

class KltDeviceSimulator : public test::TKltSimFixture {
protected:
    TRun Klt(const std::string& args) {
        return test::RunKlt(dir_, "KLT_CONFIG=" + dir_.File("cfg/KLTWIN.CFG") + " KLT_DATABASE=" + Database(), args);
    }
    std::string Database() const { return dir_.File("db"); }
};

TEST_F(KltDeviceSimulator, StatusOfAGenerationVHeadUnitAsJson) {
    const std::string port = StartSimulator({"--generation", "5", "--initials", "ABC", "--rides", "1"});
    ASSERT_FALSE(port.empty());
    const TRun run = Klt("device status --type 5 --port " + port + " --json");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("\"generation\":\"V\""), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("\"Initialen\":\"ABC\""), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("\"unread_settings\":[]"), std::string::npos) << run.out;
}

TEST_F(KltDeviceSimulator, ClockOfAGenerationIVHeadUnitIsSetToNow) {
    const std::string port = StartSimulator({"--generation", "4", "--clock", "2020-02-02 10:00:00"});
    ASSERT_FALSE(port.empty());
    const TRun run = Klt("device clock --type 4 --port " + port + " --set now");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out.find("2020-02-02"), std::string::npos) << run.out;
}

TEST_F(KltDeviceSimulator, Generation7OverTheSimulatedUsbLink) {
    const std::string socket = StartUsbSimulator({"--generation", "7", "--initials", "ABC"});
    ASSERT_FALSE(socket.empty());
    const std::string environment = "KLT_USB_SIM=" + socket;
    const TRun status = test::RunKlt(dir_, environment, "device status --type 7 --json");
    ASSERT_EQ(status.status, 0) << status.err;
    for (const char* field : {R"("generation":"VII")", R"("Initialen":"ABC")", R"("Radumfang":2095)",
                              R"("unread_settings":[])"}) {
        EXPECT_NE(status.out.find(field), std::string::npos) << field << "\n" << status.out;
    }
    const TRun clock = test::RunKlt(dir_, environment, "device clock --type 7 --set now");
    ASSERT_EQ(clock.status, 0) << clock.err;
    EXPECT_EQ(clock.out.size(), std::string("2026-12-09 10:00:00.00\n").size()) << clock.out;

    const TRun wrong = test::RunKlt(dir_, environment, "device status --type 6");
    EXPECT_NE(wrong.status, 0);
    EXPECT_NE(wrong.err.find("No Veltrak VI present"), std::string::npos) << wrong.err;
    EXPECT_NE(Klt("device clock --type 7 --port /dev/null").status, 0); // no port for USB
}

TEST_F(KltDeviceSimulator, GenerationVTrainingsGoIntoTheDatabaseAndTheMemoryIsCleared) {
    const std::string port =
        StartSimulator({"--generation", "5", "--initials", "ABC", "--rides", "2", "--ride-minutes", "5"});
    ASSERT_FALSE(port.empty());
    std::filesystem::create_directories(Database());
    const TRun run = Klt("device download --type 5 --port " + port + " --clear --json");
    ASSERT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_NE(run.out.find("\"skipped_known\":0"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("\"errors\":[]"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("\"cleared\":true"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find(Database()), std::string::npos) << run.out;
}

TEST_F(KltDeviceSimulator, GenerationIVIsNotClearedWhenATrainingCannotBeSaved) {
    const std::string port =
        StartSimulator({"--generation", "4", "--initials", "ABC", "--rides", "1", "--ride-minutes", "5"});
    ASSERT_FALSE(port.empty());
    std::filesystem::create_directories(Database());
    test::WriteFileBytes(Database() + "/_ABC.KLT", "in the way");
    const TRun run = Klt("device download --type 4 --port " + port + " --clear --json");
    EXPECT_EQ(run.status, 1) << run.out << run.err;
    EXPECT_NE(run.out.find("\"files\":[]"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("\"cleared\":false"), std::string::npos) << run.out;
    EXPECT_NE(run.err.find("The data stay in the Veltrak"), std::string::npos) << run.err;
}

TEST_F(KltDeviceSimulator, Generation7TrainingsAreDownloadedOnceAndTheMemoryClearedAfterACompleteRun) {
    const std::string socket = StartUsbSimulator(
        {"--generation", "7", "--initials", "ABC", "--rides", "2", "--ride-minutes", "5", "--reply-delay", "0"});
    ASSERT_FALSE(socket.empty());
    std::filesystem::create_directories(Database());
    auto download = [&](const std::string& options) {
        return test::RunKlt(dir_,
                            "KLT_USB_SIM=" + socket + " KLT_CONFIG=" + dir_.File("cfg/KLTWIN.CFG") +
                                " KLT_DATABASE=" + Database(),
                            "device download --type 7 --json" + options);
    };
    auto filesListed = [&](const std::string& out) {
        size_t count = 0;
        for (size_t at = out.find(Database()); at != std::string::npos; at = out.find(Database(), at + 1)) {
            ++count;
        }
        return count;
    };

    const TRun first = download("");
    ASSERT_EQ(first.status, 0) << first.out << first.err;
    EXPECT_EQ(filesListed(first.out), 2u) << first.out; // the newest ride's two sections in one file
    EXPECT_NE(first.out.find("\"skipped_known\":0"), std::string::npos) << first.out;
    EXPECT_NE(first.out.find("\"errors\":[]"), std::string::npos) << first.out;
    EXPECT_NE(first.out.find("\"cleared\":false"), std::string::npos) << first.out;

    const TRun again = download(" --clear");
    ASSERT_EQ(again.status, 0) << again.out << again.err;
    EXPECT_NE(again.out.find("\"files\":[]"), std::string::npos) << again.out;
    EXPECT_NE(again.out.find("\"skipped_known\":2"), std::string::npos) << again.out;
    EXPECT_NE(again.out.find("\"cleared\":true"), std::string::npos) << again.out;

    const TRun empty = download("");
    ASSERT_EQ(empty.status, 0) << empty.out << empty.err;
    EXPECT_NE(empty.out.find("\"files\":[]"), std::string::npos) << empty.out;
    EXPECT_NE(empty.out.find("\"skipped_known\":0"), std::string::npos) << empty.out; // nothing left to read
}

TEST_F(KltDeviceSimulator, AnImpossibleClockIsReadAgainThenSetTo2004) {
    for (const char* reads : {"1", "2"}) {
        SCOPED_TRACE(reads);
        const std::string socket =
            StartUsbSimulator({"--generation", "7", "--clock", "2026-12-09 10:00:00", "--fault",
                               std::string("badclock=") + reads});
        ASSERT_FALSE(socket.empty());
        const TRun clock = test::RunKlt(dir_, "KLT_USB_SIM=" + socket, "device clock --type 7 --json");
        ASSERT_EQ(clock.status, 0) << clock.err;
        if (std::string(reads) == "1") {
            // the second read, 100 ms later, is possible
            EXPECT_NE(clock.out.find(R"({"clock":"2026-12-09 10:00:0)"), std::string::npos) << clock.out;
            EXPECT_TRUE(clock.err.empty()) << clock.err;
        } else {
            EXPECT_EQ(clock.out, "{\"clock\":\"2004-01-01 00:00:00.00\"}\n");
            EXPECT_NE(clock.err.find("Incorrect Date from Veltrak received"), std::string::npos) << clock.err;
        }
        TearDown();
        sim_.reset();
    }
    const std::string port = StartSimulator({"--generation", "5", "--fault", "badclock=1"});
    ASSERT_FALSE(port.empty());
    const TRun clock = Klt("device clock --type 5 --port " + port);
    ASSERT_EQ(clock.status, 0) << clock.err;
    EXPECT_EQ(clock.out, "2004-01-01 00:00:00.00\n");
    EXPECT_NE(clock.err.find("Date set to 01.01.2004"), std::string::npos) << clock.err;
}

TEST_F(KltDeviceSimulator, AGenerationVLineThatSpoilsEveryBlockLeavesTheHeadUnitAsItWas) {
    const std::string port = StartSimulator(
        {"--generation", "5", "--rides", "1", "--ride-minutes", "5", "--fault", "checksum=1"});
    ASSERT_FALSE(port.empty());
    std::filesystem::create_directories(Database());
    const TRun run = Klt("device download --type 5 --port " + port + " --clear --json");
    EXPECT_EQ(run.status, 1) << run.out << run.err;
    EXPECT_NE(run.out.find("\"files\":[]"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("stayed garbled"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("\"cleared\":false"), std::string::npos) << run.out;
    EXPECT_TRUE(std::filesystem::exists(Database() + "/KLTIMAGE")); // the memory as it came
}

TEST_F(KltDeviceSimulator, GenerationVDownloadedTwiceGivesEveryRideOnce) {
    const std::string port =
        StartSimulator({"--generation", "5", "--initials", "ABC", "--rides", "2", "--ride-minutes", "5"});
    ASSERT_FALSE(port.empty());
    std::filesystem::create_directories(Database());
    const TRun first = Klt("device download --type 5 --port " + port + " --json");
    ASSERT_EQ(first.status, 0) << first.out << first.err;
    const TRun again = Klt("device download --type 5 --port " + port + " --json");
    ASSERT_EQ(again.status, 0) << again.out << again.err;
    EXPECT_NE(again.out.find("\"files\":[]"), std::string::npos) << again.out;
    EXPECT_NE(again.out.find("\"skipped_known\":2"), std::string::npos) << again.out;
    EXPECT_NE(again.out.find("\"incomplete\":[]"), std::string::npos) << again.out;
}

TEST_F(KltDeviceSimulator, ABusyGeneration7IsWaitedForAndALockedGenerationIVOpenedWithItsPassword) {
    const std::string socket = StartUsbSimulator(
        {"--generation", "7", "--rides", "1", "--ride-minutes", "3", "--reply-delay", "0", "--fault", "busy=10"});
    ASSERT_FALSE(socket.empty());
    const TRun busy = test::RunKlt(dir_,
                                   "KLT_USB_SIM=" + socket + " KLT_CONFIG=" + dir_.File("cfg/KLTWIN.CFG") +
                                       " KLT_DATABASE=" + Database(),
                                   "device download --type 7 --json");
    ASSERT_EQ(busy.status, 0) << busy.out << busy.err;
    EXPECT_NE(busy.out.find("\"incomplete\":[]"), std::string::npos) << busy.out;
    EXPECT_NE(busy.err.find("Veltrak busy"), std::string::npos) << busy.err;
    TearDown();

    const std::string port = StartSimulator(
        {"--generation", "4", "--password", "4711", "--rides", "1", "--ride-minutes", "3"});
    ASSERT_FALSE(port.empty());
    const TRun locked = Klt("device download --type 4 --port " + port + " --password 4711 --json");
    ASSERT_EQ(locked.status, 0) << locked.out << locked.err;
    EXPECT_NE(locked.out.find(Database()), std::string::npos) << locked.out;
    EXPECT_EQ(Klt("device download --type 5 --port " + port + " --password 4711").status, 2);
}

TEST_F(KltDeviceSimulator, DownloadOptionsAreChecked) {
    EXPECT_EQ(Klt("device download").status, 2);
    EXPECT_EQ(Klt("device download --type 8").status, 2);
    EXPECT_EQ(Klt("device download --type 6 --all").status, 2);
    EXPECT_EQ(Klt("device download --type 4 --select --port /dev/null").status, 2);
    EXPECT_EQ(Klt("device download --type 6 --port /dev/null").status, 2);
}

TEST_F(KltDeviceSimulator, LiveValuesOfAGeneration7HeadUnitAsJsonLines) {
    const std::string socket = StartUsbSimulator({"--generation", "7"});
    ASSERT_FALSE(socket.empty());
    const std::string environment =
        "KLT_USB_SIM=" + socket + " KLT_CONFIG=" + dir_.File("cfg/KLTWIN.CFG") + " KLT_DATABASE=" + Database();
    const TRun run = test::RunKlt(dir_, environment, "live --type 7 --seconds 2 --json");
    ASSERT_EQ(run.status, 0) << run.err;
    std::istringstream lines(run.out);
    std::string line;
    int sets = 0;
    while (std::getline(lines, line)) {
        const nlohmann::json set = nlohmann::json::parse(line);
        for (const char* key : {"time", "rider", "power", "cadence", "heart_rate", "speed"}) {
            EXPECT_TRUE(set.contains(key)) << key << " in " << line;
        }
        EXPECT_EQ(set["raw"]["temperature"], 215) << line;
        ++sets;
    }
    EXPECT_GE(sets, 2) << run.out; // twice a second for two seconds, whatever the machine's load
    EXPECT_TRUE(std::filesystem::exists(Database() + "/ErgoFiles/Testwerte.txt"));

    // Ctrl+C ends it cleanly too
    const TRun interrupted =
        test::RunKlt(dir_, environment + " timeout --preserve-status -s INT 1.5", "live --type 7");
    EXPECT_EQ(interrupted.status, 0) << interrupted.err;
    EXPECT_NE(interrupted.out.find(" rider 1 "), std::string::npos) << interrupted.out;

    EXPECT_EQ(test::RunKlt(dir_, environment, "live --type 7 --telemetry").status, 2); // telemetry is serial
}

TEST_F(KltDeviceSimulator, LiveTelemetryOfTwoRiders) {
    ASSERT_FALSE(StartUsbSimulator({"--generation", "7", "--ergometer", "--speedup", "5", "--telemetry", "2"}).empty());
    const std::string telemetry = sim_->FirstLine();
    ASSERT_EQ(telemetry.rfind("PORT ", 0), 0u) << telemetry;
    const TRun run = Klt("live --type 5 --telemetry --port " + telemetry.substr(5, telemetry.size() - 6) +
                         " --seconds 2 --json");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find(R"("rider":1)"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find(R"("rider":2)"), std::string::npos) << run.out;
}

} // namespace
} // namespace klt
