// klt-sim as scripts use it: "PORT <path>" first, serving until stdin closes or a signal comes.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <poll.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "SerialTestPort.h"
#include "tests/support/SimProcess.h"

namespace klt::sim {
namespace {

using klt::test::SlavePath;
using klt::test::TSimProcess;

TEST(SimExecutableTest, PrintsThePortFirstServesAndEndsWhenStdinCloses) {
    TSimProcess sim({"--generation", "5", "--firmware", "0x430A", "--rides", "1", "--ride-minutes", "2"});
    const std::string line = sim.FirstLine();
    ASSERT_EQ(line.rfind("PORT /dev/", 0), 0u) << line;
    {
        test::TSerialTestPort port(SlavePath(line), 9600);
        ASSERT_TRUE(port.IsOpen());
        port.Write(test::FramedTelegram('P'));
        EXPECT_EQ(port.ReadThrough(0x03), (std::vector<uint8_t>{0x02, 'P', '4', '3', '0', ':', 0x03}));
    }
    sim.CloseInput();
    EXPECT_EQ(sim.Exit(10), 0);
}

TEST(SimExecutableTest, EndsOnSigtermAndSigint) {
    for (const int signal : {SIGTERM, SIGINT}) {
        TSimProcess sim({"--generation", "4", "--rides", "0"});
        ASSERT_EQ(sim.FirstLine().rfind("PORT ", 0), 0u);
        sim.Signal(signal);
        EXPECT_EQ(sim.Exit(10), 0) << signal;
    }
}

TEST(SimExecutableTest, StartedInTheBackgroundItServesUntilSignalled) {
    const std::string out = ::testing::TempDir() + "klt-sim-background.txt";
    const std::string command =
        std::string(KLT_BIN_DIR) + "/klt-sim --generation 4 --rides 0 </dev/null >" + out +
        " 2>&1 & pid=$!; for i in $(seq 100); do grep -q PORT " + out +
        " && break; sleep 0.1; done; sleep 0.5; kill -0 $pid && kill -TERM $pid && wait $pid";
    EXPECT_EQ(std::system(("sh -c '" + command + "'").c_str()), 0);
}

TEST(SimExecutableTest, AnErgometerWithTelemetryPrintsItsSocketAndThenItsPort) {
    TSimProcess sim({"--generation", "7", "--ergometer", "--rider", "sprint", "--speedup", "20", "--telemetry",
                     "2", "--encoding", "text", "--seed", "3", "--fault", "rider-ff=2"});
    ASSERT_EQ(sim.FirstLine().rfind("USB /", 0), 0u);
    const std::string port = sim.FirstLine();
    ASSERT_EQ(port.rfind("PORT /dev/", 0), 0u) << port;
    {
        test::TSerialTestPort telemetry(SlavePath(port), 9600);
        ASSERT_TRUE(telemetry.IsOpen());
        const std::vector<uint8_t> frame = telemetry.ReadThrough(0x03, 2000);
        ASSERT_EQ(frame.size(), 32u); // 0x02, 15 bytes as characters, 0x03
        EXPECT_EQ(frame.front(), 0x02);
    }
    sim.CloseInput();
    EXPECT_EQ(sim.Exit(10), 0);
}

TEST(SimExecutableTest, UsageErrorsExitWithTwo) {
    TSimProcess sim({"--generation", "5", "--fault", "lightning=1"});
    EXPECT_EQ(sim.Exit(10), 2);
}

} // namespace
} // namespace klt::sim
