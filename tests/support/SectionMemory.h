#pragma once
// A generation VI/7 head unit's recording memory written byte by byte after docs/usb-sections.md,
// and a request port that serves it as the head unit does: section count, headers, data blocks
// and the repeat requests, with faults to inject.
#include <algorithm>
#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "device/usb/RequestPort.h"

namespace klt::test {

using TRecordBytes = std::array<uint8_t, 16>;

inline void PutWord(uint8_t* at, uint32_t value) {
    at[0] = static_cast<uint8_t>(value >> 8);
    at[1] = static_cast<uint8_t>(value);
}

struct TSampleValues {
    int power = 200;      // W
    int cadence = 90;     // rpm
    int speed = 300;      // 0.1 km/h
    int heartRate = 140;  // bpm
    int altitude = 500;   // m
    int temperature = 200; // 0.1 degC
    uint8_t marker = 0;
};

inline TRecordBytes SampleRecord(const TSampleValues& v) {
    TRecordBytes r{};
    PutWord(&r[0], static_cast<uint32_t>(v.power));
    r[2] = static_cast<uint8_t>(v.cadence);
    PutWord(&r[3], static_cast<uint32_t>(v.speed));
    r[5] = static_cast<uint8_t>(v.heartRate);
    PutWord(&r[6], static_cast<uint16_t>(static_cast<int16_t>(v.altitude)));
    PutWord(&r[8], static_cast<uint16_t>(static_cast<int16_t>(v.temperature)));
    r[10] = v.marker;
    return r;
}

inline TRecordBytes PauseRecord() {
    return TRecordBytes{};
}

inline TRecordBytes EndRecord() {
    TRecordBytes r{};
    r[10] = 0xFF;
    return r;
}

struct TSectionSpec {
    int day = 9, month = 12, year = 2026;
    int hour = 8, minute = 0, second = 0;
    int intervalMs = 1000;
    std::string initials = "JD";
    int slope = 250;
    int wheel = 2095;
    int zeroOffset = -12;
    std::vector<TRecordBytes> records; // without the end record
    int64_t announcedRecords = -1;     // -1: the number of records
    bool endEveryBlock = false;        // the data of every block end with the end record

    // The 39 header bytes.
    std::vector<uint8_t> HeaderBytes() const {
        std::vector<uint8_t> h(39, 0);
        h[0] = static_cast<uint8_t>(day);
        h[1] = static_cast<uint8_t>(month);
        PutWord(&h[2], static_cast<uint32_t>(year));
        h[4] = static_cast<uint8_t>(hour);
        h[5] = static_cast<uint8_t>(minute);
        h[6] = static_cast<uint8_t>(second);
        PutWord(&h[7], static_cast<uint32_t>(intervalMs));
        std::copy_n(initials.begin(), std::min<size_t>(initials.size(), 20), h.begin() + 9);
        PutWord(&h[29], static_cast<uint32_t>(slope));
        PutWord(&h[31], static_cast<uint32_t>(wheel));
        PutWord(&h[33], static_cast<uint16_t>(static_cast<int16_t>(zeroOffset)));
        const auto count = static_cast<uint32_t>(announcedRecords < 0 ? records.size() : announcedRecords);
        PutWord(&h[35], count >> 16);
        PutWord(&h[37], count & 0xFFFF);
        return h;
    }
    // The data as blocks of up to 32 records, the end record last; with endEveryBlock, blocks of up
    // to 31 records and the end record each, and a block of the end record alone last.
    std::vector<std::vector<uint8_t>> Blocks() const {
        std::vector<std::vector<uint8_t>> blocks;
        const auto add = [&](std::vector<TRecordBytes> part) {
            std::vector<uint8_t> block;
            for (const TRecordBytes& record : part) {
                block.insert(block.end(), record.begin(), record.end());
            }
            blocks.push_back(std::move(block));
        };
        if (endEveryBlock) {
            for (size_t i = 0; i < records.size(); i += 31) {
                std::vector<TRecordBytes> part(records.begin() + static_cast<long>(i),
                                               records.begin() + static_cast<long>(std::min(records.size(), i + 31)));
                part.push_back(EndRecord());
                add(std::move(part));
            }
            add({EndRecord()});
            return blocks;
        }
        std::vector<TRecordBytes> all = records;
        all.push_back(EndRecord());
        for (size_t i = 0; i < all.size(); i += 32) {
            add(std::vector<TRecordBytes>(all.begin() + static_cast<long>(i),
                                          all.begin() + static_cast<long>(std::min(all.size(), i + 32))));
        }
        return blocks;
    }
    // Appends `count` samples of `values`.
    TSectionSpec& Samples(int count, const TSampleValues& values = {}) {
        records.insert(records.end(), static_cast<size_t>(count), SampleRecord(values));
        return *this;
    }
    TSectionSpec& Pauses(int count) {
        records.insert(records.end(), static_cast<size_t>(count), PauseRecord());
        return *this;
    }
    TSectionSpec& At(int h, int m, int s = 0) {
        hour = h;
        minute = m;
        second = s;
        return *this;
    }
};

// The head unit's side of kinds 29 to 33. A fault hook may refuse (false) or throw for any request.
class TSectionHeadUnit : public IRequestPort {
public:
    std::vector<TSectionSpec> sections;
    // Asked after the head unit acted on the request: false loses the reply. `count` counts the
    // requests of this kind so far.
    std::function<bool(int kind, int count)> fault;
    std::vector<int> requests; // kinds in the order asked

    bool Request(int kind, std::span<const uint8_t> = {}) override {
        requests.push_back(kind);
        const bool served = Serve(kind);
        return (!fault || fault(kind, Count(kind))) && served;
    }
    const std::vector<uint8_t>& Payload() const override { return payload_; }

    int Count(int kind) const { return static_cast<int>(std::count(requests.begin(), requests.end(), kind)); }

private:
    bool Serve(int kind) {
        switch (kind) {
        case 29:
            cursor_ = -1;
            payload_ = {static_cast<uint8_t>(sections.size() >> 8), static_cast<uint8_t>(sections.size())};
            return true;
        case 30:
            ++cursor_;
            block_ = 0;
            blocks_ = cursor_ < static_cast<int>(sections.size()) ? Current().Blocks() : decltype(blocks_){};
            [[fallthrough]];
        case 31:
            if (cursor_ < 0 || cursor_ >= static_cast<int>(sections.size())) {
                return false;
            }
            payload_ = Current().HeaderBytes();
            return true;
        case 32:
        case 33: {
            if (cursor_ < 0 || cursor_ >= static_cast<int>(sections.size())) {
                return false;
            }
            const size_t index = kind == 32 ? block_++ : block_ - 1;
            if (index >= blocks_.size()) {
                return false;
            }
            payload_ = blocks_[index];
            return true;
        }
        default:
            throw std::logic_error("unexpected request kind " + std::to_string(kind));
        }
    }
    const TSectionSpec& Current() const { return sections[static_cast<size_t>(cursor_)]; }

    int cursor_ = -1;
    size_t block_ = 0;
    std::vector<std::vector<uint8_t>> blocks_; // of the current section
    std::vector<uint8_t> payload_;
};

} // namespace klt::test
