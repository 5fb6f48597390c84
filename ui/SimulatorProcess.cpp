#include "ui/SimulatorProcess.h"

#include <stdexcept>

namespace klt {
namespace {

constexpr int kStartTimeoutMs = 10000;
constexpr int kStopTimeoutMs = 5000;

} // namespace

std::string UsbSocketPathOf(const std::string& line) {
    constexpr std::string_view prefix = "USB ";
    if (line.compare(0, prefix.size(), prefix) != 0) {
        return {};
    }
    std::string path = line.substr(prefix.size());
    while (!path.empty() && (path.back() == '\n' || path.back() == '\r')) {
        path.pop_back();
    }
    return path;
}

TSimulatorProcess::TSimulatorProcess(const QString& program, const QStringList& arguments) {
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process_.start(program, arguments);
    if (!process_.waitForStarted(kStartTimeoutMs)) {
        throw std::runtime_error("cannot start " + program.toStdString() + ": " +
                                 process_.errorString().toStdString());
    }
    while (!process_.canReadLine() && process_.state() == QProcess::Running &&
           process_.waitForReadyRead(kStartTimeoutMs)) {
    }
    socketPath_ = UsbSocketPathOf(process_.readLine().toStdString());
    if (socketPath_.empty()) {
        Stop();
        throw std::runtime_error(program.toStdString() + " named no USB head unit");
    }
}

TSimulatorProcess::~TSimulatorProcess() {
    Stop();
}

void TSimulatorProcess::Stop() {
    if (process_.state() == QProcess::NotRunning) {
        return;
    }
    process_.closeWriteChannel();
    if (!process_.waitForFinished(kStopTimeoutMs)) {
        process_.kill();
        process_.waitForFinished(kStopTimeoutMs);
    }
}

} // namespace klt
