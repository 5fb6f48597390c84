// Telemetry frames as a receiver on the pseudo-terminal meets them, decoded here from the frame
// table alone: both encodings, two riders, and every fault.
#include <gtest/gtest.h>

#include <array>
#include <optional>

#include "tests/sim/SerialTestPort.h"
#include "tools/sim/HeadUnitSimulator.h"
#include "tools/sim/LiveErgometer.h"

namespace klt::sim {
namespace {

using TBytes = std::vector<uint8_t>;
using TFrame = std::array<uint8_t, 16>;

int FromBcd(uint8_t byte) {
    return (byte >> 4) * 10 + (byte & 0x0F);
}

bool ChecksumFits(const TFrame& frame) {
    uint8_t sum = 0;
    for (size_t i = 0; i < 15; ++i) {
        sum ^= frame[i];
    }
    return sum == frame[15];
}

// One frame off the line from `at` on: "J" and 15 raw bytes, or 0x02 and 30 characters folded
// pairwise up to 0x03. Nothing when it was cut short.
std::optional<TFrame> NextFrame(const TBytes& line, size_t& at) {
    TFrame frame{};
    frame[0] = 'J';
    if (at < line.size() && line[at] == 'J') {
        const size_t end = std::min(line.size(), at + 16);
        std::copy(line.begin() + static_cast<long>(at), line.begin() + static_cast<long>(end), frame.begin());
        const bool whole = end - at == 16;
        at = end;
        return whole ? std::optional(frame) : std::nullopt;
    }
    if (at >= line.size() || line[at] != 0x02) {
        ADD_FAILURE() << "no frame starts at " << at;
        at = line.size();
        return std::nullopt;
    }
    size_t bytes = 1;
    for (++at; at + 1 < line.size() && line[at] != 0x03 && bytes < 16; at += 2, ++bytes) {
        frame[bytes] = static_cast<uint8_t>((line[at] - 0x30) << 4 | (line[at + 1] - 0x30));
    }
    const bool whole = bytes == 16 && at < line.size() && line[at] == 0x03;
    while (at < line.size() && line[at] != 0x03) {
        ++at;
    }
    ++at; // past 0x03
    return whole ? std::optional(frame) : std::nullopt;
}

struct TTelemetryRig {
    TTelemetryRig(TTelemetryEncoding encoding, int riders, const TSimFaults& faults = {})
        : sim(Options(encoding, riders, faults)) {}
    static TSimOptions Options(TTelemetryEncoding encoding, int riders, const TSimFaults& faults) {
        TSimOptions options;
        options.generation = 7;
        options.clock = 1'800'000'000; // 08:00:00
        options.ergometer = true;
        options.speedup = 8;
        options.telemetryRiders = riders;
        options.telemetryEncoding = encoding;
        options.faults = faults;
        return options;
    }
    // What one cycle put on the line (the frames of every rider come together).
    TBytes Cycle() { return Read(port); }
    static TBytes Read(test::TSerialTestPort& port) {
        for (int wait = 0; wait < 40; ++wait) {
            TBytes bytes = port.Read(4096, 60);
            if (!bytes.empty()) {
                return bytes;
            }
        }
        ADD_FAILURE() << "no telemetry";
        return {};
    }

