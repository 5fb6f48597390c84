#pragma once
// A serial line that records what is done to it and answers from a script.
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "device/SerialLine.h"
#include "device/transport/VeltrakLine.h"

namespace klt::test {

class TScriptedSerialLine : public ISerialLine {
public:
    void Open(const std::string&) override { open = true; }
    void Close() override { open = false; }
    bool IsOpen() const override { return open; }
    void Configure(const TLineSettings& value) override { settings = value; }
    void SetTimeouts(const TLineTimeouts& value) override { timeouts = value; }
    void Purge() override { calls.push_back("purge"); }
    bool SetBreak(bool on) override {
        calls.push_back(on ? "break on" : "break off");
        return canBreak;
    }
    size_t Write(const uint8_t* bytes, size_t count) override {
        // Each scripted refusal makes one write take nothing.
        if (!refusals.empty() && refusals.front()-- > 0) {
            calls.push_back("refused");
            return 0;
        }
        if (!refusals.empty()) {
            refusals.pop_front();
        }
        written.append(reinterpret_cast<const char*>(bytes), count);
        calls.push_back("write " + std::to_string(count));
        return count;
    }
    void Flush() override { calls.push_back("flush"); }
    size_t Read(uint8_t* bytes, size_t count) override {
        calls.push_back("read");
        if (onRead) {
            onRead();
        }
        if (reads.empty()) {
            return 0;
        }
        std::string next = reads.front();
        reads.pop_front();
        const size_t n = std::min(count, next.size());
        std::copy_n(next.begin(), n, bytes);
        return n;
    }

    bool open = true;
    bool canBreak = true;
    TLineSettings settings;
    TLineTimeouts timeouts;
    std::deque<int> refusals; // per byte written in turn: how many attempts take nothing
    std::deque<std::string> reads;
    std::function<void()> onRead;
    std::string written;
    std::vector<std::string> calls;
};

// Records sleeps instead of sleeping, into the same log as the line.
class TRecordingSleeper : public ISleeper {
public:
    explicit TRecordingSleeper(std::vector<std::string>& log) : log_(log) {}
    void Sleep(int milliseconds) override { log_.push_back("sleep " + std::to_string(milliseconds)); }

private:
    std::vector<std::string>& log_;
};

} // namespace klt::test
