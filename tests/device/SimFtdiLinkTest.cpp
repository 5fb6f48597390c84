#include <gtest/gtest.h>

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <functional>
#include <mutex>
#include <thread>

#include "device/SimFtdiProtocol.h"
#include "device/transport/SimFtdiLink.h"
#include "device/transport/UsbLink.h"
#include "tests/support/RawTraining.h"
#include "tests/support/ScriptedPrompt.h"

namespace klt {
namespace {

using TBytes = std::vector<uint8_t>;

struct TRequest {
    uint8_t code;
    TBytes payload;
    bool operator==(const TRequest&) const = default;
};

struct TReply {
    uint8_t status = FT_OK;
    TBytes payload;
};

// The simulator's side of the socket, answering each request through a handler on its own thread.
class TFakeSimServer {
public:
    explicit TFakeSimServer(std::function<TReply(const TRequest&)> handler) : handler_(std::move(handler)) {
        listen_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, path_.c_str(), sizeof(address.sun_path) - 1);
        if (::bind(listen_, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0 ||
            ::listen(listen_, 4) != 0) {
            throw std::runtime_error("cannot listen on " + path_);
        }
        thread_ = std::thread([this] { Serve(); });
    }
    ~TFakeSimServer() {
        stop_ = true;
        thread_.join();
        ::close(listen_);
    }

    const std::string& Path() const { return path_; }
    std::vector<TRequest> Requests() {
        std::lock_guard lock(mutex_);
        return requests_;
    }
    // Hangs up instead of answering the next request.
    std::atomic<bool> hangUpOnce{false};

private:
    bool WaitReadable(int fd) {
        while (!stop_) {
            pollfd ready{fd, POLLIN, 0};
            if (::poll(&ready, 1, 20) > 0) {
                return true;
            }
        }
        return false;
    }
    bool Receive(int fd, uint8_t* bytes, size_t count) {
        while (count > 0) {
            if (!WaitReadable(fd)) {
                return false;
            }
            const ssize_t n = ::recv(fd, bytes, count, 0);
            if (n <= 0) {
                return false;
            }
            bytes += n;
            count -= static_cast<size_t>(n);
        }
        return true;
    }
    void Serve() {
        while (WaitReadable(listen_)) {
            const int connection = ::accept(listen_, nullptr, nullptr);
            uint8_t header[5];
            while (Receive(connection, header, 5)) {
                TRequest request{header[0],
                                 TBytes(header[1] | header[2] << 8 | header[3] << 16 | header[4] << 24)};
                if (!Receive(connection, request.payload.data(), request.payload.size())) {
                    break;
                }
                if (hangUpOnce.exchange(false)) {
                    break;
                }
                {
                    std::lock_guard lock(mutex_);
                    requests_.push_back(request);
                }
                const TReply reply = handler_(request);
                TBytes frame{reply.status, static_cast<uint8_t>(reply.payload.size()), 0, 0, 0};
                frame.insert(frame.end(), reply.payload.begin(), reply.payload.end());
                ::send(connection, frame.data(), frame.size(), MSG_NOSIGNAL);
            }
            ::close(connection);
        }
    }

