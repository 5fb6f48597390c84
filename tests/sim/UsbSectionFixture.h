#pragma once
// A generation 7 head unit's recording memory read over its socket, request by request, the way
// docs/usb-sections.md lays it out; and the same for head units with other options.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "tests/sim/UsbTestClient.h"
#include "tools/sim/HeadUnitSimulator.h"

namespace klt::sim::test {

inline constexpr int64_t kClock = 1796774400 + 12 * 3600; // 2026-12-09 12:00

inline TSimOptions Options() {
    TSimOptions options;
    options.generation = 7;
    options.clock = kClock;
    options.rideMinutes = 20;
    return options;
}

inline int Word(const TBytes& bytes, size_t at) {
    return bytes[at] << 8 | bytes[at + 1];
}

struct THeader {
    int day = 0, month = 0, year = 0, secondOfDay = 0, intervalMs = 0;
    std::string initials;
    size_t records = 0;
};

inline THeader ParseHeader(const TBytes& data) {
    THeader h;
    EXPECT_EQ(data.size(), 39u);
    if (data.size() != 39) {
        return h;
    }
    h.day = data[0];
    h.month = data[1];
    h.year = Word(data, 2);
    h.secondOfDay = data[4] * 3600 + data[5] * 60 + data[6];
    h.intervalMs = Word(data, 7);
    h.initials.assign(data.begin() + 9, data.begin() + 29);
    h.records = static_cast<size_t>(Word(data, 35)) << 16 | static_cast<size_t>(Word(data, 37));
    return h;
}

// The records of blocks that carry a sample: no pause records, no end record.
inline std::vector<TBytes> SampleRecords(const std::vector<TBytes>& blocks) {
    std::vector<TBytes> samples;
    for (const TBytes& block : blocks) {
        for (size_t at = 0; at + 16 <= block.size(); at += 16) {
            const TBytes record(block.begin() + static_cast<long>(at),
                                block.begin() + static_cast<long>(at + 16));
            if (record[10] != 0xFF &&
                std::any_of(record.begin(), record.begin() + 6, [](uint8_t v) { return v; })) {
                samples.push_back(record);
            }
        }
    }
    return samples;
}

class UsbSectionTest : public ::testing::Test {
protected:
    explicit UsbSectionTest(TSimOptions options = Options()) : sim_(options) {}
    void SetUp() override {
        sim_.Start();
        usb_ = std::make_unique<TUsbClient>(sim_.SocketPath());
        ASSERT_EQ(usb_->Identity(), "VELTRAK 7");
    }
    int Count() {
        const TBytes reply = usb_->Ask(Request(4, 1));
        return reply.size() == 9 ? Word(reply, 6) : -1;
    }
    TBytes Ask(uint8_t code) { return usb_->Ask(Request(4, code)); }
    // The records of the current section, block by block, up to its end record.
    std::vector<TBytes> ReadBlocks() {
        std::vector<TBytes> blocks;
        for (int guard = 0; guard < 10000; ++guard) {
            const TBytes block = ReplyData(Ask(4));
            blocks.push_back(block);
            if (block.empty() || block.size() % 16 != 0 || block.size() < 32 * 16 ||
                block[block.size() - 16 + 10] == 0xFF) {
                break;
            }
        }
        return blocks;
    }

    THeadUnitSimulator sim_;
    std::unique_ptr<TUsbClient> usb_;
};

// The tests of a head unit whose options `Change` alters.
template <void (*Change)(TSimOptions&)> class UsbSectionVariant : public UsbSectionTest {
protected:
    UsbSectionVariant() : UsbSectionTest(Changed()) {}
    static TSimOptions Changed() {
        TSimOptions options = Options();
        Change(options);
        return options;
    }
};

} // namespace klt::sim::test
