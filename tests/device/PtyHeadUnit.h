#pragma once
// A scripted head unit behind a real pseudo-terminal: a thread reads what the protocol writes to
// the slave side and answers on the master side, with the line settings the slave has.
#include <atomic>
#include <chrono>
#include <climits>
#include <deque>
#include <functional>
#include <poll.h>
#include <pty.h>
#include <string>
#include <termios.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "device/ProtocolClock.h"
#include "device/ProtocolLine.h"

namespace klt::test {

class TPtyHeadUnit {
public:
    using TResponder =
        std::function<void(uint8_t byte, const TLineSettings& settings, std::deque<uint8_t>& out)>;

    explicit TPtyHeadUnit(TResponder responder) : responder_(std::move(responder)) {
        char name[256] = {};
        if (::openpty(&master_, &slave_, name, nullptr, nullptr) == 0) {
            path_ = name;
            termios raw{};
            ::tcgetattr(slave_, &raw);
            ::cfmakeraw(&raw);
            ::tcsetattr(slave_, TCSANOW, &raw);
            thread_ = std::thread([this] { Serve(); });
        }
    }
    ~TPtyHeadUnit() {
        stop_ = true;
        if (thread_.joinable()) {
            thread_.join();
        }
        if (master_ >= 0) {
            ::close(master_);
            ::close(slave_);
        }
    }
    const std::string& Path() const { return path_; }

private:
    TLineSettings Settings() const {
        termios tio{};
        ::tcgetattr(slave_, &tio);
        TLineSettings settings;
        switch (::cfgetospeed(&tio)) {
        case B2400:
            settings.baudRate = 2400;
            break;
        case B4800:
            settings.baudRate = 4800;
            break;
        case B19200:
            settings.baudRate = 19200;
            break;
        default:
            settings.baudRate = 9600;
        }
        if ((tio.c_cflag & PARENB) != 0) {
            settings.parity = (tio.c_cflag & PARODD) != 0 ? TParity::Odd : TParity::Even;
        }
        return settings;
    }

    void Serve() {
        while (!stop_) {
            pollfd p{master_, POLLIN, 0};
            if (::poll(&p, 1, 20) <= 0 || (p.revents & POLLIN) == 0) {
                continue;
            }
            uint8_t bytes[256];
            const ssize_t n = ::read(master_, bytes, sizeof bytes);
            std::deque<uint8_t> out;
            for (ssize_t i = 0; i < n; ++i) {
                responder_(bytes[i], Settings(), out);
            }
            const std::vector<uint8_t> answer(out.begin(), out.end());
            if (!answer.empty() && ::write(master_, answer.data(), answer.size()) < 0) {
                return;
            }
        }
    }

    TResponder responder_;
    int master_ = -1, slave_ = -1;
    std::string path_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// Real time slowed (twentyfold unless told), so the protocol's own time-outs hold on a loaded
// machine. Tests that expect a head unit to stay silent slow it less, so they end sooner.
class TSlowClock : public IProtocolClock {
public:
    explicit TSlowClock(int factor = 20) : factor_(factor) {}
    uint32_t Milliseconds() override {
        const auto elapsed = std::chrono::steady_clock::now() - start_;
        return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count() /
                                     factor_);
    }
    void Sleep(int milliseconds) override {
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    }

private:
    int factor_;
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

// The serial backend with the driver's read time-outs stretched the same way.
class TSlowTimeoutsLine : public ISerialLine {
public:
    explicit TSlowTimeoutsLine(int factor = 20) : line_(CreateSerialLine()), factor_(factor) {}
    void Open(const std::string& path) override { line_->Open(path); }
    void Close() override { line_->Close(); }
    bool IsOpen() const override { return line_->IsOpen(); }
    void Configure(const TLineSettings& settings) override { line_->Configure(settings); }
    void SetTimeouts(const TLineTimeouts& t) override {
        const auto stretch = [this](int ms) { return ms == INT_MAX ? ms : ms * factor_; };
        line_->SetTimeouts({stretch(t.readInterval), stretch(t.readPerByte), stretch(t.readConstant),
                            t.writePerByte, t.writeConstant});
    }
    void Purge() override { line_->Purge(); }
    bool SetBreak(bool on) override { return line_->SetBreak(on); }
    size_t Write(const uint8_t* bytes, size_t count) override { return line_->Write(bytes, count); }
    void Flush() override { line_->Flush(); }
    size_t Read(uint8_t* bytes, size_t count) override { return line_->Read(bytes, count); }

private:
    std::unique_ptr<ISerialLine> line_;
    int factor_;
};

} // namespace klt::test
