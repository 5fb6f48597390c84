#pragma once
// klt-sim started by `klt` itself (from the folder klt runs from), for commands that ride against
// the simulated ergometer. It serves until klt closes its standard input, which the destructor
// does; a simulator that does not end then is killed.
#include <string>
#include <sys/types.h>
#include <vector>

namespace klt::cli {

class TSimulatorChild {
public:
    // Starts klt-sim with `arguments` and waits for the socket of its USB head unit. Throws
    // klt::Exception when it cannot be started or names no socket.
    explicit TSimulatorChild(const std::vector<std::string>& arguments);
    ~TSimulatorChild();
    TSimulatorChild(const TSimulatorChild&) = delete;
    TSimulatorChild& operator=(const TSimulatorChild&) = delete;

    const std::string& UsbSocket() const { return usbSocket_; }

private:
    // One line of the simulator's output, waiting at most 10 s; empty at its end.
    std::string ReadLine();
    void End();

    pid_t pid_ = -1;
    int input_ = -1;
    int output_ = -1;
    std::string usbSocket_;
};

} // namespace klt::cli
