#include "device/transport/TermiosSerialLine.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>
#include <vector>

#include "core/Texts.h"
#include "device/VeltrakErrors.h"
#include "device/transport/PortTexts.h"

namespace klt {
namespace {

using TClock = std::chrono::steady_clock;

constexpr int kFlushBoundMs = 2000;

speed_t Speed(int baudRate) {
    switch (baudRate) {
    case 2400:
        return B2400;
    case 4800:
        return B4800;
    case 9600:
        return B9600;
    case 19200:
        return B19200;
    case 38400:
        return B38400;
    case 57600:
        return B57600;
    case 115200:
        return B115200;
    default:
        throw EVeltrakComError("Baud rate " + std::to_string(baudRate) + " is not supported");
    }
}

tcflag_t CharacterSize(int dataBits) {
    switch (dataBits) {
    case 5:
        return CS5;
    case 6:
        return CS6;
    case 7:
        return CS7;
    default:
        return CS8;
    }
}

// Milliseconds from now until deadline, never negative.
int Remaining(TClock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - TClock::now()).count();
    return static_cast<int>(std::clamp<int64_t>(left, 0, INT_MAX));
}

TClock::time_point After(int64_t ms) {
    return TClock::now() + std::chrono::milliseconds(ms);
}

} // namespace

TTermiosSerialLine::~TTermiosSerialLine() {
    Close();
}

void TTermiosSerialLine::Open(const std::string& path) {
    Close();
    path_ = path;
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT || errno == ENODEV || errno == ENXIO || errno == ENOTDIR) {
            throw EVeltrakComError(FormatText(kPortMissing, {Text()}));
        }
        if (errno == EBUSY) {
            throw EVeltrakComError(FormatText(kPortInUse, {Text()}));
        }
        Fail("open");
    }
    if (!::isatty(fd)) {
        ::close(fd);
        throw EVeltrakComError(FormatText(kPortMissing, {Text()}));
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        throw EVeltrakComError(FormatText(kPortInUse, {Text()}));
    }
    ::ioctl(fd, TIOCEXCL); // best effort: the lock above already keeps cooperating programs out
    fd_ = fd;
    termios current{};
    if (::tcgetattr(fd_, &current) != 0) {
        const int error = errno;
        Close();
        errno = error;
        Fail("tcgetattr");
    }
}

void TTermiosSerialLine::Close() {
    if (fd_ >= 0) {
        ::ioctl(fd_, TIOCNXCL);
        ::close(fd_); // releases the lock
        fd_ = -1;
    }
    marks_.Reset();
}

int TTermiosSerialLine::Handle() const {
    if (fd_ < 0) {
        throw EVeltrakComError(FormatText(LoadText(kTextPortNotExisting), {Text()}));
    }
    return fd_;
}

void TTermiosSerialLine::Fail(const char* call) const {
    throw EVeltrakComError(Text() + ": " + std::strerror(errno) + " (" + call + ")");
}

void TTermiosSerialLine::Configure(const TLineSettings& settings) {
    const int fd = Handle();
    termios tio{};
    if (::tcgetattr(fd, &tio) != 0) {
        Fail("tcgetattr");
    }
    ::cfmakeraw(&tio);
    tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | CSTOPB | PARENB | PARODD | CRTSCTS);
    tio.c_cflag |= CLOCAL | CREAD | CharacterSize(settings.dataBits);
    if (settings.stopBits == 2) {
        tio.c_cflag |= CSTOPB;
    }
    tio.c_iflag &= ~static_cast<tcflag_t>(IGNPAR | ISTRIP | INPCK | PARMRK | IXON | IXOFF);
    parityMarks_ = settings.parity != TParity::None;
    if (parityMarks_) {
        tio.c_cflag |= PARENB;
        if (settings.parity == TParity::Odd) {
            tio.c_cflag |= PARODD;
        }
        tio.c_iflag |= INPCK | PARMRK;
    }
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    const speed_t speed = Speed(settings.baudRate);
    ::cfsetispeed(&tio, speed);
    ::cfsetospeed(&tio, speed);
    if (::tcsetattr(fd, TCSANOW, &tio) != 0) {
        Fail("tcsetattr");
    }
    marks_.Reset();
}