    THeadUnitSimulator sim;
    test::TSerialTestPort port{(sim.Start(), sim.TelemetryPath()), 9600};
};

class TelemetryTest : public ::testing::TestWithParam<TTelemetryEncoding> {};

TEST_P(TelemetryTest, EveryCycleOneFramePerRiderWithTimeCounterAndValues) {
    TTelemetryRig rig(GetParam(), 2);
    ASSERT_TRUE(rig.port.IsOpen());
    std::optional<TFrame> last;
    for (int cycle = 0; cycle < 60 && !(last && (*last)[9] > 0); ++cycle) { // until the riders pedal
        const TBytes line = rig.Cycle();
        size_t at = 0;
        for (const int rider : {1, 2}) {
            const std::optional<TFrame> frame = NextFrame(line, at);
            ASSERT_TRUE(frame);
            EXPECT_TRUE(ChecksumFits(*frame));
            EXPECT_EQ((*frame)[1], rider);
            EXPECT_EQ(FromBcd((*frame)[2]), 8); // speed per hour: bit 7 clear
            if (rider == 2 && last) {
                const uint32_t counter = (*frame)[11] << 24 | (*frame)[12] << 16 | (*frame)[13] << 8 | (*frame)[14];
                const uint32_t before = (*last)[11] << 24 | (*last)[12] << 16 | (*last)[13] << 8 | (*last)[14];
                EXPECT_EQ(counter, before + 1);
                const int seconds = FromBcd((*frame)[3]) * 60 + FromBcd((*frame)[4]);
                const int secondsBefore = FromBcd((*last)[3]) * 60 + FromBcd((*last)[4]);
                EXPECT_NEAR(seconds - secondsBefore, 1, 1);
            }
            if (rider == 2) {
                last = frame;
            }
        }
        EXPECT_EQ(at, line.size());
    }
    ASSERT_TRUE(last);
    const TFrame& frame = *last;
    EXPECT_GT(frame[9], 0);                               // cadence
    EXPECT_LT(frame[9], 120);
    EXPECT_GE(frame[10], 60);                             // heart rate
    const int speed = (frame[7] << 8 | frame[8]) * 100000 / 3600; // mm/s
    EXPECT_NEAR(speed, frame[9] * 107, 30 * 107);
    EXPECT_LE(frame[5] << 8 | frame[6], 4094);             // power
}

TEST_P(TelemetryTest, FaultsSpoilTheFramesTheyCount) {
    TSimFaults faults;
    faults.telemetryChecksumEvery = 2;
    faults.shortFrameEvery = 3;
    faults.riderFfEvery = 5;
    TTelemetryRig rig(GetParam(), 1, faults);
    uint32_t counter = 0; // of the frame before
    int shortFrames = 0, badChecksums = 0, unknownRiders = 0;
    for (int cycle = 0; cycle < 8; ++cycle) {
        const TBytes line = rig.Cycle();
        size_t at = 0;
        const std::optional<TFrame> frame = NextFrame(line, at);
        if (!frame) {
            EXPECT_TRUE(counter == 0 || (counter + 1) % 3 == 0) << "frame " << counter + 1 << " came short";
            ++shortFrames;
            ++counter;
            continue;
        }
        counter = (*frame)[11] << 24 | (*frame)[12] << 16 | (*frame)[13] << 8 | (*frame)[14];
        EXPECT_NE(counter % 3, 0u);
        TFrame asRider = *frame;
        if (asRider[1] == 0xFF) {
            EXPECT_EQ(counter % 5, 0u);
            ++unknownRiders;
            asRider[1] = 1; // the receiver tries the rider numbers until the checksum fits
        }
        EXPECT_EQ(ChecksumFits(asRider), counter % 2 != 0) << "frame " << counter;
        badChecksums += ChecksumFits(asRider) ? 0 : 1;
    }
    EXPECT_GE(shortFrames, 2);
    EXPECT_GE(badChecksums, 2);
    EXPECT_GE(unknownRiders, 1);
}

TEST(TelemetryStatusTest, AStatusMessageGoesBeforeTheFramesOfItsCycle) {
    TSimOptions options = TTelemetryRig::Options(TTelemetryEncoding::Binary, 1, {});
    options.telemetryStatusEvery = 2;
    THeadUnitSimulator sim(options);
    sim.Start();
    test::TSerialTestPort port(sim.TelemetryPath(), 9600);
    int statusMessages = 0;
    for (int cycle = 0; cycle < 4; ++cycle) {
        const TBytes line = TTelemetryRig::Read(port);
        size_t at = 0;
        if (!line.empty() && line[0] == 0x04) {
            const std::string text = "\x04Monitor: riders 1, cycle 1 s\x03";
            const TBytes expected(text.begin(), text.end());
            ASSERT_GE(line.size(), expected.size());
            EXPECT_EQ(TBytes(line.begin(), line.begin() + static_cast<long>(expected.size())), expected);
            at = expected.size();
            ++statusMessages;
        }
        const std::optional<TFrame> frame = NextFrame(line, at);
        ASSERT_TRUE(frame);
        EXPECT_TRUE(ChecksumFits(*frame));
        EXPECT_EQ(line[0] == 0x04, (*frame)[14] % 2 == 0) << "with every second frame";
    }
    EXPECT_GE(statusMessages, 1);
}

INSTANTIATE_TEST_SUITE_P(Encodings, TelemetryTest,
                         ::testing::Values(TTelemetryEncoding::Binary, TTelemetryEncoding::Text));

} // namespace
} // namespace klt::sim
