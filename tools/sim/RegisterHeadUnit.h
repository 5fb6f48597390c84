#pragma once
// A generation IV head unit: register telegrams at 19200 baud, version and access level in
// register 5, password in register 26, recording memory read record by record through register 12.
#include <array>
#include <cstdint>
#include <map>
#include <vector>

#include "tools/sim/HeadUnitContext.h"
#include "tools/sim/SimMemory.h"

namespace klt::sim {

// The address requests must carry; replies come from TSimOptions::address.
constexpr uint8_t kRegisterAddress = 0x30;

// Two's complement of the 8-bit sum: what makes the bytes and their checksum add up to zero.
uint8_t RegisterChecksum(const uint8_t* bytes, int count);

class TRegisterHeadUnit {
public:
    explicit TRegisterHeadUnit(THeadUnitContext& context);
    void Serve(); // until the line is stopped

    using TRegisterBlock = std::array<uint8_t, 5>; // status and four data bytes

private:
    void Answer(const uint8_t* request);
    TRegisterBlock Read(int reg, const uint8_t* data);
    TRegisterBlock Write(int reg, const uint8_t* data);
    void SetInterval(int numerator, int denominator);
    bool Locked() const { return accessLevel_ == 0; }
    int Version() const { return context_.Options().Firmware(); }
    // Records in the upper part of the memory (firmware 300 and later), and below it.
    int UpperCount() const;
    int LowerCount() const { return static_cast<int>(memory_.size()) - UpperCount(); }

    THeadUnitContext& context_;
    TRecordSettings settings_;
    std::vector<TMemoryRecord> memory_;
    std::vector<TRideSample> live_;
    std::map<int, std::array<uint8_t, 4>> stored_; // registers kept as written
    int accessLevel_;
    std::vector<uint8_t> lastReply_;
};

} // namespace klt::sim
