#include "tools/sim/UsbSimServer.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <system_error>
#include <unistd.h>

#include "tools/sim/RequestHeadUnit.h"

namespace klt::sim {
namespace {

// Request codes and statuses of the socket's frames.
enum : uint8_t {
    kList = 1,
    kOpen,
    kClose,
    kReset,
    kPurge,
    kBreak,
    kBaudRate,
    kLineFormat,
    kFlowNone,
    kWrite,
    kRead,
    kQueueStatus,
    kBitMode,
    kCycle,
};
enum : uint8_t { kOk = 0, kInvalidHandle = 1, kDeviceNotFound = 2, kDeviceNotOpened = 3, kIoError = 4 };
constexpr uint8_t kPurgeReceive = 2;
constexpr uint32_t kMaxPayload = 1u << 20;
constexpr uint32_t kLongestReadWaitMs = 60000;

std::system_error SystemError(const char* what) {
    return std::system_error(errno, std::generic_category(), what);
}

uint32_t LittleEndian32(const uint8_t* bytes) {
    return uint32_t{bytes[0]} | uint32_t{bytes[1]} << 8 | uint32_t{bytes[2]} << 16 | uint32_t{bytes[3]} << 24;
}

std::vector<uint8_t> LittleEndianBytes(uint32_t value) {
    return {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value >> 16),
            static_cast<uint8_t>(value >> 24)};
}

bool SendAll(int connection, const std::vector<uint8_t>& bytes) {
    size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t count = send(connection, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count <= 0) {
            return false;
        }
        sent += static_cast<size_t>(count);
    }
    return true;
}

} // namespace

TUsbSimServer::TUsbSimServer(std::string description, TRequestHeadUnit& headUnit)
    : description_(std::move(description)), headUnit_(headUnit) {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/klt-sim-XXXXXX";
    if (!mkdtemp(pattern.data())) {
        throw SystemError("cannot make a directory for the USB socket");
    }
    directory_ = pattern;
    socketPath_ = directory_ + "/usb";
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (socketPath_.size() >= sizeof address.sun_path) {
        rmdir(directory_.c_str());
        throw std::system_error(ENAMETOOLONG, std::generic_category(), "USB socket path");
    }
    std::memcpy(address.sun_path, socketPath_.c_str(), socketPath_.size() + 1);
    listener_ = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listener_ < 0 || bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(listener_, 4) != 0 || pipe2(wake_, O_CLOEXEC) != 0) {
        const std::system_error error = SystemError("cannot listen on the USB socket");
        Release();
        throw error;
    }
}

TUsbSimServer::~TUsbSimServer() {
    Release();
}

void TUsbSimServer::Release() {
    for (int* fd : {&listener_, &wake_[0], &wake_[1]}) {
        if (*fd >= 0) {
            close(*fd);
            *fd = -1;
        }
    }
    if (!socketPath_.empty()) {
        unlink(socketPath_.c_str());
        rmdir(directory_.c_str());
        socketPath_.clear();
    }
}

void TUsbSimServer::Stop() {
    stopping_ = true;
    if (wake_[1] >= 0) {
        const char byte = 0;
        [[maybe_unused]] const ssize_t ignored = write(wake_[1], &byte, 1);
    }
}

bool TUsbSimServer::WaitReadable(int fd, int timeoutMs) {
    pollfd fds[2] = {{fd, POLLIN, 0}, {wake_[0], POLLIN, 0}};
    while (!stopping_) {
        const int ready = poll(fds, 2, timeoutMs);
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        return ready > 0 && !stopping_ && fds[0].revents != 0;
    }
    return false;
}

void TUsbSimServer::Serve() {
    while (WaitReadable(listener_, -1)) {
        const int connection = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (connection < 0) {
            continue;
        }
        ServeConnection(connection);
        close(connection);
    }
}

bool TUsbSimServer::ReceiveAll(int connection, uint8_t* bytes, size_t count) {
    size_t got = 0;
    while (got < count) {
        if (!WaitReadable(connection, -1)) {
            return false;
        }
        const ssize_t n = recv(connection, bytes + got, count - got, 0);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        got += static_cast<size_t>(n);
    }
    return true;
}

