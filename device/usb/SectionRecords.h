#pragma once
// The recording sections of generation VI and 7 head units as they arrive: a 39-byte header per
// section and blocks of 16-byte sample records, all integers big-endian (docs/usb-sections.md).
// Replies are hostile: sizes, counts, dates and intervals are checked before anything is used.
#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace klt {

inline constexpr size_t kSectionHeaderSize = 39;
inline constexpr size_t kSectionRecordSize = 16;
inline constexpr size_t kSectionBlockRecords = 32;
inline constexpr uint8_t kSectionEndMarker = 0xFF;
// Far more than any head unit's memory holds; a larger count is a damaged header.
inline constexpr uint32_t kMaxSectionRecords = 1u << 20;
inline constexpr int64_t kHundredthsPerDay = 8640000;

// One section header, checked: a real date and time, an interval a training file can hold.
struct TVeltrakDataHeader {
    uint16_t day = 0;       // days since 1 January 1880
    int32_t startTime = 0;  // hundredths of the day
    uint16_t intervalMs = 0;
    std::array<char, 20> initials{}; // as recorded, padding included
    uint16_t slope = 0;              // raw; × 30.558 is the slope in use
    uint16_t wheel = 0;              // mm
    int16_t zeroOffset = 0;
    uint32_t records = 0; // sample records, pause records included

    int32_t Interval() const { return intervalMs / 10; } // hundredths
    int64_t Start() const { return day * kHundredthsPerDay + startTime; } // hundredths since 1880
    int64_t End() const { return Start() + static_cast<int64_t>(records) * Interval(); }
    // The initials without padding, as training files keep them.
    std::string InitialsText() const;
    // The slope in use, as training files and the head unit's status keep it.
    uint16_t SlopeUsed() const;
    bool operator==(const TVeltrakDataHeader&) const = default;
};

// Whether `next` goes on with the ride of `last`: it starts less than `maxPause` hundredths after
// the end of `last` (and not a second or more before it), with equal interval, slope, wheel
// circumference and initials.
bool ContinuesRide(const TVeltrakDataHeader& last, const TVeltrakDataHeader& next, int32_t maxPause);

// Whether a reply has the size of a section header; a reply of another size was garbled.
bool IsSectionHeaderReply(std::span<const uint8_t> payload);
// The header of a reply of that size; EConvertError naming the fault when the content is impossible.
TVeltrakDataHeader ParseSectionHeader(std::span<const uint8_t> payload);

// The storage interval as the numerator and denominator of a training file (seconds = n / d).
struct TIntervalFraction {
    uint8_t numerator = 1;
    uint8_t denominator = 1;
};
TIntervalFraction IntervalFraction(uint16_t intervalMs);

// One sample record in the raw units of training files.
struct TSectionRecord {
    int power = 0;       // W
    int cadence = 0;     // rpm
    int speed = 0;       // mm/s
    int heartRate = 0;   // bpm
    int altitude = 0;    // m
    int temperature = 0; // tenths of a degree Celsius
    uint8_t marker = 0;  // 0 off, 1..0xFE on
    bool pause = false;  // the rider stood still: no values recorded
};

// The records of one block reply, up to an end record: head units end the data of the last block
// of a section with one, some that of every block. A block without records: the section has no
// more data.
struct TSectionBlock {
    std::vector<TSectionRecord> records;
};

// Whether a reply has the size of a block: 1 to 32 whole records.
bool IsSectionBlockReply(std::span<const uint8_t> payload);
// The records of a block reply of that size.
TSectionBlock ParseSectionBlock(std::span<const uint8_t> payload);

} // namespace klt
