#include "cli/SimulatorChild.h"

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "core/Exceptions.h"

extern char** environ;

namespace klt::cli {
namespace {

constexpr int kLineWaitMs = 10'000;
constexpr auto kExitWait = std::chrono::seconds(3);

std::string SimulatorProgram() {
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    return (error ? std::filesystem::path("klt-sim") : self.parent_path() / "klt-sim").string();
}

} // namespace

TSimulatorChild::TSimulatorChild(const std::vector<std::string>& arguments) {
    int in[2], out[2];
    if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0) {
        throw Exception("The simulator cannot be started: no pipe.");
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    const std::string program = SimulatorProgram();
    std::vector<std::string> words = {program};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);
    // A group of its own: Ctrl+C in the terminal reaches klt alone, which still needs the
    // simulated head unit to release its brake and then ends the simulator itself.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attributes, 0);
    const int spawned = posix_spawn(&pid_, program.c_str(), &actions, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    close(in[0]);
    close(out[1]);
    input_ = in[1];
    output_ = out[0];
    if (spawned != 0) {
        pid_ = -1;
        End();
        throw Exception("The simulator " + program + " cannot be started.");
    }
    for (std::string line = ReadLine(); !line.empty(); line = ReadLine()) {
        if (line.rfind("USB ", 0) == 0) {
            usbSocket_ = line.substr(4);
            return;
        }
    }
    End();
    throw Exception("The simulator " + program + " named no USB head unit.");
}

TSimulatorChild::~TSimulatorChild() { End(); }

std::string TSimulatorChild::ReadLine() {
    std::string line;
    for (;;) {
        pollfd ready{output_, POLLIN, 0};
        char c = 0;
        if (poll(&ready, 1, kLineWaitMs) <= 0 || read(output_, &c, 1) != 1 || c == '\n') {
            return line;
        }
        line += c;
    }
}

void TSimulatorChild::End() {
    if (input_ >= 0) {
        close(input_);
        input_ = -1;
    }
    if (output_ >= 0) {
        close(output_);
        output_ = -1;
    }
    if (pid_ <= 0) {
        return;
    }
    const auto deadline = std::chrono::steady_clock::now() + kExitWait;
    while (waitpid(pid_, nullptr, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    pid_ = -1;
}

} // namespace klt::cli
