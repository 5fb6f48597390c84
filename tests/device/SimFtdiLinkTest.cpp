// The program's simulated FTDI backend against a scripted head unit on the socket: the frames it
// sends, the greeting it expects, reads and queue status over data frames, and the failures of a
// missing, silent, hostile or vanishing peer.
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

struct TFrame {
    uint8_t type = 0;
    TBytes payload;
    bool operator==(const TFrame&) const = default;
};

TBytes Frame(uint8_t type, const TBytes& payload) {
    TBytes frame = {type, static_cast<uint8_t>(payload.size() >> 8), static_cast<uint8_t>(payload.size())};
    frame.insert(frame.end(), payload.begin(), payload.end());
    return frame;
}

TBytes Greeting(const std::string& description) {
    return Frame(kSimIdentity, TBytes(description.begin(), description.end()));
}

// A head unit on the socket: greets each connection with `greeting` and answers every frame it
// hears with the bytes the handler gives (raw, so replies can be malformed on purpose).
class TScriptedHeadUnit {
public:
    explicit TScriptedHeadUnit(std::function<TBytes(const TFrame&)> handler = {},
                               TBytes greeting = Greeting("VELTRAK 7"))
        : handler_(std::move(handler)), greeting_(std::move(greeting)) {
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
    ~TScriptedHeadUnit() {
        stop_ = true;
        thread_.join();
        ::close(listen_);
    }

    const std::string& Path() const { return path_; }
    std::vector<TFrame> Heard() {
        std::lock_guard lock(mutex_);
        return heard_;
    }
    int Connections() const { return connections_; }
    // Hangs up instead of answering the next frame.
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
            ++connections_;
            ::send(connection, greeting_.data(), greeting_.size(), MSG_NOSIGNAL);
            uint8_t header[3];
            while (Receive(connection, header, 3)) {
                TFrame frame{header[0], TBytes(size_t{header[1]} << 8 | header[2])};
                if (!Receive(connection, frame.payload.data(), frame.payload.size()) || hangUpOnce.exchange(false)) {
                    break;
                }
                {
                    std::lock_guard lock(mutex_);
                    heard_.push_back(frame);
                }
                const TBytes reply = handler_ ? handler_(frame) : TBytes{};
                ::send(connection, reply.data(), reply.size(), MSG_NOSIGNAL);
            }
            ::close(connection);
        }
    }

    test::TTempDir dir_;
    std::string path_ = dir_.File("usb");
    std::function<TBytes(const TFrame&)> handler_;
    TBytes greeting_;
    int listen_ = -1;
    std::atomic<bool> stop_{false};
    std::atomic<int> connections_{0};
    std::mutex mutex_;
    std::vector<TFrame> heard_;
    std::thread thread_;
};

// Answers every data frame with "OK" in two data frames, the way a reply may arrive in pieces.
TBytes AnswerInPieces(const TFrame& frame) {
    if (frame.type != kSimData) {
        return {};
    }
    TBytes reply = Frame(kSimData, {'O'});
    const TBytes second = Frame(kSimData, {'K'});
    reply.insert(reply.end(), second.begin(), second.end());
    return reply;
}

// Opens the link and writes one byte for the head unit to answer.
void OpenAndWriteAByte(TSimFtdiLink& link, int readTimeoutMs) {
    ASSERT_EQ(link.OpenByDescription("VELTRAK 7"), FT_OK);
    ASSERT_EQ(link.SetTimeouts(readTimeoutMs, 500), FT_OK);
    const uint8_t byte = 1;
    size_t written = 0;
    ASSERT_EQ(link.Write(&byte, 1, written), FT_OK);
    ASSERT_EQ(written, 1u);
}

TEST(SimFtdiLink, ListsTheDeviceThatGreets) {
    TScriptedHeadUnit headUnit;
    TSimFtdiLink link(headUnit.Path());
    int count = 0;
    EXPECT_EQ(link.DeviceCount(count), FT_OK);
    EXPECT_EQ(count, 1);
    std::string description;
    EXPECT_EQ(link.DeviceDescription(0, description), FT_OK);
    EXPECT_EQ(description, "VELTRAK 7");
    EXPECT_EQ(link.DeviceDescription(1, description), FT_DEVICE_NOT_FOUND);

    test::TScriptedPrompt prompt;
    TUsbLink usb(link);
    EXPECT_EQ(usb.DetectUsbHeadUnit(), 8);
    EXPECT_TRUE(headUnit.Heard().empty()) << "a listing only listens";
}

