#pragma once
// The klt-sim executable run as a child process, as scripts use it: its first output line is
// "PORT <path>"; it serves until its standard input closes or a signal comes.
#include <chrono>
#include <csignal>
#include <poll.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace klt::test {

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

// The pseudo-terminal path of a "PORT <path>" line.
inline std::string SlavePath(const std::string& portLine) {
    return portLine.substr(5, portLine.size() - 6);
}

} // namespace klt::test
