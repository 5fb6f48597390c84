#pragma once
// Register telegrams of the older head units: 0x04, address, 0x20, register, four data bytes and
// a checksum; the reply 0x20, address, status, four data bytes and its checksum.
#include <array>
#include <cstdint>
#include <span>

namespace klt {

inline constexpr uint8_t kRegisterStart = 0x04;
inline constexpr uint8_t kRegisterMark = 0x20;
inline constexpr uint8_t kNak = 0x15;
inline constexpr uint8_t kAck = 0x06;

// The two's complement of the 8-bit sum.
uint8_t RegisterChecksum(std::span<const uint8_t> bytes);
// The request for a register with these four data bytes.
std::array<uint8_t, 9> RegisterRequest(uint8_t address, uint8_t registerNumber,
                                       std::span<const uint8_t, 4> data);

} // namespace klt