TEST(SimFtdiLink, OpensOnlyByTheDescriptionItGreetsWith) {
    TScriptedHeadUnit headUnit;
    TSimFtdiLink link(headUnit.Path());
    size_t waiting = 0;
    EXPECT_EQ(link.QueueStatus(waiting), FT_INVALID_HANDLE) << "not open";
    EXPECT_EQ(link.OpenByDescription("VELTRAK 6"), FT_DEVICE_NOT_FOUND);
    EXPECT_EQ(link.OpenByDescription("VELTRAK 7"), FT_OK);
    EXPECT_EQ(link.OpenByDescription("VELTRAK 7"), FT_DEVICE_NOT_OPENED) << "already ours";
    int count = 0;
    EXPECT_EQ(link.DeviceCount(count), FT_OK) << "listed while open without a second connection";
    EXPECT_EQ(count, 1);
    EXPECT_EQ(link.Close(), FT_OK);
    EXPECT_EQ(link.Close(), FT_INVALID_HANDLE);
    EXPECT_EQ(headUnit.Connections(), 2);
}

TEST(SimFtdiLink, OperationsTravelAsDocumentedFrames) {
    TScriptedHeadUnit headUnit(AnswerInPieces);
    TSimFtdiLink link(headUnit.Path());
    ASSERT_EQ(link.OpenByDescription("VELTRAK 7"), FT_OK);
    EXPECT_EQ(link.ResetDevice(), FT_OK);
    EXPECT_EQ(link.SetBaudRate(38400), FT_OK);
    EXPECT_EQ(link.SetFlowControlNone(0x11, 0x13), FT_OK);
    EXPECT_EQ(link.SetDataCharacteristics(8, 0, 0), FT_OK);
    EXPECT_EQ(link.SetDataCharacteristics(7, 2, 2), FT_OK);
    EXPECT_EQ(link.SetDataCharacteristics(8, 0, 1), FT_OK);
    EXPECT_EQ(link.SetTimeouts(5000, 500), FT_OK);
    EXPECT_EQ(link.PurgeTransmit(), FT_OK);
    EXPECT_EQ(link.PurgeReceive(), FT_OK);
    EXPECT_EQ(link.SetBreak(true), FT_OK);
    EXPECT_EQ(link.SetBreak(false), FT_OK);
    EXPECT_EQ(link.SetBitMode(0x31, 0x20), FT_OK);
    const uint8_t request[] = {0xA4, 0xB0, 0x03};
    size_t written = 0;
    EXPECT_EQ(link.Write(request, 3, written), FT_OK);
    EXPECT_EQ(written, 3u);
    uint8_t reply[2] = {};
    size_t read = 0;
    EXPECT_EQ(link.Read(reply, 2, read), FT_OK) << "gathered from two data frames";
    ASSERT_EQ(read, 2u);
    EXPECT_EQ(reply[0], 'O');
    EXPECT_EQ(reply[1], 'K');
    EXPECT_EQ(link.CyclePort(), FT_OK);
    size_t waiting = 0;
    EXPECT_EQ(link.QueueStatus(waiting), FT_INVALID_HANDLE) << "cycled: open it again";

    const std::vector<TFrame> expected = {
        {kSimReset, {}},
        {kSimBaudRate, {0x00, 0x00, 0x96, 0x00}},
        {kSimLineFormat, {8, 1, 'N'}},
        {kSimLineFormat, {7, 2, 'E'}},
        {kSimLineFormat, {8, 1, 'O'}},
        {kSimPurge, {kSimPurgeTransmit}},
        {kSimPurge, {kSimPurgeReceive}},
        {kSimBreak, {1}},
        {kSimBreak, {0}},
        {kSimBitMode, {0x31, 0x20}},
        {kSimData, {0xA4, 0xB0, 0x03}},
        {kSimCycle, {}}};
    for (int wait = 0; wait < 500 && headUnit.Heard().size() < expected.size(); ++wait) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10)); // the cycle frame may still travel
    }
    EXPECT_EQ(headUnit.Heard(), expected);
    EXPECT_EQ(link.OpenByDescription("VELTRAK 7"), FT_OK);
}

