// The generation VI and 7 head unit as the computer's simulated FTDI backend meets it: frames over
// a Unix socket, binary requests through the chip's write and read.
#include <gtest/gtest.h>

#include <cstring>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

#include "tests/support/SimProcess.h"
#include "tools/sim/HeadUnitSimulator.h"

namespace klt::sim {
namespace {

using TBytes = std::vector<uint8_t>;

enum : uint8_t {
    kList = 1,
    kOpen = 2,
    kClose = 3,
    kPurge = 5,
    kWrite = 10,
    kRead = 11,
    kQueue = 12,
    kCycle = 14
};

struct TFrame {
    int status = -1; // -1: no reply within the time-out
    TBytes payload;
};

TBytes Le32(uint32_t v) {
    return {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v >> 16),
            static_cast<uint8_t>(v >> 24)};
}

// The computer's end of the socket, with every wait bounded.
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

    TFrame Call(uint8_t code, const TBytes& payload = {}) {
        TBytes frame = {code};
        const TBytes length = Le32(static_cast<uint32_t>(payload.size()));
        frame.insert(frame.end(), length.begin(), length.end());
        frame.insert(frame.end(), payload.begin(), payload.end());
        if (send(fd_, frame.data(), frame.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(frame.size())) {
            return {};
        }
        TBytes header(5);
        if (!Receive(header)) {
            return {};
        }
        TBytes body(uint32_t{header[1]} | uint32_t{header[2]} << 8 | uint32_t{header[3]} << 16 |
                    uint32_t{header[4]} << 24);
        if (!Receive(body)) {
            return {};
        }
        return {header[0], body};
    }

    // Writes a request and reads the reply frame of the head unit.
    TBytes Exchange(const TBytes& request, uint32_t replySize) {
        EXPECT_EQ(Call(kWrite, request).status, 0);
        TBytes read = Le32(replySize);
        const TBytes timeout = Le32(500);
        read.insert(read.end(), timeout.begin(), timeout.end());
        return Call(kRead, read).payload;
    }

private:
    bool Receive(TBytes& bytes) {
        size_t got = 0;
        while (got < bytes.size()) {
            pollfd p{fd_, POLLIN, 0};
            if (poll(&p, 1, 10000) <= 0) {
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
TBytes Request(uint8_t requestClass, uint8_t code, const TBytes& data = {}) {
    TBytes r = {0xA4, 0xB0, 0x00, static_cast<uint8_t>(data.size() + 3), requestClass, code};
    r.insert(r.end(), data.begin(), data.end());
    uint8_t checksum = 0;
    for (size_t i = 0; i + 1 < r.size(); ++i) {
        checksum ^= r[i];
    }
    r.push_back(checksum);
    return r;
}

TBytes Reply(const TBytes& payload) {
    TBytes r = {0xA4, 0xB0, 0x00, static_cast<uint8_t>(payload.size() + 1)};
    r.insert(r.end(), payload.begin(), payload.end());
    uint8_t checksum = 0;
    for (const uint8_t b : r) {
        checksum ^= b;
    }
    r.push_back(checksum);
    return r;
}

TSimOptions Generation(int generation) {
    TSimOptions options;
    options.generation = generation;
    options.clock = 1700000000;
    return options;
}

TEST(UsbHeadUnitTest, ListsItsDescriptionAndOpensOnlyByIt) {
    for (const int generation : {6, 7}) {
        THeadUnitSimulator sim(Generation(generation));
        sim.Start();
        EXPECT_TRUE(sim.SlavePath().empty());
        TUsbClient usb(sim.SocketPath());
        ASSERT_TRUE(usb.Connected()) << sim.SocketPath();
        const std::string description = "VELTRAK " + std::to_string(generation);
        TBytes listed(description.begin(), description.end());
        listed.push_back(0);
        const TFrame list = usb.Call(kList);
        EXPECT_EQ(list.status, 0);
        EXPECT_EQ(list.payload, listed);

        EXPECT_EQ(usb.Call(kWrite, {1}).status, 1) << "not open yet";
        EXPECT_EQ(usb.Call(kOpen, {'V', 'E'}).status, 2);
        EXPECT_EQ(usb.Call(kOpen, TBytes(description.begin(), description.end())).status, 0);
        EXPECT_EQ(usb.Call(99).status, 4);
        EXPECT_EQ(usb.Call(kClose).status, 0);
        EXPECT_EQ(sim.State().usbOpens, 1);
    }
}

class UsbHeadUnitOpen : public ::testing::Test {
protected:
    void SetUp() override {
        sim_.Start();
        ASSERT_TRUE(usb_.Connected());
        ASSERT_EQ(usb_.Call(kOpen, {'V', 'E', 'L', 'T', 'R', 'A', 'K', ' ', '7'}).status, 0);
    }
    THeadUnitSimulator sim_{Generation(7)};
    TUsbClient usb_{(sim_.Start(), sim_.SocketPath())};
};

TEST_F(UsbHeadUnitOpen, IdentifiesWithItsFirmwareVersion) {
    EXPECT_EQ(usb_.Exchange(Request(1, 1), 9), Reply({1, 1, 0xE5, 0x17}));
    ASSERT_EQ(sim_.State().usbRequests.size(), 1u);
    EXPECT_EQ(sim_.State().usbRequests[0].requestClass, 1);
}

TEST_F(UsbHeadUnitOpen, UnknownKindsAndBadChecksumsAreInvalidRequests) {
    EXPECT_EQ(usb_.Exchange(Request(3, 9), 7), Reply({0xFF, 4}));
    TBytes spoilt = Request(1, 1);
    spoilt.back() ^= 0x01;
    EXPECT_EQ(usb_.Exchange(spoilt, 7), Reply({0xFF, 4}));
    EXPECT_EQ(sim_.State().badChecksumsHeard, 1);
    // A wrong-sized write of a setting changes nothing.
    EXPECT_EQ(usb_.Exchange(Request(2, 3, {1}), 7), Reply({0xFF, 4}));
    EXPECT_EQ(usb_.Exchange(Request(2, 3), 9), Reply({2, 3, 0x08, 0x2F}));
}

TEST_F(UsbHeadUnitOpen, RequestsSplitOrJoinedAcrossWritesAreAllAnswered) {
    const TBytes request = Request(2, 1);
    EXPECT_EQ(usb_.Call(kWrite, TBytes(request.begin(), request.begin() + 3)).status, 0);
    TBytes rest(request.begin() + 3, request.end());
    const TBytes second = Request(2, 12);
    rest.insert(rest.end(), second.begin(), second.end());
    TBytes both = Reply({2, 1, 0x1D, 0xD8});
    const TBytes third = Reply({2, 12, 3});
    both.insert(both.end(), third.begin(), third.end());
    EXPECT_EQ(usb_.Exchange(rest, 100), both) << "a short read returns what there is";
}

TEST_F(UsbHeadUnitOpen, KeepsWrittenSettingsAndTheClock) {
    EXPECT_EQ(usb_.Exchange(Request(2, 3, {0x08, 0x00}), 7), Reply({2, 3}));
    EXPECT_EQ(usb_.Exchange(Request(2, 3), 9), Reply({2, 3, 0x08, 0x00}));
    EXPECT_EQ(usb_.Exchange(Request(2, 14, {24, 12, 0x07, 0xEA, 10, 20, 30}), 7), Reply({2, 14}));
    const TBytes clock = usb_.Exchange(Request(2, 14), 14);
    ASSERT_EQ(clock.size(), 14u);
    EXPECT_EQ(TBytes(clock.begin() + 4, clock.begin() + 10), (TBytes{2, 14, 24, 12, 0x07, 0xEA}));
    EXPECT_EQ(usb_.Exchange(Request(2, 14, {31, 2, 0x07, 0xEA, 10, 20, 30}), 7), Reply({0xFF, 4}));
}

TEST_F(UsbHeadUnitOpen, PurgeDropsUnreadRepliesAndCycleClosesTheChip) {
    EXPECT_EQ(usb_.Call(kWrite, Request(1, 1)).status, 0);
    EXPECT_EQ(usb_.Call(kQueue).payload, Le32(9));
    EXPECT_EQ(usb_.Call(kPurge, {2}).status, 0);
    EXPECT_EQ(usb_.Call(kQueue).payload, Le32(0));
    EXPECT_EQ(usb_.Call(kCycle).status, 0);
    EXPECT_EQ(usb_.Call(kQueue).status, 1);
    EXPECT_EQ(sim_.State().usbCycles, 1);
}

TEST(UsbHeadUnitFaultTest, OlderFirmwareRefusesNewerKindsAndFaultsShowOnRequest) {
    TSimOptions options = Generation(6);
    options.firmware = 38170;
    options.faults.busyEvery = 3;
    options.faults.checksumEvery = 4;
    THeadUnitSimulator sim(options);
    sim.Start();
    TUsbClient usb(sim.SocketPath());
    ASSERT_EQ(usb.Call(kOpen, {'V', 'E', 'L', 'T', 'R', 'A', 'K', ' ', '6'}).status, 0);
    EXPECT_EQ(usb.Exchange(Request(2, 20), 8), Reply({2, 20, 2}));
    EXPECT_EQ(usb.Exchange(Request(1, 12), 7), Reply({0xFF, 4})) << "known from 38401 on";
    EXPECT_EQ(usb.Exchange(Request(1, 1), 7), Reply({0xFF, 5}));
    TBytes spoilt = Reply({1, 1, 0x95, 0x1A});
    spoilt.back() ^= 0x5A;
    EXPECT_EQ(usb.Exchange(Request(1, 1), 9), spoilt);
    EXPECT_EQ(sim.State().faultsInjected, 2);
}

TEST(UsbHeadUnitExecutableTest, PrintsTheSocketFirstAndServes) {
    klt::test::TSimProcess sim({"--generation", "6"});
    std::string line = sim.FirstLine();
    line.erase(line.find_last_not_of("\r\n") + 1);
    ASSERT_EQ(line.rfind("USB /", 0), 0u) << line;
    {
        TUsbClient usb(line.substr(4));
        ASSERT_TRUE(usb.Connected()) << line;
        EXPECT_EQ(usb.Call(kList).payload, (TBytes{'V', 'E', 'L', 'T', 'R', 'A', 'K', ' ', '6', 0}));
    }
    sim.CloseInput();
    EXPECT_EQ(sim.Exit(10), 0);
}

} // namespace
} // namespace klt::sim
