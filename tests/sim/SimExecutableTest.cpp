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

namespace klt::sim {
namespace {

class TSimProcess {
public:
    explicit TSimProcess(std::vector<std::string> args) {
        int in[2], out[2];
        if (pipe(in) != 0 || pipe(out) != 0) {
            return;
        }
        pid_ = fork();
        if (pid_ == 0) {
            dup2(in[0], STDIN_FILENO);
            dup2(out[1], STDOUT_FILENO);
            close(in[1]);
            close(out[0]);
            const std::string program = std::string(KLT_BIN_DIR) + "/klt-sim";
            std::vector<char*> argv = {const_cast<char*>(program.c_str())};
            for (auto& a : args) {
                argv.push_back(a.data());
            }
            argv.push_back(nullptr);
            execv(program.c_str(), argv.data());
            _exit(127);
        }
        close(in[0]);
        close(out[1]);
        stdin_ = in[1];
        stdout_ = out[0];
    }
    ~TSimProcess() {
        CloseInput();
        if (stdout_ >= 0) {
            close(stdout_);
        }
        if (pid_ > 0 && !WaitExit(0)) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
    }

    // The first line of standard output, waiting at most 10 s.
    std::string FirstLine() {
        std::string line;
        while (line.empty() || line.back() != '\n') {
            pollfd fd{stdout_, POLLIN, 0};
            char c = 0;
            if (poll(&fd, 1, 10000) <= 0 || read(stdout_, &c, 1) != 1) {
                break;
            }
            line += c;
        }
        return line;
    }
    void CloseInput() {
        if (stdin_ >= 0) {
            close(stdin_);
            stdin_ = -1;
        }
    }
    void Signal(int signal) { kill(pid_, signal); }
    // The exit status, or -1 while it still runs after `seconds`.
    int Exit(int seconds) { return WaitExit(seconds) ? status_ : -1; }

private:
    bool WaitExit(int seconds) {
        if (exited_) {
            return true;
        }
        for (int tick = 0; tick <= seconds * 20; ++tick) {
            int status = 0;
            if (waitpid(pid_, &status, WNOHANG) == pid_) {
                exited_ = true;
                status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return false;
    }

    pid_t pid_ = -1;
    int stdin_ = -1, stdout_ = -1;
    bool exited_ = false;
    int status_ = -1;
};

std::string SlavePath(const std::string& line) {
    return line.substr(5, line.size() - 6);
}

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

TEST(SimExecutableTest, UsageErrorsExitWithTwo) {
    TSimProcess sim({"--generation", "5", "--fault", "lightning=1"});
    EXPECT_EQ(sim.Exit(10), 2);
}

} // namespace
} // namespace klt::sim
