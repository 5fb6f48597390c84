#pragma once
// An FTDI link for protocol tests: each write is one request to a scripted head unit (a queue of
// replies, then a handler), whose answer waits in the receive queue; every operation is noted with
// the fake clock's time.
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "device/FtdiLink.h"
#include "tests/device/FakeLine.h"

namespace klt::test {

using TBytes = std::vector<uint8_t>;

// A reply frame around a payload that starts with class and code.
inline TBytes ReplyFrame(const TBytes& payload) {
    const auto length = static_cast<uint16_t>(payload.size() + 1);
    TBytes reply{0xA4, 0xB0, static_cast<uint8_t>(length >> 8), static_cast<uint8_t>(length)};
    reply.insert(reply.end(), payload.begin(), payload.end());
    uint8_t checksum = 0;
    for (uint8_t b : reply) {
        checksum ^= b;
    }
    reply.push_back(checksum);
    return reply;
}

struct TFtdiEvent {
    std::string what; // "open", "close", "cycle", "bitmode", "write"
    uint32_t at = 0;  // fake clock
    uint8_t mask = 0, mode = 0;
};

class TFakeFtdi : public IFtdiLink {
public:
    explicit TFakeFtdi(TFakeClock* clock = nullptr) : clock_(clock) {}

    std::deque<TBytes> replies;                         // answered first, one per write
    std::function<TBytes(const TBytes& request)> headUnit; // then this; nothing without it
    std::vector<TBytes> requests;
    std::deque<uint8_t> incoming;
    std::vector<TFtdiEvent> events;
    TFtStatus openStatus = FT_OK;
    int breaks = 0;

    int Count(const std::string& what) const {
        int n = 0;
        for (const TFtdiEvent& event : events) {
            n += event.what == what ? 1 : 0;
        }
        return n;
    }
    // Requests with this class and code.
    std::vector<TBytes> RequestsOf(uint8_t requestClass, uint8_t code) const {
        std::vector<TBytes> found;
        for (const TBytes& r : requests) {
            if (r.size() > 5 && r[4] == requestClass && r[5] == code) {
                found.push_back(r);
            }
        }
        return found;
    }

    TFtStatus DeviceCount(int& count) override { return count = 1, FT_OK; }
    TFtStatus DeviceDescription(int, std::string& d) override { return d = "VELTRAK 7", FT_OK; }
    TFtStatus OpenByDescription(const std::string&) override { return Note("open"), openStatus; }
    TFtStatus Close() override { return Note("close"), FT_OK; }
    TFtStatus ResetDevice() override { return FT_OK; }
    TFtStatus PurgeTransmit() override { return FT_OK; }
    TFtStatus PurgeReceive() override { return incoming.clear(), FT_OK; }
    TFtStatus SetBreak(bool on) override { return breaks += on ? 1 : 0, FT_OK; }
    TFtStatus SetBaudRate(int) override { return FT_OK; }
    TFtStatus SetDataCharacteristics(int, int, int) override { return FT_OK; }
    TFtStatus SetFlowControlNone(uint8_t, uint8_t) override { return FT_OK; }
    TFtStatus SetTimeouts(int, int) override { return FT_OK; }
    TFtStatus QueueStatus(size_t& waiting) override { return waiting = incoming.size(), FT_OK; }
    TFtStatus Write(const uint8_t* bytes, size_t count, size_t& written) override {
        Note("write");
        requests.emplace_back(bytes, bytes + count);
        written = count;
        TBytes reply;
        if (!replies.empty()) {
            reply = replies.front();
            replies.pop_front();
        } else if (headUnit) {
            reply = headUnit(requests.back());
        }
        incoming.insert(incoming.end(), reply.begin(), reply.end());
        return FT_OK;
    }
    TFtStatus Read(uint8_t* bytes, size_t count, size_t& read) override {
        read = 0;
        while (read < count && !incoming.empty()) {
            bytes[read++] = incoming.front();
            incoming.pop_front();
        }
        return FT_OK;
    }
    TFtStatus SetBitMode(uint8_t mask, uint8_t mode) override {
        events.push_back({"bitmode", Now(), mask, mode});
        return FT_OK;
    }
    TFtStatus CyclePort() override { return Note("cycle"), FT_OK; }

private:
    uint32_t Now() const { return clock_ != nullptr ? clock_->now : 0; }
    void Note(const char* what) { events.push_back({what, Now()}); }

    TFakeClock* clock_;
};

} // namespace klt::test
