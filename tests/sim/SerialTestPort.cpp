#include "SerialTestPort.h"

#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <termios.h>
#include <unistd.h>

namespace klt::sim::test {
namespace {

speed_t Speed(int baud) {
    switch (baud) {
    case 2400:
        return B2400;
    case 4800:
        return B4800;
    case 19200:
        return B19200;
    default:
        return B9600;
    }
}

} // namespace

TSerialTestPort::TSerialTestPort(const std::string& path, int baud, TParity parity) {
    fd_ = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (fd_ >= 0) {
        Configure(baud, parity);
    }
}

TSerialTestPort::~TSerialTestPort() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

void TSerialTestPort::Configure(int baud, TParity parity) {
    termios settings{};
    tcgetattr(fd_, &settings);
    cfmakeraw(&settings);
    settings.c_cflag &= ~tcflag_t(PARENB | PARODD);
    settings.c_iflag &= ~tcflag_t(INPCK);
    cfsetispeed(&settings, Speed(baud));
    cfsetospeed(&settings, Speed(baud));
    if (parity != TParity::None) {
        settings.c_cflag |= PARENB;
        settings.c_iflag |= INPCK;
        if (parity == TParity::Odd) {
            settings.c_cflag |= PARODD;
        }
    }
    settings.c_cc[VMIN] = 0;
    settings.c_cc[VTIME] = 0;
    tcsetattr(fd_, TCSANOW, &settings);
    tcflush(fd_, TCIOFLUSH);
}

void TSerialTestPort::Write(const std::vector<uint8_t>& bytes) {
    size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t count = ::write(fd_, bytes.data() + sent, bytes.size() - sent);
        if (count <= 0) {
            throw std::runtime_error("write to the simulated line failed");
        }
        sent += static_cast<size_t>(count);
    }
}

std::vector<uint8_t> TSerialTestPort::Read(size_t count, int timeoutMs) {
    std::vector<uint8_t> bytes;
    while (bytes.size() < count) {
        pollfd fd{fd_, POLLIN, 0};
        if (poll(&fd, 1, timeoutMs) <= 0) {
            break;
        }
        uint8_t chunk[256];
        const ssize_t got = ::read(fd_, chunk, std::min(sizeof chunk, count - bytes.size()));
        if (got <= 0) {
            break;
        }
        bytes.insert(bytes.end(), chunk, chunk + got);
    }
    return bytes;
}

std::vector<uint8_t> TSerialTestPort::ReadThrough(uint8_t last, int quietMs) {
    std::vector<uint8_t> bytes;
    while (bytes.empty() || bytes.back() != last) {
        const std::vector<uint8_t> next = Read(1, quietMs);
        if (next.empty()) {
            break;
        }
        bytes.push_back(next.front());
    }
    return bytes;
}

std::vector<uint8_t> TSerialTestPort::ReadUntilQuiet(int quietMs) {
    return Read(65536, quietMs);
}

std::vector<uint8_t> RegisterRequest(int reg, std::vector<uint8_t> data) {
    std::vector<uint8_t> request = {0x04, 0x30, 0x20, static_cast<uint8_t>(reg)};
    request.insert(request.end(), data.begin(), data.end());
    int sum = 0;
    for (size_t i = 2; i < request.size(); ++i) {
        sum += request[i];
    }
    request.push_back(static_cast<uint8_t>(-sum & 0xFF));
    return request;
}

std::vector<uint8_t> FramedTelegram(char command, const std::vector<uint8_t>& data) {
    std::vector<uint8_t> telegram = {0x02, static_cast<uint8_t>(command)};
    for (const uint8_t byte : data) {
        telegram.push_back(static_cast<uint8_t>((byte >> 4) + 0x30));
        telegram.push_back(static_cast<uint8_t>((byte & 0x0F) + 0x30));
    }
    telegram.push_back(0x03);
    return telegram;
}

} // namespace klt::sim::test
