#include "device/genv/MemoryV.h"

#include "device/genv/MemoryVCorrections.h"

#include <numeric>

namespace klt {

namespace {

constexpr size_t kTemperatureByte = 8;
constexpr size_t kFirstRecordByte = 9;
constexpr size_t kRecordSize = 5;
constexpr uint16_t kDoubledSpeedFirmware = 0x3403;      // speed counted in steps of two above this
constexpr uint16_t kMarkerIgnoresBit6Firmware = 0x2B23; // up to this, bit 6 records do not toggle
constexpr uint8_t kMarkerBit = 0x80;

std::optional<uint8_t> Bcd(uint8_t value, uint8_t tensMask, uint8_t limit) {
    const int units = value & 0x0F;
    if (units > 9) {
        return std::nullopt;
    }
    const int number = ((value & tensMask) >> 4) * 10 + units;
    if (number >= limit) {
        return std::nullopt;
    }
    return static_cast<uint8_t>(number);
}

TVeltrakVSample DecodeRecord(const uint8_t* r, uint16_t firmware, bool perMinute) {
    TVeltrakVSample sample;
    sample.power = ((r[0] & 0x0F) << 8) | r[1];
    const bool doubled = firmware > kDoubledSpeedFirmware;
    const int32_t raw = ((r[0] & (doubled ? 0x30 : 0x70)) << 4) | r[2];
    sample.speed = (perMinute ? raw * 1000 / 60 : raw * 100000 / 3600) * (doubled ? 2 : 1);
    sample.cadence = r[3];
    sample.heartRate = r[4];
    return sample;
}

class TMarkerTracker {
public:
    explicit TMarkerTracker(uint16_t firmware) : ignoreBit6_(firmware <= kMarkerIgnoresBit6Firmware) {}

    void Record(const uint8_t* r, int sampleIndex, std::vector<TVeltrakVMarker>& markers) {
        const bool onlyMarker = (r[0] & ~kMarkerBit) == 0 && r[1] == 0 && r[2] == 0 && r[3] == 0 && r[4] == 0;
        if (onlyMarker || (ignoreBit6_ && (r[0] & 0x40) != 0)) {
            return;
        }
        const bool on = (r[0] & kMarkerBit) != 0;
        if (on && !on_) {
            markers.push_back({sampleIndex, -1});
        } else if (!on && on_) {
            markers.back().last = sampleIndex - 1;
        }
        on_ = on;
    }

private:
    bool ignoreBit6_;
    bool on_ = false;
};

} // namespace

std::optional<TVeltrakVBlockStart> MemoryVBlockStart(std::span<const uint8_t> block) {
    if (block.size() < kMemoryVBlockSize ||
        std::accumulate(block.begin() + kTemperatureByte, block.begin() + kMemoryVBlockSize, 0) == 0) {
        return std::nullopt;
    }
    const auto day = Bcd(block[0], 0x30, 32);
    const auto month = Bcd(block[1], 0x10, 13);
    const auto hour = Bcd(block[2], 0x30, 24);
    const auto minute = Bcd(block[3], 0x70, 60);
    const auto second = Bcd(block[4], 0x70, 60);
    if (!day || *day == 0 || !month || *month == 0 || !hour || !minute || !second || (block[3] & 0x80) != 0 ||
        (block[4] & 0x80) != 0) {
        return std::nullopt;
    }
    TVeltrakVBlockStart start{*day, *month, *hour, *minute, *second};
    start.speedPerMinute = (block[2] & 0x80) != 0;
    start.startsTraining = block[0] >= 0x40 || (block[1] & 0x20) != 0;
    return start;
}

std::vector<TVeltrakVTraining> ParseMemoryV(std::span<const uint8_t> memory, uint16_t firmware,
                                            int32_t intervalHundredths) {
    std::vector<TVeltrakVTraining> trainings;
    std::optional<TMarkerTracker> markers;
    const TMemoryVCorrections corrections{intervalHundredths, firmware};
    for (size_t offset = 0; offset + kMemoryVBlockSize <= memory.size(); offset += kMemoryVBlockSize) {
        const auto block = memory.subspan(offset, kMemoryVBlockSize);
        const auto start = MemoryVBlockStart(block);
        if (!start) {
            continue;
        }
        if (start->startsTraining) {
            trainings.push_back({*start, block[kTemperatureByte] * 10, {}, {}});
            markers.emplace(firmware);
        } else if (trainings.empty()) {
            continue;
        }
        TVeltrakVTraining& training = trainings.back();
        for (size_t at = kFirstRecordByte; at + kRecordSize <= kMemoryVBlockSize; at += kRecordSize) {
            const uint8_t* record = block.data() + at;
            training.samples.push_back(DecodeRecord(record, firmware, training.start.speedPerMinute));
            markers->Record(record, static_cast<int>(training.samples.size()) - 1, training.markers);
            corrections.AfterSample(training.samples);
        }
    }
    return trainings;
}

} // namespace klt
