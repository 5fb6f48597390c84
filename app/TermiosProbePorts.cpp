#include "app/TermiosProbePorts.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace klt {
namespace {

// Read time-out of one byte: 2 ms per byte plus 50 ms; write: 50 ms per byte plus 50 ms.
constexpr int kReadTimeoutMs = 52;
constexpr int kWriteTimeoutMs = 100;

speed_t Speed(int baud) {
    switch (baud) {
    case 4800:
        return B4800;
    case 19200:
        return B19200;
    default:
        return B9600;
    }
}

class TTermiosProbePort : public IProbePort {
public:
    explicit TTermiosProbePort(int fd) : fd_(fd) {}
    ~TTermiosProbePort() override {
        ::tcflush(fd_, TCIOFLUSH); // nothing left to drain: closing never waits for the line
        ::close(fd_);
    }
    TTermiosProbePort(const TTermiosProbePort&) = delete;
    TTermiosProbePort& operator=(const TTermiosProbePort&) = delete;

    bool Configure(int baud) override {
        termios settings{};
        if (::tcgetattr(fd_, &settings) != 0) {
            return false;
        }
        ::cfmakeraw(&settings);
        settings.c_cflag |= CLOCAL | CREAD;
        settings.c_cflag &= ~static_cast<tcflag_t>(CSTOPB | PARENB | CRTSCTS);
        ::cfsetispeed(&settings, Speed(baud));
        ::cfsetospeed(&settings, Speed(baud));
        if (::tcsetattr(fd_, TCSANOW, &settings) != 0) {
            return false;
        }
        ::tcflush(fd_, TCIOFLUSH);
        return true;
    }

    void SetBaud(int baud) override {
        termios settings{};
        if (::tcgetattr(fd_, &settings) == 0) {
            ::cfsetispeed(&settings, Speed(baud));
            ::cfsetospeed(&settings, Speed(baud));
            ::tcsetattr(fd_, TCSANOW, &settings);
        }
    }

    void SendBreak(int milliseconds) override {
        if (::ioctl(fd_, TIOCSBRK) == 0) {
            ::usleep(static_cast<useconds_t>(milliseconds) * 1000);
            ::ioctl(fd_, TIOCCBRK);
        }
    }

    bool WriteByte(uint8_t byte) override {
        pollfd ready{fd_, POLLOUT, 0};
        return ::poll(&ready, 1, kWriteTimeoutMs) == 1 && (ready.revents & POLLOUT) != 0 &&
               ::write(fd_, &byte, 1) == 1;
    }

    std::optional<uint8_t> ReadByte() override {
        pollfd ready{fd_, POLLIN, 0};
        uint8_t byte = 0;
        if (::poll(&ready, 1, kReadTimeoutMs) == 1 && (ready.revents & POLLIN) != 0 &&
            ::read(fd_, &byte, 1) == 1) {
            return byte;
        }
        return std::nullopt;
    }

private:
    int fd_;
};

} // namespace

std::unique_ptr<IProbePort> TTermiosProbePorts::Open(int index) {
    const std::string path = prefix_ + std::to_string(index);
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return nullptr;
    }
    if (!::isatty(fd)) {
        ::close(fd);
        return nullptr;
    }
    return std::make_unique<TTermiosProbePort>(fd);
}

} // namespace klt
