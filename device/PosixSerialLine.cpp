// The serial backend: termios on a tty or pseudo-terminal, the driver's time-outs kept with poll().
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include "core/Texts.h"
#include "device/ProtocolLine.h"
#include "device/VeltrakErrors.h"

namespace klt {
namespace {

speed_t SpeedOf(int baudRate) {
    switch (baudRate) {
    case 2400:
        return B2400;
    case 4800:
        return B4800;
    case 19200:
        return B19200;
    case 38400:
        return B38400;
    default:
        return B9600;
    }
}

class TPosixSerialLine : public ISerialLine {
public:
    ~TPosixSerialLine() override { Close(); }

    void Open(const std::string& path) override {
        Close();
        fd_ = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (fd_ < 0) {
            throw EVeltrakComError(FormatText(errno == ENOENT ? "Port %s does not exist" : "%s: %s",
                                              {path, std::strerror(errno)}));
        }
        if (::ioctl(fd_, TIOCEXCL) != 0 && errno == EBUSY) {
            Close();
            throw EVeltrakComError(FormatText("Port %s is in use by another application", {path}));
        }
    }
    void Close() override {
        if (fd_ >= 0) {
            ::close(fd_);
            fd_ = -1;
        }
    }
    bool IsOpen() const override { return fd_ >= 0; }

    void Configure(const TLineSettings& settings) override {
        termios tio{};
        Check(::tcgetattr(fd_, &tio));
        ::cfmakeraw(&tio);
        tio.c_cflag |= CLOCAL | CREAD;
        tio.c_cflag &= ~static_cast<tcflag_t>(CSTOPB | PARENB | PARODD | CRTSCTS);
        if (settings.stopBits == 2) {
            tio.c_cflag |= CSTOPB;
        }
        if (settings.parity != TParity::None) {
            tio.c_cflag |= PARENB | (settings.parity == TParity::Odd ? PARODD : 0);
        }
        ::cfsetispeed(&tio, SpeedOf(settings.baudRate));
        ::cfsetospeed(&tio, SpeedOf(settings.baudRate));
        tio.c_cc[VMIN] = 0;
        tio.c_cc[VTIME] = 0;
        Check(::tcsetattr(fd_, TCSANOW, &tio));
    }
    void SetTimeouts(const TLineTimeouts& timeouts) override { timeouts_ = timeouts; }
    void Purge() override { ::tcflush(fd_, TCIOFLUSH); }
    bool SetBreak(bool on) override { return ::ioctl(fd_, on ? TIOCSBRK : TIOCCBRK) == 0; }

    size_t Write(const uint8_t* bytes, size_t count) override {
        const ssize_t n = ::write(fd_, bytes, count);
        if (n < 0) {
            if (errno == EAGAIN || errno == EINTR) {
                return 0;
            }
            Check(-1);
        }
        return static_cast<size_t>(n);
    }
    void Flush() override { ::tcdrain(fd_); }

    size_t Read(uint8_t* bytes, size_t count) override {
        using namespace std::chrono;
        const bool atOnce =
            timeouts_.readInterval == INT_MAX && timeouts_.readPerByte == 0 && timeouts_.readConstant == 0;
        const long long total = atOnce
                                    ? 0
                                    : timeouts_.readConstant + static_cast<long long>(timeouts_.readPerByte) *
                                                                   static_cast<long long>(count);
        const auto deadline = steady_clock::now() + milliseconds(total);
        size_t got = 0;
        while (got < count) {
            long long wait = duration_cast<milliseconds>(deadline - steady_clock::now()).count();
            if (got > 0 && timeouts_.readInterval > 0 && timeouts_.readInterval < wait) {
                wait = timeouts_.readInterval;
            }
            pollfd p{fd_, POLLIN, 0};
            const int ready = ::poll(&p, 1, static_cast<int>(std::max(wait, 0LL)));
            if (ready <= 0) {
                break;
            }
            const ssize_t n = ::read(fd_, bytes + got, count - got);
            if (n <= 0) {
                if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
                    continue;
                }
                break; // the other side closed, as an unplugged cable would
            }
            got += static_cast<size_t>(n);
        }
        return got;
    }

private:
    static void Check(int result) {
        if (result != 0) {
            throw EVeltrakComError(std::strerror(errno));
        }
    }

    int fd_ = -1;
    TLineTimeouts timeouts_;
};

} // namespace

std::unique_ptr<ISerialLine> CreateSerialLine() {
    return std::make_unique<TPosixSerialLine>();
}

} // namespace klt
