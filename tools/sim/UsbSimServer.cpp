#include "tools/sim/UsbSimServer.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <sys/un.h>
#include <system_error>
#include <unistd.h>

#include "tools/sim/RequestHeadUnit.h"

namespace klt::sim {
namespace {

// Message types of the socket (docs/usb-simulation.md).
enum : uint8_t {
    kData = 'D',
    kIdentity = 'I',
    kPurge = 'P',
    kReset = 'R',
    kCycle = 'C',
    kBitMode = 'M',
};
constexpr uint8_t kPurgeReceive = 1;
constexpr size_t kHeaderSize = 3;
constexpr size_t kMaxPayload = 4096;

// 38,400 baud, ten bits a byte; a delivery carries at least this many bytes when there are so many.
constexpr int64_t kLineBaud = 38400;
constexpr int64_t kDeliveryBytes = 32;

int64_t LineNanoseconds(int64_t bytes) {
    return bytes * 10 * 1'000'000'000 / kLineBaud;
}

int64_t NanosecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now() - start).count();
}

std::system_error SystemError(const char* what) {
    return std::system_error(errno, std::generic_category(), what);
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

template <class It> bool SendFrame(int connection, uint8_t type, It first, It last) {
    const auto size = static_cast<size_t>(std::distance(first, last));
    std::vector<uint8_t> frame = {type, static_cast<uint8_t>(size >> 8), static_cast<uint8_t>(size)};
    frame.insert(frame.end(), first, last);
    return SendAll(connection, frame);
}

} // namespace

TUsbSimServer::TUsbSimServer(std::string description, TRequestHeadUnit& headUnit, bool lineRate)
    : description_(std::move(description)), headUnit_(headUnit), lineRate_(lineRate) {
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

bool TUsbSimServer::Wait(int fd, int64_t timeoutNs, bool& readable) {
    pollfd fds[2] = {{fd, POLLIN, 0}, {wake_[0], POLLIN, 0}};
    timespec timeout{static_cast<time_t>(timeoutNs / 1'000'000'000), static_cast<long>(timeoutNs % 1'000'000'000)};
    readable = false;
    while (!stopping_) {
        const int ready = ppoll(fds, 2, timeoutNs < 0 ? nullptr : &timeout, nullptr);
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        readable = ready > 0 && fds[0].revents != 0;
        return ready >= 0 && !stopping_;
    }
    return false;
}

void TUsbSimServer::Serve() {
    bool readable = false;
    while (Wait(listener_, -1, readable)) {
        if (!readable) {
            continue;
        }
        const int connection = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (connection < 0) {
            continue;
        }
        ServeConnection(connection);
        close(connection);
    }
}

void TUsbSimServer::ServeConnection(int connection) {
    // Plugged in anew: the chip's queues are empty.
    toComputer_.clear();
    unplugDue_ = false;
    headUnit_.DropPartialRequest();
    headUnit_.Update([](TSimState& s) { ++s.usbOpens; });
    // A computer that stops reading for this long is gone; waiting on it would keep Stop waiting too.
    const timeval sendTimeout{5, 0};
    setsockopt(connection, SOL_SOCKET, SO_SNDTIMEO, &sendTimeout, sizeof sendTimeout);
    if (!SendFrame(connection, kIdentity, description_.begin(), description_.end())) {
        return;
    }
    std::vector<uint8_t> inbound;
    for (;;) {
        bool readable = false;
        if (!Wait(connection, NanosecondsToNextDelivery(), readable)) {
            return;
        }
        if (readable) {
            uint8_t chunk[4096];
            const ssize_t n = recv(connection, chunk, sizeof chunk, 0);
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n <= 0) {
                return;
            }
            inbound.insert(inbound.end(), chunk, chunk + n);
            while (inbound.size() >= kHeaderSize) {
                const size_t length = size_t{inbound[1]} << 8 | inbound[2];
                if (length > kMaxPayload) {
                    return; // not a computer speaking this format
                }
                if (inbound.size() < kHeaderSize + length) {
                    break;
                }
                const uint8_t type = inbound[0];
                const std::vector<uint8_t> payload(inbound.begin() + kHeaderSize,
                                                   inbound.begin() + static_cast<long>(kHeaderSize + length));
                inbound.erase(inbound.begin(), inbound.begin() + static_cast<long>(kHeaderSize + length));
                if (!Handle(type, payload)) {
                    return;
                }
            }
        }
        if (!Deliver(connection)) {
            return;
        }
        if (unplugDue_ && toComputer_.empty()) {
            headUnit_.Update([](TSimState& s) { ++s.usbUnplugs; });
            return;
        }
    }
}

bool TUsbSimServer::Handle(uint8_t type, const std::vector<uint8_t>& payload) {
    switch (type) {
    case kData: {
        const std::vector<uint8_t> replies = headUnit_.Hear(payload);
        if (toComputer_.empty() && LineNanoseconds(lineBytes_) < NanosecondsSince(lineStart_)) {
            lineStart_ = std::chrono::steady_clock::now(); // the line was idle
            lineBytes_ = 0;
        }
        toComputer_.insert(toComputer_.end(), replies.begin(), replies.end());
        unplugDue_ = unplugDue_ || headUnit_.UnplugNow();
        return true;
    }
    case kPurge:
        if (!payload.empty() && (payload[0] & kPurgeReceive) != 0) {
            toComputer_.clear();
        }
        headUnit_.Update([](TSimState& s) { ++s.usbPurges; });
        return true;
    case kReset:
        headUnit_.DropPartialRequest();
        toComputer_.clear();
        headUnit_.Update([](TSimState& s) { ++s.usbResets; });
        return true;
    case kBitMode:
        if (payload.size() == 2) {
            headUnit_.Update([&](TSimState& s) {
                ++s.usbBitModes;
                s.usbBitModeWrites.push_back({payload[0], payload[1]});
            });
        }
        return true;
    case kCycle: // the chip leaves the bus; the computer opens it again
        headUnit_.Update([](TSimState& s) { ++s.usbCycles; });
        return false;
    default: // break, speed and line format change nothing on a USB head unit; unknown types are ignored
        return true;
    }
}

int64_t TUsbSimServer::NanosecondsToNextDelivery() const {
    if (toComputer_.empty() || !lineRate_) {
        return toComputer_.empty() ? -1 : 0;
    }
    const int64_t due = std::min<int64_t>(static_cast<int64_t>(toComputer_.size()), kDeliveryBytes);
    return std::max<int64_t>(0, LineNanoseconds(lineBytes_ + due) - NanosecondsSince(lineStart_));
}

bool TUsbSimServer::Deliver(int connection) {
    size_t count = toComputer_.size();
    if (lineRate_ && count > 0) {
        const int64_t carried = NanosecondsSince(lineStart_) * kLineBaud / 10 / 1'000'000'000 - lineBytes_;
        count = static_cast<size_t>(std::clamp<int64_t>(carried, 0, static_cast<int64_t>(count)));
        if (count < std::min<size_t>(toComputer_.size(), kDeliveryBytes)) {
            return true; // not worth a message yet
        }
        lineBytes_ += static_cast<int64_t>(count);
    }
    while (count > 0) {
        const size_t part = std::min(count, kMaxPayload);
        if (!SendFrame(connection, kData, toComputer_.begin(), toComputer_.begin() + static_cast<long>(part))) {
            return false;
        }
        toComputer_.erase(toComputer_.begin(), toComputer_.begin() + static_cast<long>(part));
        count -= part;
    }
    return true;
}

} // namespace klt::sim
