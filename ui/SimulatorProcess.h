#pragma once
// The head-unit simulator as a child of the window program, so that the program can be shown and
// tried without a head unit: klt-sim serves a USB head unit on a socket and says where.
#include <QProcess>
#include <QStringList>
#include <string>

namespace klt {

// The socket path of the simulator's "USB <path>" line; empty when the line is not one.
std::string UsbSocketPathOf(const std::string& line);

class TSimulatorProcess {
public:
    // Starts `program` and waits for its first line; std::runtime_error when it does not start or
    // names no USB socket.
    TSimulatorProcess(const QString& program, const QStringList& arguments);
    // Ends the simulator: its input closes, which lets it stop by itself; killed when it does not.
    ~TSimulatorProcess();
    TSimulatorProcess(const TSimulatorProcess&) = delete;
    TSimulatorProcess& operator=(const TSimulatorProcess&) = delete;

    const std::string& SocketPath() const { return socketPath_; }

private:
    void Stop();

    QProcess process_;
    std::string socketPath_;
};

} // namespace klt
