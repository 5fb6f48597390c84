// klt-sim: a head unit on a pseudo-terminal for developing, testing and demonstrating the
// download without one. Prints "PORT <slave path>" first (generations 6 and 7, which sit behind USB:
// "USB <socket path>") and serves until told to stop.
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include "tools/sim/HeadUnitSimulator.h"

namespace {

volatile std::sig_atomic_t stopRequested = 0;
void OnSignal(int) {
    stopRequested = 1;
}

// A script that starts the simulator in the background hands it /dev/null as standard input;
// its end means nothing then, and only a signal stops the simulator.
bool InputIsNull() {
    struct stat input {
    }, null{};
    return fstat(STDIN_FILENO, &input) == 0 && stat("/dev/null", &null) == 0 && S_ISCHR(input.st_mode) &&
           input.st_rdev == null.st_rdev;
}

// Until SIGTERM, SIGINT or the end of standard input.
void WaitForStop() {
    if (InputIsNull()) {
        while (!stopRequested) {
            poll(nullptr, 0, 200);
        }
        return;
    }
    while (!stopRequested) {
        pollfd input{STDIN_FILENO, POLLIN, 0};
        const int ready = poll(&input, 1, 200);
        if (ready < 0 && errno != EINTR) {
            return;
        }
        if (ready > 0) {
            char buffer[256];
            const ssize_t count = read(STDIN_FILENO, buffer, sizeof buffer);
            if (count == 0 || (count < 0 && errno != EINTR && errno != EAGAIN)) {
                return;
            }
        }
    }
}

} // namespace

int main(int argc, char** argv) {
    klt::sim::TSimOptions options;
    try {
        bool help = false;
        options = klt::sim::ParseSimArguments(std::vector<std::string>(argv + 1, argv + argc), help);
        if (help) {
            std::fputs(klt::sim::SimUsageText().c_str(), stdout);
            return 0;
        }
    } catch (const klt::sim::ESimUsage& e) {
        std::fprintf(stderr, "klt-sim: %s\nTry 'klt-sim --help'.\n", e.what());
        return 2;
    }
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
    try {
        klt::sim::THeadUnitSimulator simulator(options);
        simulator.Start();
        if (options.generation >= 6) {
            std::printf("USB %s\n", simulator.SocketPath().c_str());
            if (!simulator.TelemetryPath().empty()) {
                std::printf("PORT %s\n", simulator.TelemetryPath().c_str());
            }
        } else {
            std::printf("PORT %s\n", simulator.SlavePath().c_str());
        }
        std::fflush(stdout);
        WaitForStop();
        simulator.Stop();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "klt-sim: %s\n", e.what());
        return 1;
    }
    return 0;
}
