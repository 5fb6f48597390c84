#include "device/transport/SimFtdiLink.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "device/SimFtdiProtocol.h"

namespace klt {
namespace {

using TClock = std::chrono::steady_clock;

bool SendAll(int fd, const uint8_t* bytes, size_t count) {
    while (count > 0) {
        const ssize_t n = ::send(fd, bytes, count, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        bytes += n;
        count -= static_cast<size_t>(n);
    }
    return true;
}

int MillisecondsUntil(TClock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - TClock::now()).count();
    return static_cast<int>(std::clamp<int64_t>(left, 0, 60000));
}

uint8_t ParityLetter(int parity) {
    // The driver library's codes: 0 none, 1 odd, 2 even, 3 mark, 4 space.
    static constexpr uint8_t kLetters[] = {'N', 'O', 'E', 'M', 'S'};
    return parity >= 0 && parity < 5 ? kLetters[parity] : 'N';
}

} // namespace

TSimFtdiLink::~TSimFtdiLink() {
    Release(TState::closed);
}

void TSimFtdiLink::Release(TState next) {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    state_ = next;
    inbound_.clear();
    received_.clear();
}

void TSimFtdiLink::Lose() {
    Release(TState::lost);
}

TFtStatus TSimFtdiLink::Usable() const {
    switch (state_) {
    case TState::open:
        return FT_OK;
    case TState::lost:
        return FT_IO_ERROR;
    default:
        return FT_INVALID_HANDLE;
    }
}

TSimFtdiLink::TArrival TSimFtdiLink::NextFrame(int fd, TBytes& inbound, TTime deadline, uint8_t& type,
                                               TBytes& payload) {
    for (;;) {
        if (inbound.size() >= kSimHeaderSize) {
            const size_t length = size_t{inbound[1]} << 8 | inbound[2];
            if (length > kSimMaxPayload) {
                return TArrival::ended; // no head unit speaks like that
            }
            if (inbound.size() >= kSimHeaderSize + length) {
                type = inbound[0];
                payload.assign(inbound.begin() + kSimHeaderSize, inbound.begin() + static_cast<long>(kSimHeaderSize + length));
                inbound.erase(inbound.begin(), inbound.begin() + static_cast<long>(kSimHeaderSize + length));
                return TArrival::frame;
            }
        }
        pollfd ready{fd, POLLIN, 0};
        const int result = ::poll(&ready, 1, MillisecondsUntil(deadline));
        if (result < 0 && errno == EINTR) {
            continue;
        }
        if (result < 0) {
            return TArrival::ended;
        }
        if (result == 0) {
            return TArrival::nothing;
        }
        uint8_t chunk[4096];
        const ssize_t n = ::recv(fd, chunk, sizeof chunk, 0);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return TArrival::ended;
        }
        inbound.insert(inbound.end(), chunk, chunk + n);
    }
}

int TSimFtdiLink::Connect(std::string& description, TBytes& inbound) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (socketPath_.size() >= sizeof(address.sun_path)) {
        return -1;
    }
    std::memcpy(address.sun_path, socketPath_.c_str(), socketPath_.size() + 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return -1;
    }
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0) {
        ::close(fd);
        return -1;
    }
    inbound.clear();
    uint8_t type = 0;
    TBytes payload;
    const TTime deadline = TClock::now() + std::chrono::milliseconds(kGreetingMs);
    if (NextFrame(fd, inbound, deadline, type, payload) != TArrival::frame || type != kSimIdentity) {
        ::close(fd);
        return -1;
    }
    description.assign(payload.begin(), payload.end());
    return fd;
}

TSimFtdiLink::TArrival TSimFtdiLink::Receive(size_t wanted, TTime deadline) {
    uint8_t type = 0;
    TBytes payload;
    while (received_.size() < wanted) {
        const TArrival arrival = NextFrame(fd_, inbound_, deadline, type, payload);
        if (arrival != TArrival::frame) {
            return arrival;
        }
        if (type == kSimData) { // other types carry nothing for this side yet
            const size_t room = kReceiveQueueLimit - std::min(received_.size(), kReceiveQueueLimit);
            received_.insert(received_.end(), payload.begin(), payload.begin() + static_cast<long>(std::min(room, payload.size())));
        }
    }
    return TArrival::frame;
}

TFtStatus TSimFtdiLink::Send(uint8_t type, const TBytes& payload) {
    if (const TFtStatus status = Usable(); status != FT_OK) {
        return status;
    }
    TBytes frame = {type, static_cast<uint8_t>(payload.size() >> 8), static_cast<uint8_t>(payload.size())};
    frame.insert(frame.end(), payload.begin(), payload.end());
    if (!SendAll(fd_, frame.data(), frame.size())) {
        Lose();
        return FT_IO_ERROR;
    }
    return FT_OK;
}

TFtStatus TSimFtdiLink::DeviceCount(int& count) {
    descriptions_.clear();
    count = 0;
    if (state_ == TState::open) { // plugged in and ours: listed without asking again
        descriptions_.push_back(description_);
        count = 1;
        return FT_OK;
    }
    std::string description;
    TBytes inbound;
    const int fd = Connect(description, inbound);
    if (fd < 0) {
        return FT_DEVICE_NOT_FOUND;
    }
    ::close(fd);
    descriptions_.push_back(description);
    count = 1;
    return FT_OK;
}