    test::TTempDir dir_;
    std::string path_ = dir_.File("sim.sock");
    std::function<TReply(const TRequest&)> handler_;
    int listen_ = -1;
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    std::vector<TRequest> requests_;
    std::thread thread_;
};

TReply TwoDevices(const TRequest& request) {
    switch (request.code) {
    case kSimList:
        return {FT_OK, TBytes{'F', 'T', '2', '3', '2', 0, 'V', 'E', 'L', 'T', 'R', 'A', 'K', ' ', '7', 0}};
    case kSimWrite:
        return {FT_OK, {static_cast<uint8_t>(request.payload.size()), 0, 0, 0}};
    case kSimRead:
        return {FT_OK, {0x81, 0x01}};
    case kSimQueueStatus:
        return {FT_OK, {2, 0, 0, 0}};
    case kSimClose:
        return {FT_INVALID_HANDLE, {}};
    default:
        return {};
    }
}

TEST(SimFtdiLink, ListsTheSimulatorsDevices) {
    TFakeSimServer server(TwoDevices);
    TSimFtdiLink link(server.Path());
    int count = 0;
    EXPECT_EQ(link.DeviceCount(count), FT_OK);
    EXPECT_EQ(count, 2);
    std::string description;
    EXPECT_EQ(link.DeviceDescription(1, description), FT_OK);
    EXPECT_EQ(description, "VELTRAK 7");
    EXPECT_EQ(link.DeviceDescription(2, description), FT_DEVICE_NOT_FOUND);

    test::TScriptedPrompt prompt;
    TUsbLink usb(link);
    EXPECT_EQ(usb.DetectUsbHeadUnit(), 8);
}

TEST(SimFtdiLink, OperationsTravelAsDocumentedFrames) {
    TFakeSimServer server(TwoDevices);
    TSimFtdiLink link(server.Path());
    EXPECT_EQ(link.OpenByDescription("VELTRAK 7"), FT_OK);
    EXPECT_EQ(link.SetBaudRate(38400), FT_OK);
    EXPECT_EQ(link.SetDataCharacteristics(8, 0, 2), FT_OK);
    EXPECT_EQ(link.SetFlowControlNone(0x11, 0x13), FT_OK);
    EXPECT_EQ(link.SetTimeouts(300, 500), FT_OK);
    EXPECT_EQ(link.PurgeTransmit(), FT_OK);
    EXPECT_EQ(link.PurgeReceive(), FT_OK);
    EXPECT_EQ(link.SetBreak(true), FT_OK);
    EXPECT_EQ(link.SetBitMode(0xF1, 0x20), FT_OK);
    const uint8_t request[] = {0x01, 0x02, 0x03};
    size_t written = 0;
    EXPECT_EQ(link.Write(request, 3, written), FT_OK);
    EXPECT_EQ(written, 3u);
    uint8_t reply[8] = {};
    size_t read = 0;
    EXPECT_EQ(link.Read(reply, 8, read), FT_OK);
    ASSERT_EQ(read, 2u);
    EXPECT_EQ(reply[0], 0x81);
    size_t waiting = 0;
    EXPECT_EQ(link.QueueStatus(waiting), FT_OK);
    EXPECT_EQ(waiting, 2u);
    EXPECT_EQ(link.ResetDevice(), FT_OK);
    EXPECT_EQ(link.CyclePort(), FT_OK);
    EXPECT_EQ(link.Close(), FT_INVALID_HANDLE); // the simulator's status comes through

    const std::vector<TRequest> expected = {
        {kSimOpen, TBytes{'V', 'E', 'L', 'T', 'R', 'A', 'K', ' ', '7'}},
        {kSimBaudRate, {0x00, 0x96, 0, 0}},
        {kSimLineFormat, {8, 0, 2}},
        {kSimFlowNone, {0x11, 0x13}},
        {kSimPurge, {kSimPurgeTransmit}},
        {kSimPurge, {kSimPurgeReceive}},
        {kSimBreak, {1}},
        {kSimBitMode, {0xF1, 0x20}},
        {kSimWrite, {1, 2, 3}},
        {kSimRead, {8, 0, 0, 0, 0x2C, 0x01, 0, 0}}, // at most 8 bytes within 300 ms
        {kSimQueueStatus, {}},
        {kSimReset, {}},
        {kSimCycle, {}},
        {kSimClose, {}}};
    EXPECT_EQ(server.Requests(), expected);
}

TEST(SimFtdiLink, MissingOrVanishingSimulatorIsAFailureNotAHang) {
    test::TTempDir dir;
    TSimFtdiLink absent(dir.File("nobody.sock"));
    int count = -1;
    EXPECT_EQ(absent.DeviceCount(count), FT_DEVICE_NOT_FOUND);
    EXPECT_EQ(count, 0);

    TFakeSimServer server(TwoDevices);
    TSimFtdiLink link(server.Path());
    server.hangUpOnce = true;
    size_t waiting = 0;
    EXPECT_EQ(link.QueueStatus(waiting), FT_IO_ERROR);
    EXPECT_EQ(link.QueueStatus(waiting), FT_OK); // connects again
    EXPECT_EQ(waiting, 2u);
}

TEST(SimFtdiLink, MalformedRepliesAreIoErrors) {
    TFakeSimServer server([](const TRequest& request) {
        return request.code == kSimRead ? TReply{FT_OK, TBytes(16, 0xAA)} : TReply{FT_OK, {1}};
    });
    TSimFtdiLink link(server.Path());
    size_t waiting = 7, written = 7, read = 7;
    EXPECT_EQ(link.QueueStatus(waiting), FT_IO_ERROR);
    EXPECT_EQ(waiting, 0u);
    const uint8_t byte = 0;
    EXPECT_EQ(link.Write(&byte, 1, written), FT_IO_ERROR);
    EXPECT_EQ(written, 0u);
    uint8_t in[4];
    EXPECT_EQ(link.Read(in, 4, read), FT_IO_ERROR); // more than asked for
    EXPECT_EQ(read, 0u);
}

} // namespace
} // namespace klt
