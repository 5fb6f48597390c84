// A generation IV head unit seen from the computer: register telegrams at 19200 baud.
#include <gtest/gtest.h>

#include <chrono>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <thread>
#include <unistd.h>

#include "SerialTestPort.h"
#include "tools/sim/HeadUnitSimulator.h"

namespace klt::sim {
namespace {

using test::RegisterRequest;
using test::TSerialTestPort;

constexpr int64_t kClock = 1796774400; // 2026-12-09 00:00 on the head unit

struct TReply {
    bool complete = false;
    uint8_t status = 0;
    std::vector<uint8_t> data;
    bool checksumGood = false;
};

// Reply: EOT, space, address, status, four data bytes, checksum over address to data.
TReply ParseReply(const std::vector<uint8_t>& bytes) {
    TReply reply;
    if (bytes.size() != 9 || bytes[0] != 0x04 || bytes[1] != 0x20 || bytes[2] != 0x30) {
        return reply;
    }
    reply.complete = true;
    reply.status = bytes[3];
    reply.data.assign(bytes.begin() + 4, bytes.begin() + 8);
    int sum = 0;
    for (int i = 2; i < 9; ++i) {
        sum += bytes[static_cast<size_t>(i)];
    }
    reply.checksumGood = (sum & 0xFF) == 0;
    return reply;
}

class RegisterHeadUnitTest : public ::testing::Test {
protected:
    void StartUnit(TSimOptions options = {}) {
        options.generation = 4;
        options.clock = options.clock.value_or(kClock);
        options.rides = std::min(options.rides, 1);
        options.rideMinutes = 5;
        simulator_ = std::make_unique<THeadUnitSimulator>(options);
        simulator_->Start();
        port_ = std::make_unique<TSerialTestPort>(simulator_->SlavePath(), 19200);
        ASSERT_TRUE(port_->IsOpen());
    }
    TReply Exchange(int reg, std::vector<uint8_t> data = {0, 0, 0, 0}) {
        port_->Write(RegisterRequest(reg, std::move(data)));
        return ParseReply(port_->Read(9));
    }

