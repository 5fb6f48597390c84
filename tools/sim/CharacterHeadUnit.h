#pragma once
// A generation V head unit: one-letter commands at 9600 baud, unframed before firmware 0x430A and
// framed from it on (STX, command, every data byte as two characters '0'..'?', ETX), and the
// recording memory sent in 64-byte blocks that the computer acknowledges one by one.
#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <vector>

#include "tools/sim/HeadUnitContext.h"

namespace klt::sim {

constexpr int kFramedFirmware = 0x430A;

// Every byte as two characters: high nibble + 0x30, low nibble + 0x30.
std::vector<uint8_t> ToNibbleCharacters(const std::vector<uint8_t>& bytes);

class TCharacterHeadUnit {
public:
    explicit TCharacterHeadUnit(THeadUnitContext& context);
    void Serve(); // until the line is stopped

private:
    bool Framed() const { return firmware_ >= kFramedFirmware; }
    std::optional<std::vector<uint8_t>> ReadFrame();
    std::optional<std::vector<uint8_t>> ReadRaw(char command);
    void Dispatch(char command, const std::vector<uint8_t>& data);
    // The reply data of a command, or nothing when this head unit does not know it.
    std::optional<std::vector<uint8_t>> Execute(char command, const std::vector<uint8_t>& data);
    void Download(char command);
    bool Supports(char command) const;

    THeadUnitContext& context_;
    int firmware_;
    std::vector<uint8_t> memory_; // 64-byte blocks
    std::array<std::array<uint8_t, 256>, 4> pages_{};
    std::map<char, std::vector<uint8_t>> values_; // settings kept as the commands carry them
    int wakeRun_ = 0;
    int badClockReadsLeft_; // the "badclock" fault
};

} // namespace klt::sim