TFtStatus TSimFtdiLink::DeviceDescription(int index, std::string& description) {
    if (descriptions_.empty()) {
        int count = 0;
        if (const TFtStatus status = DeviceCount(count); status != FT_OK) {
            return status;
        }
    }
    if (index < 0 || static_cast<size_t>(index) >= descriptions_.size()) {
        return FT_DEVICE_NOT_FOUND;
    }
    description = descriptions_[static_cast<size_t>(index)];
    return FT_OK;
}

TFtStatus TSimFtdiLink::OpenByDescription(const std::string& description) {
    if (state_ == TState::open) {
        return FT_DEVICE_NOT_OPENED; // one handle at a time
    }
    Release(TState::closed);
    std::string named;
    const int fd = Connect(named, inbound_);
    if (fd < 0) {
        return FT_DEVICE_NOT_FOUND;
    }
    if (named != description) {
        ::close(fd);
        inbound_.clear();
        return FT_DEVICE_NOT_FOUND;
    }
    fd_ = fd;
    description_ = named;
    state_ = TState::open;
    return FT_OK;
}

TFtStatus TSimFtdiLink::Close() {
    if (state_ == TState::closed) {
        return FT_INVALID_HANDLE;
    }
    Release(TState::closed);
    return FT_OK;
}

TFtStatus TSimFtdiLink::ResetDevice() {
    const TFtStatus status = Send(kSimReset);
    received_.clear();
    return status;
}

TFtStatus TSimFtdiLink::PurgeTransmit() {
    return Send(kSimPurge, {kSimPurgeTransmit});
}

TFtStatus TSimFtdiLink::PurgeReceive() {
    const TFtStatus status = Send(kSimPurge, {kSimPurgeReceive});
    if (status == FT_OK && Receive(kReceiveQueueLimit, TClock::now()) == TArrival::ended) {
        Lose();
        return FT_IO_ERROR;
    }
    received_.clear();
    return status;
}

TFtStatus TSimFtdiLink::SetBreak(bool on) {
    return Send(kSimBreak, {static_cast<uint8_t>(on ? 1 : 0)});
}

TFtStatus TSimFtdiLink::SetBaudRate(int baud) {
    const auto value = static_cast<uint32_t>(baud);
    return Send(kSimBaudRate, {static_cast<uint8_t>(value >> 24), static_cast<uint8_t>(value >> 16),
                               static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value)});
}

TFtStatus TSimFtdiLink::SetDataCharacteristics(int dataBits, int stopBits, int parity) {
    // The driver library counts one stop bit as 0 and two as 2.
    return Send(kSimLineFormat, {static_cast<uint8_t>(dataBits), static_cast<uint8_t>(stopBits == 2 ? 2 : 1),
                                 ParityLetter(parity)});
}

TFtStatus TSimFtdiLink::SetFlowControlNone(uint8_t /*xon*/, uint8_t /*xoff*/) {
    return Usable(); // a socket has no handshake lines to switch off
}

TFtStatus TSimFtdiLink::SetTimeouts(int readMs, int /*writeMs: the socket takes every write at once*/) {
    readTimeoutMs_ = std::max(readMs, 0);
    return Usable();
}

TFtStatus TSimFtdiLink::QueueStatus(size_t& waiting) {
    waiting = 0;
    if (const TFtStatus status = Usable(); status != FT_OK) {
        return status;
    }
    if (Receive(kReceiveQueueLimit, TClock::now()) == TArrival::ended) {
        Lose();
        return FT_IO_ERROR;
    }
    waiting = received_.size();
    return FT_OK;
}

TFtStatus TSimFtdiLink::Write(const uint8_t* bytes, size_t count, size_t& written) {
    written = 0;
    while (written < count) {
        const size_t chunk = std::min(count - written, kSimMaxPayload);
        if (const TFtStatus status = Send(kSimData, TBytes(bytes + written, bytes + written + chunk)); status != FT_OK) {
            written = 0;
            return status;
        }
        written += chunk;
    }
    return Usable();
}

TFtStatus TSimFtdiLink::Read(uint8_t* bytes, size_t count, size_t& read) {
    read = 0;
    if (const TFtStatus status = Usable(); status != FT_OK) {
        return status;
    }
    const TTime deadline = TClock::now() + std::chrono::milliseconds(readTimeoutMs_);
    const TArrival arrival = Receive(count, deadline);
    if (arrival == TArrival::ended && received_.empty()) {
        Lose();
        return FT_IO_ERROR;
    }
    read = std::min(count, received_.size());
    std::copy_n(received_.begin(), read, bytes);
    received_.erase(received_.begin(), received_.begin() + static_cast<long>(read));
    if (arrival == TArrival::ended) {
        Lose(); // what came before the end is still delivered
    }
    return FT_OK;
}

TFtStatus TSimFtdiLink::SetBitMode(uint8_t mask, uint8_t mode) {
    return Send(kSimBitMode, {mask, mode});
}

TFtStatus TSimFtdiLink::CyclePort() {
    const TFtStatus status = Send(kSimCycle);
    if (status == FT_OK) {
        Release(TState::closed);
    }
    return status;
}

} // namespace klt
