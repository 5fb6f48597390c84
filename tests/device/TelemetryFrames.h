#pragma once
// Telemetry frames as a head unit sends them, built byte by byte for the tests.
#include <cstdint>
#include <string>
#include <vector>

#include "device/live/TelemetryFrame.h"

namespace klt::test {

struct TFrameValues {
    uint8_t rider = 1;
    int hours = 10, minutes = 20, seconds = 30;
    bool perMinute = false;
    uint16_t power = 250; // W
    uint16_t speed = 360; // 0.1 km/h (or m/min)
    uint8_t cadence = 90;
    uint8_t heartRate = 140;
    uint32_t counter = 7;
};

inline uint8_t Bcd(int value) { return static_cast<uint8_t>((value / 10) << 4 | (value % 10)); }

// The raw frame: "J" and 15 bytes, the checksum over the rider number as given.
inline std::vector<uint8_t> RawFrame(const TFrameValues& v) {
    std::vector<uint8_t> f{'J', v.rider, static_cast<uint8_t>(Bcd(v.hours) | (v.perMinute ? 0x80 : 0)),
                           Bcd(v.minutes), Bcd(v.seconds), static_cast<uint8_t>(v.power >> 8),
                           static_cast<uint8_t>(v.power), static_cast<uint8_t>(v.speed >> 8),
                           static_cast<uint8_t>(v.speed), v.cadence, v.heartRate,
                           static_cast<uint8_t>(v.counter >> 24), static_cast<uint8_t>(v.counter >> 16),
                           static_cast<uint8_t>(v.counter >> 8), static_cast<uint8_t>(v.counter)};
    uint8_t sum = 0;
    for (const uint8_t b : f) {
        sum ^= b;
    }
    f.push_back(sum);
    return f;
}

// The same frame as a character frame: 0x02 and bytes 1 to 15 as two characters each.
inline std::vector<uint8_t> CharacterFrame(const std::vector<uint8_t>& raw) {
    std::vector<uint8_t> f{0x02};
    for (size_t i = 1; i < raw.size(); ++i) {
        f.push_back(static_cast<uint8_t>((raw[i] >> 4) + 0x30));
        f.push_back(static_cast<uint8_t>((raw[i] & 0x0F) + 0x30));
    }
    return f;
}

// Bytes handed out as a line would: what is left, in pieces of at most `piece`.
class TBytesSource : public ITelemetryByteSource {
public:
    explicit TBytesSource(std::vector<uint8_t> bytes, size_t piece = 64) : bytes_(std::move(bytes)), piece_(piece) {}
    size_t Read(uint8_t* out, size_t count) override {
        size_t n = std::min({count, piece_, bytes_.size() - next_});
        std::copy_n(bytes_.begin() + static_cast<std::ptrdiff_t>(next_), n, out);
        next_ += n;
        return n;
    }
    size_t Left() const { return bytes_.size() - next_; }

private:
    std::vector<uint8_t> bytes_;
    size_t piece_;
    size_t next_ = 0;
};

} // namespace klt::test