void TUsbSimServer::ServeConnection(int connection) {
    // A computer that comes anew finds the chip closed, as after plugging the head unit in.
    open_ = false;
    toComputer_.clear();
    headUnit_.DropPartialRequest();
    for (;;) {
        uint8_t header[5];
        if (!ReceiveAll(connection, header, sizeof header)) {
            return;
        }
        const uint32_t length = LittleEndian32(header + 1);
        if (length > kMaxPayload) {
            return; // not a computer speaking this format
        }
        std::vector<uint8_t> payload(length);
        if (!ReceiveAll(connection, payload.data(), payload.size())) {
            return;
        }
        const TReply reply = Handle(header[0], payload);
        std::vector<uint8_t> frame = {reply.status};
        const std::vector<uint8_t> size = LittleEndianBytes(static_cast<uint32_t>(reply.payload.size()));
        frame.insert(frame.end(), size.begin(), size.end());
        frame.insert(frame.end(), reply.payload.begin(), reply.payload.end());
        if (!SendAll(connection, frame)) {
            return;
        }
    }
}

TUsbSimServer::TReply TUsbSimServer::Handle(uint8_t request, const std::vector<uint8_t>& payload) {
    if (request == kList) {
        std::vector<uint8_t> list(description_.begin(), description_.end());
        list.push_back(0);
        return {kOk, list};
    }
    if (request == kOpen) {
        if (std::string(payload.begin(), payload.end()) != description_) {
            return {kDeviceNotFound, {}};
        }
        if (open_) {
            return {kDeviceNotOpened, {}}; // one program at a time owns the chip
        }
        open_ = true;
        headUnit_.Update([](TSimState& s) { ++s.usbOpens; });
        return {};
    }
    if (request < kClose || request > kCycle) {
        return {kIoError, {}};
    }
    if (!open_) {
        return {kInvalidHandle, {}};
    }
    switch (request) {
    case kClose:
        open_ = false;
        return {};
    case kReset:
        headUnit_.DropPartialRequest();
        toComputer_.clear();
        return {};
    case kPurge:
        if (!payload.empty() && (payload[0] & kPurgeReceive) != 0) {
            toComputer_.clear();
        }
        return {};
    case kWrite: {
        const std::vector<uint8_t> replies = headUnit_.Hear(payload);
        toComputer_.insert(toComputer_.end(), replies.begin(), replies.end());
        return {kOk, LittleEndianBytes(static_cast<uint32_t>(payload.size()))};
    }
    case kRead:
        return Read(payload);
    case kQueueStatus:
        return {kOk, LittleEndianBytes(static_cast<uint32_t>(toComputer_.size()))};
    case kBitMode:
        headUnit_.Update([](TSimState& s) { ++s.usbBitModes; });
        return {};
    case kCycle:
        open_ = false;
        toComputer_.clear();
        headUnit_.DropPartialRequest();
        headUnit_.Update([](TSimState& s) { ++s.usbCycles; });
        return {};
    default: // break, speed, line format and flow control change nothing on a USB head unit
        return {};
    }
}

TUsbSimServer::TReply TUsbSimServer::Read(const std::vector<uint8_t>& payload) {
    if (payload.size() < 8) {
        return {kIoError, {}};
    }
    const uint32_t wanted = LittleEndian32(payload.data());
    const uint32_t timeoutMs = std::min(LittleEndian32(payload.data() + 4), kLongestReadWaitMs);
    // The head unit answers as soon as it hears a request: what is missing now never comes, and the
    // time-out only passes as the computer expects.
    if (toComputer_.size() < wanted) {
        WaitReadable(wake_[0], static_cast<int>(timeoutMs));
    }
    const size_t count = std::min<size_t>(wanted, toComputer_.size());
    std::vector<uint8_t> bytes(toComputer_.begin(), toComputer_.begin() + static_cast<long>(count));
    toComputer_.erase(toComputer_.begin(), toComputer_.begin() + static_cast<long>(count));
    return {kOk, bytes};
}

} // namespace klt::sim
