#include "device/transport/SimFtdiLink.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

#include "device/SimFtdiProtocol.h"

namespace klt {
namespace {

using TClock = std::chrono::steady_clock;

void PutU32(std::vector<uint8_t>& out, uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) {
        out.push_back(static_cast<uint8_t>(value >> shift));
    }
}

uint32_t GetU32(const uint8_t* in) {
    return uint32_t{in[0]} | uint32_t{in[1]} << 8 | uint32_t{in[2]} << 16 | uint32_t{in[3]} << 24;
}

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

bool ReceiveAll(int fd, uint8_t* bytes, size_t count, TClock::time_point deadline) {
    while (count > 0) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - TClock::now()).count();
        pollfd ready{fd, POLLIN, 0};
        const int result = ::poll(&ready, 1, static_cast<int>(std::max<int64_t>(left, 0)));
        if (result < 0 && errno == EINTR) {
            continue;
        }
        if (result <= 0) {
            return false;
        }
        const ssize_t n = ::recv(fd, bytes, count, 0);
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

} // namespace

TSimFtdiLink::~TSimFtdiLink() {
    Disconnect();
}

void TSimFtdiLink::Disconnect() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

TFtStatus TSimFtdiLink::Exchange(uint8_t request, const TBytes& payload, TBytes& reply, int waitMs) {
    reply.clear();
    if (fd_ < 0) {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        if (socketPath_.size() >= sizeof(address.sun_path)) {
            return FT_DEVICE_NOT_FOUND;
        }
        std::memcpy(address.sun_path, socketPath_.c_str(), socketPath_.size() + 1);
        fd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (fd_ < 0) {
            return FT_INSUFFICIENT_RESOURCES;
        }
        if (::connect(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0) {
            Disconnect();
            return FT_DEVICE_NOT_FOUND;
        }
    }
    TBytes frame{request};
    PutU32(frame, static_cast<uint32_t>(payload.size()));
    frame.insert(frame.end(), payload.begin(), payload.end());
    const auto deadline = TClock::now() + std::chrono::milliseconds(waitMs + kReplyGraceMs);
    uint8_t header[5];
    if (!SendAll(fd_, frame.data(), frame.size()) || !ReceiveAll(fd_, header, sizeof(header), deadline)) {
        Disconnect();
        return FT_IO_ERROR;
    }
    const uint32_t length = GetU32(header + 1);
    if (length > kSimMaxPayload) {
        Disconnect();
        return FT_IO_ERROR;
    }
    reply.resize(length);
    if (!ReceiveAll(fd_, reply.data(), length, deadline)) {
        Disconnect();
        return FT_IO_ERROR;
    }
    return header[0];
}

TFtStatus TSimFtdiLink::Exchange(uint8_t request, const TBytes& payload) {
    TBytes reply;
    return Exchange(request, payload, reply, 0);
}

TFtStatus TSimFtdiLink::List() {
    TBytes reply;
    const TFtStatus status = Exchange(kSimList, {}, reply, 0);
    descriptions_.clear();
    if (status != FT_OK) {
        return status;
    }
    std::string current;
    for (const uint8_t byte : reply) {
        if (byte == 0) {
            descriptions_.push_back(std::move(current));
            current.clear();
        } else {
            current.push_back(static_cast<char>(byte));
        }
    }
    return FT_OK;
}

TFtStatus TSimFtdiLink::DeviceCount(int& count) {
    const TFtStatus status = List();
    count = static_cast<int>(descriptions_.size());
    return status;
}

TFtStatus TSimFtdiLink::DeviceDescription(int index, std::string& description) {
    if (descriptions_.empty()) {
        if (const TFtStatus status = List(); status != FT_OK) {
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
    return Exchange(kSimOpen, TBytes(description.begin(), description.end()));
}

TFtStatus TSimFtdiLink::Close() {
    return Exchange(kSimClose);
}
TFtStatus TSimFtdiLink::ResetDevice() {
    return Exchange(kSimReset);
}
TFtStatus TSimFtdiLink::PurgeTransmit() {
    return Exchange(kSimPurge, {kSimPurgeTransmit});
}
TFtStatus TSimFtdiLink::PurgeReceive() {
    return Exchange(kSimPurge, {kSimPurgeReceive});
}
TFtStatus TSimFtdiLink::SetBreak(bool on) {
    return Exchange(kSimBreak, {static_cast<uint8_t>(on ? 1 : 0)});
}

TFtStatus TSimFtdiLink::SetBaudRate(int baud) {
    TBytes payload;
    PutU32(payload, static_cast<uint32_t>(baud));
    return Exchange(kSimBaudRate, payload);
}

TFtStatus TSimFtdiLink::SetDataCharacteristics(int dataBits, int stopBits, int parity) {
    return Exchange(kSimLineFormat, {static_cast<uint8_t>(dataBits), static_cast<uint8_t>(stopBits),
                                     static_cast<uint8_t>(parity)});
}

TFtStatus TSimFtdiLink::SetFlowControlNone(uint8_t xon, uint8_t xoff) {
    return Exchange(kSimFlowNone, {xon, xoff});
}

TFtStatus TSimFtdiLink::SetTimeouts(int readMs, int /*writeMs: the socket takes every write at once*/) {
    readTimeoutMs_ = std::max(readMs, 0);
    return FT_OK;
}

TFtStatus TSimFtdiLink::QueueStatus(size_t& waiting) {
    TBytes reply;
    TFtStatus status = Exchange(kSimQueueStatus, {}, reply, 0);
    if (status == FT_OK && reply.size() != 4) {
        status = FT_IO_ERROR;
    }
    waiting = status == FT_OK ? GetU32(reply.data()) : 0;
    return status;
}

TFtStatus TSimFtdiLink::Write(const uint8_t* bytes, size_t count, size_t& written) {
    TBytes reply;
    TFtStatus status = Exchange(kSimWrite, TBytes(bytes, bytes + count), reply, 0);
    if (status == FT_OK && reply.size() != 4) {
        status = FT_IO_ERROR;
    }
    written = status == FT_OK ? std::min<size_t>(GetU32(reply.data()), count) : 0;
    return status;
}

TFtStatus TSimFtdiLink::Read(uint8_t* bytes, size_t count, size_t& read) {
    TBytes payload, reply;
    PutU32(payload, static_cast<uint32_t>(std::min<size_t>(count, kSimMaxPayload)));
    PutU32(payload, static_cast<uint32_t>(readTimeoutMs_));
    TFtStatus status = Exchange(kSimRead, payload, reply, readTimeoutMs_);
    if (status == FT_OK && reply.size() > count) {
        status = FT_IO_ERROR;
    }
    read = status == FT_OK ? reply.size() : 0;
    std::copy_n(reply.begin(), read, bytes);
    return status;
}

TFtStatus TSimFtdiLink::SetBitMode(uint8_t mask, uint8_t mode) {
    return Exchange(kSimBitMode, {mask, mode});
}
TFtStatus TSimFtdiLink::CyclePort() {
    return Exchange(kSimCycle);
}

} // namespace klt