void TTermiosSerialLine::SetTimeouts(const TLineTimeouts& timeouts) {
    Handle();
    timeouts_ = timeouts;
}

void TTermiosSerialLine::Purge() {
    if (::tcflush(Handle(), TCIOFLUSH) != 0) {
        Fail("tcflush");
    }
    marks_.Reset();
}

bool TTermiosSerialLine::SetBreak(bool on) {
    return ::ioctl(Handle(), on ? TIOCSBRK : TIOCCBRK) == 0;
}

size_t TTermiosSerialLine::Write(const uint8_t* bytes, size_t count) {
    const int fd = Handle();
    const int64_t total =
        int64_t{timeouts_.writePerByte} * static_cast<int64_t>(count) + timeouts_.writeConstant;
    const auto deadline = After(total);
    size_t done = 0;
    while (done < count) {
        const ssize_t n = ::write(fd, bytes + done, count - done);
        if (n > 0) {
            done += static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0 && errno != EAGAIN) {
            Fail("write");
        }
        pollfd wait{fd, POLLOUT, 0};
        const int ready = ::poll(&wait, 1, total > 0 ? Remaining(deadline) : -1);
        if (ready == 0) {
            break;
        }
        if (ready < 0 && errno != EINTR) {
            Fail("poll");
        }
    }
    return done;
}

void TTermiosSerialLine::Flush() {
    const int fd = Handle();
    const auto deadline = After(kFlushBoundMs);
    int queued = 0;
    while (::ioctl(fd, TIOCOUTQ, &queued) == 0 && queued > 0 && Remaining(deadline) > 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

size_t TTermiosSerialLine::Read(uint8_t* bytes, size_t count) {
    const int fd = Handle();
    const TLineTimeouts& t = timeouts_;
    const bool returnAtOnce = t.readInterval == kNoWaitInterval && t.readConstant == 0;
    const bool anyAtOnce = t.readInterval == kNoWaitInterval; // once something came, take it and go
    const int perByte = t.readPerByte == kNoWaitInterval ? 0 : t.readPerByte;
    const int64_t total = returnAtOnce ? 0 : int64_t{perByte} * static_cast<int64_t>(count) + t.readConstant;
    const auto deadline = After(total);
    std::vector<uint8_t> raw(count);
    size_t got = 0;
    while (got < count) {
        const ssize_t n = ::read(fd, raw.data(), count - got);
        if (n > 0) {
            const size_t length = static_cast<size_t>(n);
            if (parityMarks_) {
                got += marks_.Decode(raw.data(), length, bytes + got);
            } else {
                std::copy_n(raw.data(), length, bytes + got);
                got += length;
            }
            continue;
        }
        // With VMIN and VTIME zero a terminal reports "nothing yet" as 0 rather than EAGAIN.
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0 && errno != EAGAIN) {
            Fail("read");
        }
        if (returnAtOnce || (anyAtOnce && got > 0)) {
            break;
        }
        int wait = total > 0 ? Remaining(deadline) : -1;
        if (total > 0 && wait == 0) {
            break;
        }
        if (got > 0 && t.readInterval > 0) {
            wait = wait < 0 ? t.readInterval : std::min(wait, t.readInterval);
        }
        pollfd ready{fd, POLLIN, 0};
        const int result = ::poll(&ready, 1, wait);
        if (result == 0) {
            break;
        }
        if (result < 0 && errno != EINTR) {
            Fail("poll");
        }
        if (result > 0 && (ready.revents & POLLIN) == 0) {
            break; // hung up
        }
    }
    return got;
}

} // namespace klt
