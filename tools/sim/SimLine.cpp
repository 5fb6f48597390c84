#include "tools/sim/SimLine.h"

#include <bit>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/inotify.h>
#include <sys/ioctl.h>
#include <system_error>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace klt::sim {
namespace {

[[noreturn]] void ThrowSystem(const char* what) {
    throw std::system_error(errno, std::generic_category(), what);
}

speed_t SpeedConstant(int baud) {
    switch (baud) {
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

using TClock = std::chrono::steady_clock;

int RemainingMs(TClock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - TClock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

// The bit a parity-checking receiver expects after the eight data bits.
bool ParityBit(uint8_t byte, bool odd) {
    return (std::popcount(byte) % 2 == 1) != odd;
}

} // namespace

TSimLine::TSimLine(int headUnitBaud) : headUnitBaud_(headUnitBaud) {
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) {
        const int error = errno;
        if (master_ >= 0) {
            ::close(master_);
        }
        errno = error;
        ThrowSystem("pseudo-terminal");
    }
    char name[128];
    if (ptsname_r(master_, name, sizeof name) != 0 || pipe2(wake_, O_CLOEXEC | O_NONBLOCK) != 0) {
        const int error = errno;
        ::close(master_);
        errno = error;
        ThrowSystem("pseudo-terminal");
    }
    slavePath_ = name;
    slave_ = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    closes_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (closes_ >= 0) {
        inotify_add_watch(closes_, name, IN_CLOSE_WRITE | IN_CLOSE_NOWRITE);
    }
    // A raw line at the head unit's speed until the computer sets its own.
    termios settings{};
    if (slave_ >= 0 && tcgetattr(slave_, &settings) == 0) {
        cfmakeraw(&settings);
        cfsetispeed(&settings, SpeedConstant(headUnitBaud));
        cfsetospeed(&settings, SpeedConstant(headUnitBaud));
        tcsetattr(slave_, TCSANOW, &settings);
    }
}

// A computer that opened the port exclusively leaves the flag behind on a pseudo-terminal, which
// the pair outlives; a real port forgets it on the last close, so the head unit's side clears it.
void TSimLine::ReleaseAfterComputerClosed() {
    char events[4096];
    bool closed = false;
    while (::read(closes_, events, sizeof events) > 0) {
        closed = true;
    }
    if (closed && slave_ >= 0) {
        ioctl(slave_, TIOCNXCL);
    }
}

TSimLine::~TSimLine() {
    ::close(closes_);
    ::close(slave_);
    ::close(master_);
    ::close(wake_[0]);
    ::close(wake_[1]);
}

void TSimLine::Stop() {
    stopping_ = true;
    const uint8_t byte = 1;
    [[maybe_unused]] const auto written = ::write(wake_[1], &byte, 1);
}

// On Linux the master reports the slave's settings: what the computer last configured.
TSimLine::TComputerSide TSimLine::ComputerSide() const {
    TComputerSide side;
    termios settings{};
    if (tcgetattr(master_, &settings) != 0) {
        return side;
    }
    side.sameSpeed = cfgetospeed(&settings) == SpeedConstant(headUnitBaud_);
    // A pseudo-terminal clears PARENB whatever the computer asked for; parity checking (INPCK)
    // and PARODD survive and tell what its UART would be set to.
    side.parity = (settings.c_cflag & PARENB) != 0 || (settings.c_iflag & INPCK) != 0;
    side.oddParity = (settings.c_cflag & PARODD) != 0;
    side.ignoreParityErrors = (settings.c_iflag & IGNPAR) != 0;
    side.markParityErrors = (settings.c_iflag & PARMRK) != 0;
    return side;
}

bool TSimLine::WaitReadable(int timeoutMs) {
    pollfd fds[3] = {{master_, POLLIN, 0}, {wake_[0], POLLIN, 0}, {closes_, POLLIN, 0}};
    if (poll(fds, 3, timeoutMs) <= 0 || stopping_) {
        return false;
    }
    if (fds[2].revents & POLLIN) {
        ReleaseAfterComputerClosed();
    }
    if ((fds[0].revents & POLLIN) == 0) {
        // A close reported, or nobody holds the slave open (POLLHUP): nothing to read yet.
        std::this_thread::sleep_for(std::chrono::milliseconds(std::min(timeoutMs, 5)));
        return false;
    }
    return true;
}

std::optional<uint8_t> TSimLine::Receive(int timeoutMs) {
    const auto deadline = TClock::now() + std::chrono::milliseconds(timeoutMs);
    while (heard_.empty() && !stopping_) {
        if (!WaitReadable(RemainingMs(deadline))) {
            if (RemainingMs(deadline) == 0) {
                break;
            }
            continue;
        }
        uint8_t chunk[256];
        const ssize_t count = ::read(master_, chunk, sizeof chunk);
        if (count <= 0) {
            continue;
        }
        const TComputerSide side = ComputerSide();
        for (ssize_t i = 0; i < count; ++i) {
            // A parity bit of 0 where the head unit expects its stop bit is a framing error.
            const bool lost = !side.sameSpeed || (side.parity && !ParityBit(chunk[i], side.oddParity));
            if (lost) {
                ++garbled_;
            } else {
                heard_.push_back(chunk[i]);
            }
        }
    }
    if (heard_.empty() || stopping_) {
        return std::nullopt;
    }
    const uint8_t byte = heard_.front();
    heard_.pop_front();
    return byte;
}

void TSimLine::Send(const std::vector<uint8_t>& bytes) {
    const TComputerSide side = ComputerSide();
    std::vector<uint8_t> arriving;
    for (const uint8_t byte : bytes) {
        if (!side.sameSpeed) {
            ++garbled_;
            continue;
        }
        // The head unit's stop bit (1) is what a parity-checking computer takes for the parity bit.
        if (side.parity && !ParityBit(byte, side.oddParity)) {
            ++garbled_;
            if (side.ignoreParityErrors) {
                continue;
            }
            if (side.markParityErrors) {
                arriving.insert(arriving.end(), {0xFF, 0x00, byte});
            } else {
                arriving.push_back(0x00);
            }
            continue;
        }
        arriving.push_back(byte);
    }
    size_t sent = 0;
    while (sent < arriving.size() && !stopping_) {
        const ssize_t count = ::write(master_, arriving.data() + sent, arriving.size() - sent);
        if (count > 0) {
            sent += static_cast<size_t>(count);
            continue;
        }
        if (count < 0 && errno != EAGAIN && errno != EINTR) {
            return; // the line is gone; the computer will time out as with a pulled cable
        }
        pollfd fds[2] = {{master_, POLLOUT, 0}, {wake_[0], POLLIN, 0}};
        poll(fds, 2, 50);
    }
}

bool TSimLine::Pause(int ms) {
    if (ms > 0 && !stopping_) {
        pollfd fd{wake_[0], POLLIN, 0};
        poll(&fd, 1, ms);
    }
    return !stopping_;
}

} // namespace klt::sim
