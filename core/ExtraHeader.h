#pragma once
// The records a newer training file carries after its samples: the power meter's battery state
// and the identity of the sensor that recorded the ride (24 bytes, little-endian words).
#include <array>
#include <cstddef>
#include <cstdint>

namespace klt {

class TBinaryReader;
class TAtomicFileWriter;

struct TPMBatInfo {
    uint32_t battery = 0x7FFF;  // 0xFFFF when the head unit reported none
    uint32_t battery2 = 0xFFFF;
    bool operator==(const TPMBatInfo&) const = default;
};

struct TSensorInfo {
    // Word 0 is the power-meter sensor's identity; the others are carried for the head unit.
    std::array<uint32_t, 4> words = {0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF};
    bool operator==(const TSensorInfo&) const = default;
};

class TExtraHeader {
public:
    static constexpr size_t kSize = 24;
    using Bytes = std::array<uint8_t, kSize>;

    TPMBatInfo batInfo;
    TSensorInfo sensorInfo;

    void ReadFromStream(const Bytes& bytes);
    Bytes WriteToStream() const;
    void ReadFromFile(TBinaryReader& file);
    void WriteToFile(TAtomicFileWriter& file) const;

    bool operator==(const TExtraHeader&) const = default;
};

} // namespace klt
