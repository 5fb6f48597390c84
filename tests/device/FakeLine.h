#pragma once
// A serial line for protocol tests: every write goes to a scripted head unit, whose answers wait
// in the read queue; time passes only when the protocol sleeps.
#include <deque>
#include <functional>
#include <span>
#include <vector>

#include "device/ProtocolClock.h"
#include "device/SerialLine.h"

namespace klt::test {

class TFakeClock : public IProtocolClock {
public:
    uint32_t Milliseconds() override { return now & 0x7FFFFFFFu; }
    void Sleep(int milliseconds) override { now += static_cast<uint32_t>(milliseconds); }
    uint32_t now = 1000;
};

class TFakeLine : public ISerialLine {
public:
    // Sees every byte written (with the line's settings at that moment) and may queue answers.
    using TResponder =
        std::function<void(uint8_t byte, const TLineSettings& settings, std::deque<uint8_t>& answer)>;

    explicit TFakeLine(TResponder responder) : responder_(std::move(responder)) {}

    void Open(const std::string& path) override {
        open_ = true;
        openedPaths.push_back(path);
    }
    void Close() override { open_ = false; }
    bool IsOpen() const override { return open_; }
    void Configure(const TLineSettings& settings) override { settings_ = settings; }
    void SetTimeouts(const TLineTimeouts&) override {}
    void Purge() override {
        if (purgeDropsAnswers) {
            incoming.clear();
        }
    }
    bool SetBreak(bool on) override {
        if (on) {
            ++breaks;
        }
        return breakWorks;
    }
    size_t Write(const uint8_t* bytes, size_t count) override {
        for (size_t i = 0; i < count; ++i) {
            written.push_back(bytes[i]);
            responder_(bytes[i], settings_, incoming);
        }
        return count;
    }
    void Flush() override {}
    size_t Read(uint8_t* bytes, size_t count) override {
        size_t got = 0;
        while (got < count && !incoming.empty()) {
            bytes[got++] = incoming.front();
            incoming.pop_front();
        }
        return got;
    }

    std::deque<uint8_t> incoming;
    std::vector<uint8_t> written;
    std::vector<std::string> openedPaths;
    int breaks = 0;
    bool breakWorks = true;
    bool purgeDropsAnswers = false;

private:
    TResponder responder_;
    TLineSettings settings_;
    bool open_ = false;
};

} // namespace klt::test
