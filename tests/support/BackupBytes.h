#pragma once
// Memory-image backup files laid out byte by byte: magic, format and length, status block,
// records; so the reader is never checked only against the program's own writer.
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

namespace klt::test {

inline constexpr uint16_t kBackupDay = 32872; // the day the backups' head-unit clock counts from
inline const std::vector<uint8_t> kClock8h = {0x80, 0x80, 0x70, 0x00, 0x00};  // 28800 s
inline const std::vector<uint8_t> kClock14h = {0x80, 0xE0, 0xC4, 0x00, 0x00}; // 50400 s
inline const std::vector<uint8_t> kRiding = {0x10, 0x25, 0x12, 90, 140};
inline const std::vector<uint8_t> kCurrentFormat = {'4', 0x19, 0x02}; // format "4", 537

class TBackupBytes {
public:
    explicit TBackupBytes(std::vector<uint8_t> formatAndLength, size_t statusSize = 535)
        : bytes_{'K', 'L', 'T', 'I', 'M', 'A', 'G', 'E'} {
        bytes_.insert(bytes_.end(), formatAndLength.begin(), formatAndLength.end());
        statusAt_ = bytes_.size();
        bytes_.resize(bytes_.size() + statusSize);
        statusSize_ = statusSize;
        Put(0, 300, 2);                      // firmware
        Put(3, 2 | 'J' << 8 | 'o' << 16, 3); // initials "Jo"
        Put(24, 1, 1);                       // interval numerator
        Put(25, 1, 1);                       // interval denominator
        Put(26, kBackupDay, 2);              // clock day
    }
    TBackupBytes& Records(const std::vector<uint8_t>& record, int times = 1) {
        for (int i = 0; i < times; ++i) {
            bytes_.insert(bytes_.end(), record.begin(), record.end());
        }
        count_ += times;
        Put(40, static_cast<uint32_t>(count_), 2); // fill count
        return *this;
    }
    std::vector<uint8_t>& Bytes() { return bytes_; }
    std::string WriteTo(const std::string& path) const {
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes_.data()), static_cast<std::streamsize>(bytes_.size()));
        return path;
    }

private:
    void Put(size_t offset, uint32_t value, size_t width) {
        // A shorter block holds only the fields that fit.
        for (size_t i = 0; i < width && offset + i < statusSize_; ++i) {
            bytes_[statusAt_ + offset + i] = static_cast<uint8_t>(value >> (8 * i));
        }
    }
    std::vector<uint8_t> bytes_;
    size_t statusAt_ = 0;
    size_t statusSize_ = 0;
    int count_ = 0;
};

// Two rides of "Jo" on one day: four samples from 8:00, three from 14:00.
inline TBackupBytes TwoRides(std::vector<uint8_t> formatAndLength = kCurrentFormat, size_t statusSize = 535) {
    TBackupBytes backup(std::move(formatAndLength), statusSize);
    backup.Records(kClock8h).Records(kRiding, 4).Records(kClock14h).Records(kRiding, 3);
    return backup;
}

} // namespace klt::test
