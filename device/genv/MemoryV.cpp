#include "device/genv/MemoryV.h"

#include <algorithm>

#include "device/genv/MemoryVCorrections.h"

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

bool MemoryVBlockHoldsData(std::span<const uint8_t> block) {
    return block.size() >= kMemoryVBlockSize &&
           std::any_of(block.begin() + kTemperatureByte, block.begin() + kMemoryVBlockSize,
                       [](uint8_t byte) { return byte != 0; });
}

std::optional<TVeltrakVBlockStart> MemoryVBlockStart(std::span<const uint8_t> block) {
    if (!MemoryVBlockHoldsData(block)) {
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

std::vector<std::string> TMemoryVParse::Problems() const {
    std::vector<std::string> problems;
    auto add = [&](int count, const char* what) {
        if (count > 0) {
            problems.push_back((count == 1 ? std::string("1 block") : std::to_string(count) + " blocks") +
                               " of the Veltrak's memory " + what + ".");
        }
    };
    add(undatedBlocks, "held data without a valid date and time");
    add(unstartedBlocks, "held data before the first training started");
    add(garbledBlocks, "stayed garbled after every attempt to read them");
    return problems;
}

namespace {

// Builds the trainings block by block. A block's records are taken only once the next block shows
// whether it ended its training: the unused slots after the last recorded sample are no samples.
class TMemoryVParser {
public:
    TMemoryVParser(uint16_t firmware, int32_t interval) : firmware_(firmware), corrections_{interval, firmware} {}

    TMemoryVParse Parse(std::span<const uint8_t> memory, std::span<const size_t> garbled) {
        for (size_t index = 0; (index + 1) * kMemoryVBlockSize <= memory.size(); ++index) {
            const auto block = memory.subspan(index * kMemoryVBlockSize, kMemoryVBlockSize);
            if (std::find(garbled.begin(), garbled.end(), index) != garbled.end()) {
                ++parse_.garbledBlocks;
                Interrupt();
                continue;
            }
            const auto start = MemoryVBlockStart(block);
            if (!start) {
                if (MemoryVBlockHoldsData(block)) {
                    ++parse_.undatedBlocks;
                }
                Interrupt();
                continue;
            }
            if (start->startsTraining) {
                Commit(true);
                parse_.trainings.push_back({*start, {}, {}, {{*start, 0}}});
                markers_.emplace(firmware_);
                gap_ = false;
            } else if (parse_.trainings.empty()) {
                ++parse_.unstartedBlocks;
                continue;
            } else {
                Commit(false);
                if (gap_) {
                    parse_.trainings.back().blocks.push_back({*start, 0});
                    gap_ = false;
                }
            }
            pending_ = block;
            pendingStart_ = *start;
        }
        Commit(true);
        return std::move(parse_);
    }

private:
    // A block of the training was lost: what follows goes on at its own time.
    void Interrupt() {
        Commit(true);
        gap_ = !parse_.trainings.empty();
    }

    void Commit(bool endsTraining) {
        if (pending_.empty()) {
            return;
        }
        size_t count = (kMemoryVBlockSize - kFirstRecordByte) / kRecordSize;
        const auto record = [&](size_t i) { return pending_.data() + kFirstRecordByte + i * kRecordSize; };
        while (endsTraining && count > 0 && std::all_of(record(count - 1), record(count - 1) + kRecordSize,
                                                        [](uint8_t byte) { return byte == 0; })) {
            --count;
        }
        TVeltrakVTraining& training = parse_.trainings.back();
        const auto temperature = static_cast<int32_t>(static_cast<int8_t>(pending_[kTemperatureByte])) * 10;
        for (size_t i = 0; i < count; ++i) {
            TVeltrakVSample sample = DecodeRecord(record(i), firmware_, pendingStart_.speedPerMinute);
            sample.temperature = temperature;
            training.samples.push_back(sample);
            ++training.blocks.back().count;
            markers_->Record(record(i), static_cast<int>(training.samples.size()) - 1, training.markers);
            corrections_.AfterSample(training.samples);
        }
        pending_ = {};
    }

    uint16_t firmware_;
    TMemoryVCorrections corrections_;
    TMemoryVParse parse_;
    std::optional<TMarkerTracker> markers_;
    std::span<const uint8_t> pending_;
    TVeltrakVBlockStart pendingStart_;
    bool gap_ = false;
};

} // namespace

TMemoryVParse ParseMemoryV(std::span<const uint8_t> memory, uint16_t firmware, int32_t intervalHundredths,
                           std::span<const size_t> garbled) {
    return TMemoryVParser(firmware, intervalHundredths).Parse(memory, garbled);
}

} // namespace klt
