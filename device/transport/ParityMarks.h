#pragma once
// Turns bytes read with PARMRK into what the head unit protocols expect: a byte received with a
// parity error (marked 0xFF 0x00 x by the kernel) becomes the error character 0xFE, a doubled 0xFF
// is one 0xFF. A mark split across two reads is finished by the next one.
#include <cstddef>
#include <cstdint>

namespace klt {

inline constexpr uint8_t kParityErrorChar = 0xFE;

class TParityMarkDecoder {
public:
    // Decodes length raw bytes into out (room for length bytes); the number of bytes produced.
    size_t Decode(const uint8_t* raw, size_t length, uint8_t* out);
    void Reset() { pending_ = 0; }

private:
    int pending_ = 0; // bytes of an unfinished mark seen: 0xFF, then 0x00
};

} // namespace klt