TEST(SimFtdiLink, QueueStatusTakesWhatArrivedAndPurgeDropsIt) {
    TScriptedHeadUnit headUnit(AnswerInPieces);
    TSimFtdiLink link(headUnit.Path());
    OpenAndWriteAByte(link, 5000);
    size_t waiting = 0, read = 0;
    uint8_t first = 0;
    ASSERT_EQ(link.Read(&first, 1, read), FT_OK); // the reply is here once its first byte is
    EXPECT_EQ(first, 'O');
    for (int wait = 0; wait < 500 && waiting == 0; ++wait) {
        ASSERT_EQ(link.QueueStatus(waiting), FT_OK);
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_EQ(waiting, 1u);
    EXPECT_EQ(link.PurgeReceive(), FT_OK);
    EXPECT_EQ(link.QueueStatus(waiting), FT_OK);
    EXPECT_EQ(waiting, 0u);
}

TEST(SimFtdiLink, AReadWithoutEnoughDataEndsAtTheTimeoutWithWhatCame) {
    TScriptedHeadUnit headUnit(AnswerInPieces);
    TSimFtdiLink link(headUnit.Path());
    OpenAndWriteAByte(link, 100);
    size_t read = 0;
    uint8_t reply[8] = {};
    size_t total = 0;
    for (int attempt = 0; attempt < 50 && total < 2; ++attempt) {
        EXPECT_EQ(link.Read(reply + total, 8 - total, read), FT_OK);
        total += read;
    }
    EXPECT_EQ(total, 2u);
    EXPECT_EQ(link.Read(reply, 8, read), FT_OK);
    EXPECT_EQ(read, 0u) << "nothing more came";
}

TEST(SimFtdiLink, MissingSilentHostileOrVanishingHeadUnitsAreFailuresNotHangs) {
    test::TTempDir dir;
    TSimFtdiLink absent(dir.File("nobody"));
    int count = -1;
    EXPECT_EQ(absent.DeviceCount(count), FT_DEVICE_NOT_FOUND);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(absent.OpenByDescription("VELTRAK 7"), FT_DEVICE_NOT_FOUND);

    TScriptedHeadUnit mute({}, Frame(kSimData, {1, 2})); // data before it says who it is
    TSimFtdiLink muteLink(mute.Path());
    EXPECT_EQ(muteLink.OpenByDescription("VELTRAK 7"), FT_DEVICE_NOT_FOUND);

    TScriptedHeadUnit hostile([](const TFrame&) { return TBytes{kSimData, 0xFF, 0xFF, 0}; });
    TSimFtdiLink hostileLink(hostile.Path());
    OpenAndWriteAByte(hostileLink, 5000);
    const uint8_t byte = 0;
    size_t written = 0, read = 0;
    uint8_t in[4];
    EXPECT_EQ(hostileLink.Read(in, 4, read), FT_IO_ERROR) << "a frame longer than any may be";
    EXPECT_EQ(hostileLink.Write(&byte, 1, written), FT_IO_ERROR) << "lost until opened again";
    EXPECT_EQ(written, 0u);

    TScriptedHeadUnit vanishing(AnswerInPieces);
    TSimFtdiLink link(vanishing.Path());
    ASSERT_EQ(link.OpenByDescription("VELTRAK 7"), FT_OK);
    vanishing.hangUpOnce = true;
    ASSERT_EQ(link.Write(&byte, 1, written), FT_OK);
    EXPECT_EQ(link.Read(in, 4, read), FT_IO_ERROR);
    size_t waiting = 0;
    EXPECT_EQ(link.QueueStatus(waiting), FT_IO_ERROR);
    EXPECT_EQ(link.Close(), FT_OK);
    EXPECT_EQ(link.OpenByDescription("VELTRAK 7"), FT_OK) << "plugged in again";
}

TEST(SimFtdiLink, AFloodingHeadUnitFillsNoMoreThanTheReceiveQueue) {
    TScriptedHeadUnit flood([](const TFrame& frame) {
        TBytes bytes;
        if (frame.type == kSimData) {
            for (size_t sent = 0; sent <= TSimFtdiLink::kReceiveQueueLimit; sent += kSimMaxPayload) {
                const TBytes part = Frame(kSimData, TBytes(kSimMaxPayload, 0x55));
                bytes.insert(bytes.end(), part.begin(), part.end());
            }
        }
        return bytes;
    });
    TSimFtdiLink link(flood.Path());
    OpenAndWriteAByte(link, 200);
    size_t read = 0, waiting = 0;
    std::vector<uint8_t> all(TSimFtdiLink::kReceiveQueueLimit * 2);
    EXPECT_EQ(link.Read(all.data(), all.size(), read), FT_OK);
    EXPECT_LE(read, TSimFtdiLink::kReceiveQueueLimit);
    EXPECT_EQ(link.QueueStatus(waiting), FT_OK);
    EXPECT_LE(waiting, TSimFtdiLink::kReceiveQueueLimit);
}

} // namespace
} // namespace klt
