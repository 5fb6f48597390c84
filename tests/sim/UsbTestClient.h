#pragma once
// The computer's end of the simulated USB head unit's socket, spoken byte by byte as
// docs/usb-simulation.md describes it, with every wait bounded; and the binary request frames.
#include <gtest/gtest.h>

#include <cstring>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

#include "tools/sim/SimOptions.h"

namespace klt::sim::test {

// A generation 7 head unit, on a bicycle or on the ergometer sped up a hundredfold.
inline TSimOptions Generation7(bool ergometer) {
    TSimOptions options;
    options.generation = 7;
    options.clock = 1700000000;
    options.ergometer = ergometer;
    options.speedup = 100;
    return options;
}

using TBytes = std::vector<uint8_t>;

struct TFrame {
    int type = -1; // -1: nothing within the time-out, or the connection ended
    TBytes payload;
};

class TUsbClient {
public:
    explicit TUsbClient(const std::string& path) {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
        fd_ = socket(AF_UNIX, SOCK_STREAM, 0);
        if (connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
            close(fd_);
            fd_ = -1;
        }
    }
    ~TUsbClient() {
        if (fd_ >= 0) {
            close(fd_);
        }
    }
    bool Connected() const { return fd_ >= 0; }

    bool Send(uint8_t type, const TBytes& payload = {}) {
        TBytes frame = {type, static_cast<uint8_t>(payload.size() >> 8), static_cast<uint8_t>(payload.size())};
        frame.insert(frame.end(), payload.begin(), payload.end());
        return SendRaw(frame);
    }
    bool SendRaw(const TBytes& bytes) {
        return send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(bytes.size());
    }

    TFrame Next(int timeoutMs = 10000) {
        TBytes header(3);
        if (!Receive(header, timeoutMs)) {
            return {};
        }
        TBytes payload(size_t{header[1]} << 8 | header[2]);
        if (!Receive(payload, timeoutMs)) {
            return {};
        }
        return {header[0], payload};
    }

    // The greeting every connection starts with.
    std::string Identity() {
        const TFrame frame = Next();
        EXPECT_EQ(frame.type, 'I');
        return std::string(frame.payload.begin(), frame.payload.end());
    }

    // Data bytes from the head unit until `count` came (or nothing more comes).
    TBytes Data(size_t count) {
        TBytes data;
        while (data.size() < count) {
            const TFrame frame = Next();
            if (frame.type < 0) {
                break;
            }
            EXPECT_EQ(frame.type, 'D');
            data.insert(data.end(), frame.payload.begin(), frame.payload.end());
        }
        return data;
    }

    // Writes a request and reads `replySize` bytes of the answer.
    TBytes Exchange(const TBytes& request, size_t replySize) {
        EXPECT_TRUE(Send('D', request));
        return Data(replySize);
    }

    // Writes a request and reads its whole reply frame, however long.
    TBytes Ask(const TBytes& request) {
        TBytes reply = Exchange(request, 4);
        const size_t total = reply.size() < 4 ? 0 : 4 + (size_t{reply[2]} << 8 | reply[3]);
        if (reply.size() < total) {
            const TBytes rest = Data(total - reply.size());
            reply.insert(reply.end(), rest.begin(), rest.end());
        }
        return reply;
    }

    // True when the head unit hung up (nothing but the end of the stream follows).
    bool HungUp(int timeoutMs = 10000) {
        pollfd p{fd_, POLLIN, 0};
        uint8_t byte = 0;
        return poll(&p, 1, timeoutMs) > 0 && recv(fd_, &byte, 1, 0) == 0;
    }

private:
    bool Receive(TBytes& bytes, int timeoutMs) {
        size_t got = 0;
        while (got < bytes.size()) {
            pollfd p{fd_, POLLIN, 0};
            if (poll(&p, 1, timeoutMs) <= 0) {
                return false;
            }
            const ssize_t n = recv(fd_, bytes.data() + got, bytes.size() - got, 0);
            if (n <= 0) {
                return false;
            }
            got += static_cast<size_t>(n);
        }
        return true;
    }

    int fd_ = -1;
};

// 0xA4 0xB0 0x00 length class code data checksum; the checksum leaves out the byte before it.
inline TBytes Request(uint8_t requestClass, uint8_t code, const TBytes& data = {}) {
    TBytes r = {0xA4, 0xB0, 0x00, static_cast<uint8_t>(data.size() + 3), requestClass, code};
    r.insert(r.end(), data.begin(), data.end());
    uint8_t checksum = 0;
    for (size_t i = 0; i + 1 < r.size(); ++i) {
        checksum ^= r[i];
    }
    r.push_back(checksum);
    return r;
}

inline TBytes Reply(const TBytes& payload) {
    TBytes r = {0xA4, 0xB0, static_cast<uint8_t>((payload.size() + 1) >> 8), static_cast<uint8_t>(payload.size() + 1)};
    r.insert(r.end(), payload.begin(), payload.end());
    uint8_t checksum = 0;
    for (const uint8_t b : r) {
        checksum ^= b;
    }
    r.push_back(checksum);
    return r;
}

// The payload of a reply after 0xA4 0xB0 length class code, without the checksum.
inline TBytes ReplyData(const TBytes& reply) {
    return reply.size() < 7 ? TBytes{} : TBytes(reply.begin() + 6, reply.end() - 1);
}

} // namespace klt::sim::test
