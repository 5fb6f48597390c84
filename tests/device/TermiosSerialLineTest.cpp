#include <gtest/gtest.h>

#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>

#include "device/VeltrakErrors.h"
#include "device/transport/TermiosSerialLine.h"

namespace klt {
namespace {

// A pseudo-terminal: the line under test opens the slave, the test plays the far end on the master.
class PseudoTerminal : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(::openpty(&master_, &slave_, name_, nullptr, nullptr), 0);
        termios raw{};
        ::tcgetattr(master_, &raw);
        ::cfmakeraw(&raw);
        ::tcsetattr(master_, TCSANOW, &raw);
    }
    void TearDown() override {
        ::close(master_);
        ::close(slave_);
    }
    void Send(const std::string& bytes) {
        ASSERT_EQ(::write(master_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }
    std::string Path() const { return name_; }

    int master_ = -1, slave_ = -1;
    char name_[256] = {};
};

std::string Message(const std::function<void()>& action) {
    try {
        action();
    } catch (const EVeltrakComError& e) {
        return e.what();
    }
    return "no error";
}

TEST_F(PseudoTerminal, SettingsReachTheDevice) {
    TTermiosSerialLine line;
    line.Open(Path());
    line.Configure({19200, 8, TParity::Even, 1});
    termios tio{};
    ASSERT_EQ(::tcgetattr(slave_, &tio), 0);
    EXPECT_EQ(::cfgetospeed(&tio), B19200);
    EXPECT_EQ(tio.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    // Pseudo-terminals keep no parity bit in c_cflag; the parity check shows in c_iflag.
    EXPECT_NE(tio.c_iflag & INPCK, 0u);
    EXPECT_NE(tio.c_iflag & PARMRK, 0u);
    EXPECT_EQ(tio.c_lflag & ICANON, 0u);

    line.Configure({2400, 8, TParity::Odd, 1});
    ASSERT_EQ(::tcgetattr(slave_, &tio), 0);
    EXPECT_EQ(::cfgetispeed(&tio), B2400);
    EXPECT_NE(tio.c_iflag & INPCK, 0u);

    line.Configure({4800, 8, TParity::None, 1});
    ASSERT_EQ(::tcgetattr(slave_, &tio), 0);
    EXPECT_EQ(::cfgetospeed(&tio), B4800);
    EXPECT_EQ(tio.c_iflag & INPCK, 0u);
    EXPECT_EQ(Message([&] {
                  line.Configure({12345, 8, TParity::None, 1});
              }),
              "Baud rate 12345 is not supported");
}

TEST_F(PseudoTerminal, BytesTravelBothWays) {
    TTermiosSerialLine line;
    line.Open(Path());
    line.Configure({9600, 8, TParity::None, 1});
    line.SetTimeouts({100, 100, 2000, 100, 100});
    const uint8_t hello[] = {'V', 0x00, 0xFF};
    EXPECT_EQ(line.Write(hello, 3), 3u);
    line.Flush();
    char echo[3] = {};
    ASSERT_EQ(::read(master_, echo, 3), 3);
    EXPECT_EQ(std::string(echo, 3), std::string("V\0\xFF", 3));

    Send(std::string("ok\xFF", 3));
    uint8_t in[3] = {};
    ASSERT_EQ(line.Read(in, 3), 3u);
    EXPECT_EQ(in[2], 0xFF);
}

TEST_F(PseudoTerminal, ReadsEndWithTheirTimeouts) {
    TTermiosSerialLine line;
    line.Open(Path());
    line.Configure({9600, 8, TParity::None, 1});
    uint8_t in[8] = {};

    line.SetTimeouts({kNoWaitInterval, kNoWaitInterval, 0, 0, 0}); // return at once
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(line.Read(in, 8), 0u);
    Send("ab");
    ::usleep(20000);
    EXPECT_EQ(line.Read(in, 8), 2u);

    line.SetTimeouts({0, 1, 30, 0, 0}); // total time-out: 38 ms for nothing
    EXPECT_EQ(line.Read(in, 8), 0u);
    // The bound is generous: only a read that never ends fails here.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));

    line.SetTimeouts({20, 0, 0, 0, 0}); // interval only: a pause after the first byte ends the read
    Send("xyz");
    EXPECT_EQ(line.Read(in, 8), 3u);
}

TEST_F(PseudoTerminal, ReadWaitsForBytesThatComeLater) {
    TTermiosSerialLine line;
    line.Open(Path());
    line.Configure({9600, 8, TParity::None, 1});
    line.SetTimeouts({10000, 0, 10000, 0, 0});
    std::thread farEnd([this] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        Send("late");
    });
    uint8_t in[4] = {};
    EXPECT_EQ(line.Read(in, 4), 4u);
    farEnd.join();
}

TEST_F(PseudoTerminal, SecondOpenOfALockedPortIsRefused) {
    TTermiosSerialLine first("Com7"), second("Com7");
    first.Open(Path());
    EXPECT_EQ(Message([&] { second.Open(Path()); }), "Port Com7 is in use by another application");
    first.Close();
    second.Open(Path()); // free again once the first lets go
    EXPECT_TRUE(second.IsOpen());
}

TEST(TermiosSerialLine, MissingOrClosedPortIsReported) {
    TTermiosSerialLine line("Com3");
    EXPECT_EQ(Message([&] { line.Open("/dev/ttyKLT-not-there"); }), "Port Com3 does not exist");
    EXPECT_FALSE(line.IsOpen());
    EXPECT_EQ(Message([&] { line.Purge(); }), "Port Com3 is not existing");
    TTermiosSerialLine unnamed;
    EXPECT_EQ(Message([&] { unnamed.Open("/dev/null"); }), "Port /dev/null does not exist"); // not a terminal
}

} // namespace
} // namespace klt
