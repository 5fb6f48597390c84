#pragma once
// A generation V head unit: one-letter commands at 9600 baud, unframed before firmware 0x430A and
// framed from it on (STX, command, every data byte as two characters '0'..'?', ETX), and the
// recording memory sent in 64-byte blocks that the computer acknowledges one by one.
#include <cstdint>
#include <map>
#include <optional>
#include <vector>

#include "tools/sim/HeadUnitContext.h"

namespace klt::sim {

constexpr int kFramedFirmware = 0x430A;
// The settings memory "Z" reads and "Y" writes a byte of (docs/genv-settings-memory.md).
constexpr size_t kSettingsPages = 4, kSettingsPageSize = 256;
constexpr int kOdometerYearKm = 4180; // the distance counter of the odometer's year

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
    uint8_t& Setting(size_t page, size_t address) {
        return settingsMemory_[page * kSettingsPageSize + address];
    }
    void PublishSettingsMemory();

    THeadUnitContext& context_;
    int firmware_;
    std::vector<uint8_t> memory_; // 64-byte blocks
    std::vector<uint8_t> settingsMemory_ = std::vector<uint8_t>(kSettingsPages * kSettingsPageSize);
    std::map<char, std::vector<uint8_t>> values_; // settings kept as the commands carry them
    int wakeRun_ = 0;
    int badClockReadsLeft_; // the "badclock" fault
};

} // namespace klt::sim