    std::unique_ptr<THeadUnitSimulator> simulator_;
    std::unique_ptr<TSerialTestPort> port_;
};

TEST_F(RegisterHeadUnitTest, IdentifiesItsVersionAndAccessLevelWithAValidChecksum) {
    StartUnit();
    const TReply reply = Exchange(5, {0, 0, 1, 0});
    ASSERT_TRUE(reply.complete);
    EXPECT_TRUE(reply.checksumGood);
    EXPECT_EQ(reply.data[2], 3);
    EXPECT_EQ(reply.data[3], 14);
    EXPECT_EQ(reply.status, 2); // trainer, no password set
}

TEST_F(RegisterHeadUnitTest, BadChecksumIsRefusedAndNakRepeatsTheLastReply) {
    StartUnit();
    std::vector<uint8_t> spoilt = RegisterRequest(5);
    spoilt.back() ^= 0x01;
    port_->Write(spoilt);
    EXPECT_EQ(port_->Read(1), std::vector<uint8_t>{0x15});

    const TReply first = Exchange(1);
    ASSERT_TRUE(first.complete);
    port_->Write(std::vector<uint8_t>{0x15});
    const TReply repeated = ParseReply(port_->Read(9));
    EXPECT_TRUE(repeated.checksumGood);
    EXPECT_EQ(repeated.data, first.data);
    const TSimState state = simulator_->State();
    EXPECT_EQ(state.badChecksumsHeard, 1);
    EXPECT_EQ(state.repeatsRequested, 1);
}

TEST_F(RegisterHeadUnitTest, ForeignAddressIsIgnored) {
    StartUnit();
    std::vector<uint8_t> request = RegisterRequest(5);
    request[1] = 0x31;
    port_->Write(request);
    EXPECT_TRUE(port_->Read(9, 300).empty());
}

TEST_F(RegisterHeadUnitTest, PasswordUnlocksTheHeadUnitOnlyWhenRight) {
    TSimOptions options;
    options.password = 0x12345678;
    options.accessLevel = 3;
    StartUnit(options);
    EXPECT_EQ(Exchange(5).status, 0);
    EXPECT_FALSE(Exchange(2, {1, 0, 2, 0}).data[0]); // writes refused while locked

    EXPECT_EQ(Exchange(26, {0x11, 0x11, 0x11, 0x11}).status, 0);
    EXPECT_EQ(Exchange(5).status, 0);
    Exchange(26, {0x12, 0x34, 0x56, 0x78}); // high byte first
    EXPECT_EQ(Exchange(5).status, 3);

    const TSimState state = simulator_->State();
    EXPECT_EQ(state.passwordAttempts, (std::vector<uint32_t>{0x11111111, 0x12345678}));
    EXPECT_EQ(state.passwordsAccepted, 1);
    ASSERT_FALSE(state.registerWrites.empty());
    EXPECT_EQ(state.registerWrites.front().reg, 2);
    EXPECT_FALSE(state.registerWrites.front().applied);
}

TEST_F(RegisterHeadUnitTest, RefusingHeadUnitStaysLockedWithTheRightPassword) {
    TSimOptions options;
    options.password = 99;
    options.faults.refusePassword = true;
    StartUnit(options);
    Exchange(26, {99, 0, 0, 0});
    EXPECT_EQ(Exchange(5).status, 0);
    EXPECT_EQ(simulator_->State().passwordsAccepted, 0);
}

TEST_F(RegisterHeadUnitTest, OldFirmwareKnowsNoAccessLevel) {
    TSimOptions options;
    options.firmware = 234;
    options.password = 7;
    StartUnit(options);
    const TReply reply = Exchange(5);
    EXPECT_EQ(reply.data[2], 2);
    EXPECT_EQ(reply.data[3], 34);
    EXPECT_EQ(reply.status, 0);
    // Not protected: a write is taken without a password.
    Exchange(4, {0, 0, 0x3A, 0x08});
    EXPECT_EQ(Exchange(3).data[2], 0x3A);
}

TEST_F(RegisterHeadUnitTest, ClockRunsFromWhatTheComputerWrote) {
    StartUnit();
    const uint32_t set = 1800000000;
    Exchange(13, {static_cast<uint8_t>(set >> 24), static_cast<uint8_t>(set >> 16),
                  static_cast<uint8_t>(set >> 8), static_cast<uint8_t>(set)});
    const TReply reply = Exchange(14);
    const uint32_t read =
        uint32_t(reply.data[0]) << 24 | reply.data[1] << 16 | reply.data[2] << 8 | reply.data[3];
    EXPECT_GE(read, set);
    EXPECT_LT(read, set + 60);
    EXPECT_LT(reply.status, 100); // hundredths
}

TEST_F(RegisterHeadUnitTest, MemoryRecordsAreReadOneByOne) {
    StartUnit();
    const TReply fill = Exchange(8);
    const int count = fill.data[1] << 8 | fill.data[2];
    EXPECT_EQ(fill.data[0], 1); // one second
    ASSERT_GT(count, 4);
    const TReply first = Exchange(12, {0, 0, 0, 0});
    EXPECT_EQ(first.status, 0x80); // the ride begins with its date and time
    const uint32_t start =
        first.data[0] | first.data[1] << 8 | first.data[2] << 16 | uint32_t(first.data[3]) << 24;
    EXPECT_LT(start, kClock);
    EXPECT_GT(start, kClock - 2 * 86400);
    EXPECT_EQ(Exchange(12, {0, 1, 0, 0}).status, 0x81);
    const TReply beyond = Exchange(12, {static_cast<uint8_t>(count >> 8), static_cast<uint8_t>(count), 0, 0});
    EXPECT_EQ(beyond.status, 0xFF);
}

TEST_F(RegisterHeadUnitTest, EveryNthReplyHasAWrongChecksum) {
    TSimOptions options;
    options.faults.checksumEvery = 2;
    StartUnit(options);
    EXPECT_TRUE(Exchange(1).checksumGood);
    EXPECT_FALSE(Exchange(1).checksumGood);
    // Asked again, the head unit repeats the reply; the repeat is a reply like any other.
    port_->Write(std::vector<uint8_t>{0x15});
    EXPECT_TRUE(ParseReply(port_->Read(9)).checksumGood);
    EXPECT_FALSE(Exchange(1).checksumGood);
}

TEST_F(RegisterHeadUnitTest, DropFaultCutsEveryNthReplyShortAndDelayStillAnswers) {
    TSimOptions options;
    options.faults.dropEvery = 2;
    options.faults.delayMs = 20;
    StartUnit(options);
    EXPECT_TRUE(Exchange(5).complete);
    port_->Write(RegisterRequest(5));
    EXPECT_EQ(port_->Read(9, 500).size(), 8u);
    port_->Write(std::vector<uint8_t>{0x15});
    EXPECT_TRUE(ParseReply(port_->Read(9)).checksumGood);
}

TEST_F(RegisterHeadUnitTest, NakFaultRefusesEveryNthTelegram) {
    TSimOptions options;
    options.faults.nakEvery = 2;
    StartUnit(options);
    EXPECT_TRUE(Exchange(5).complete);
    port_->Write(RegisterRequest(5));
    EXPECT_EQ(port_->Read(1), std::vector<uint8_t>{0x15});
    EXPECT_TRUE(Exchange(5).complete);
}

// A computer that takes the address of the reply for the one to ask next hears nothing back.
TEST_F(RegisterHeadUnitTest, AnswersFromItsOwnAddressButHearsOnlyTheUsualOne) {
    TSimOptions options;
    options.address = 0x41;
    StartUnit(options);
    port_->Write(RegisterRequest(33));
    const std::vector<uint8_t> reply = port_->Read(9);
    ASSERT_EQ(reply.size(), 9u);
    EXPECT_EQ(reply[2], 0x41);
    EXPECT_EQ(reply[6], 0x41) << "register 33 reports it in data byte 3";
    int sum = 0;
    for (size_t i = 2; i < 9; ++i) {
        sum += reply[i];
    }
    EXPECT_EQ(sum & 0xFF, 0) << "the checksum covers the address";

    std::vector<uint8_t> toReplyAddress = RegisterRequest(33);
    toReplyAddress[1] = 0x41;
    port_->Write(toReplyAddress);
    EXPECT_TRUE(port_->Read(9, 300).empty());
}

TEST_F(RegisterHeadUnitTest, OtherSpeedsGoUnheard) {
    StartUnit();
    port_->Configure(9600);
    port_->Write(RegisterRequest(5));
    EXPECT_TRUE(port_->Read(9, 300).empty());
    EXPECT_GT(simulator_->State().garbledBytes, 0);
    port_->Configure(19200);
    EXPECT_TRUE(Exchange(5).complete);
}

// A port opened exclusively is free again once the computer closed it, as a real port would be.
TEST_F(RegisterHeadUnitTest, ExclusiveOpenEndsWithTheComputersClose) {
    StartUnit();
    port_.reset();
    const std::string path = simulator_->SlavePath();
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(ioctl(fd, TIOCEXCL), 0);
    ::close(fd);
    int exclusive = 1;
    for (int attempt = 0; attempt < 100 && exclusive != 0; ++attempt) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        const int again = ::open(path.c_str(), O_RDWR | O_NOCTTY);
        ASSERT_GE(again, 0);
        ioctl(again, TIOCGEXCL, &exclusive);
        ::close(again);
    }
    EXPECT_EQ(exclusive, 0);
    port_ = std::make_unique<TSerialTestPort>(path, 19200);
    EXPECT_TRUE(Exchange(5).complete);
}

} // namespace
} // namespace klt::sim
