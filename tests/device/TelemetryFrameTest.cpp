// Telemetry frames taken apart: both encodings, frames cut short, checksums, the rider search and
// the decoding of time, speed and power.
#include <gtest/gtest.h>

#include "device/live/TelemetryFrame.h"
#include "tests/device/TelemetryFrames.h"

namespace klt {
namespace {

using test::CharacterFrame;
using test::RawFrame;
using test::TBytesSource;
using test::TFrameValues;

TTelemetryItem Read(const std::vector<uint8_t>& bytes, size_t piece = 64) {
    TBytesSource source(std::vector<uint8_t>(bytes.begin() + 1, bytes.end()), piece);
    return ReadTelemetryItem(bytes.at(0), source);
}

TTelemetryFrame Frame(const std::vector<uint8_t>& bytes, size_t piece = 64) {
    const TTelemetryItem item = Read(bytes, piece);
    EXPECT_TRUE(std::holds_alternative<TTelemetryFrame>(item));
    return std::holds_alternative<TTelemetryFrame>(item) ? std::get<TTelemetryFrame>(item) : TTelemetryFrame{};
}

TTelemetryFrame AsFrame(const std::vector<uint8_t>& raw) {
    TTelemetryFrame frame{};
    std::copy_n(raw.begin(), frame.size(), frame.begin());
    return frame;
}

TEST(TelemetryFrameTest, BothEncodingsGiveTheSameFrame) {
    const std::vector<uint8_t> raw = RawFrame({});
    EXPECT_EQ(Frame(raw), AsFrame(raw));
    EXPECT_EQ(Frame(raw, 3), AsFrame(raw)); // arriving in pieces
    EXPECT_EQ(Frame(CharacterFrame(raw)), AsFrame(raw));
    EXPECT_TRUE(CheckTelemetryFrame(Frame(CharacterFrame(raw))));
}

TEST(TelemetryFrameTest, FramesCutShortFailTheirChecksum) {
    std::vector<uint8_t> raw = RawFrame({});
    raw.resize(12);
    const TTelemetryFrame shortRaw = Frame(raw);
    EXPECT_EQ(shortRaw[14], 'c');
    EXPECT_FALSE(CheckTelemetryFrame(shortRaw));

    std::vector<uint8_t> characters = CharacterFrame(RawFrame({}));
    characters.resize(20); // the line went quiet
    const TTelemetryFrame cut = Frame(characters);
    EXPECT_EQ(cut[14], 'c');
    EXPECT_FALSE(CheckTelemetryFrame(cut));
}

TEST(TelemetryFrameTest, AnEndCharacterEndsACharacterFrameEarly) {
    std::vector<uint8_t> characters = CharacterFrame(RawFrame({}));
    characters.resize(9);
    characters.push_back(0x03);
    characters.push_back('J'); // what follows is not part of it
    TBytesSource source(std::vector<uint8_t>(characters.begin() + 1, characters.end()));
    const TTelemetryFrame frame = std::get<TTelemetryFrame>(ReadTelemetryItem(0x02, source));
    EXPECT_EQ(frame[4], 0x30); // four bytes taken
    EXPECT_EQ(frame[5], 0);
    EXPECT_EQ(source.Left(), 1u);
}

TEST(TelemetryFrameTest, AWrongChecksumIsRefused) {
    std::vector<uint8_t> raw = RawFrame({});
    raw[6] ^= 1;
    EXPECT_FALSE(CheckTelemetryFrame(AsFrame(raw)));
}

TEST(TelemetryFrameTest, AnUnknownRiderIsFoundByItsChecksum) {
    TFrameValues values;
    values.rider = 2;
    std::vector<uint8_t> raw = RawFrame(values);
    raw[1] = 0xFF; // the checksum still counts rider 2
    const std::optional<TTelemetryFrame> checked = CheckTelemetryFrame(AsFrame(raw));
    ASSERT_TRUE(checked);
    EXPECT_EQ((*checked)[1], 2);

    values.rider = 7; // beyond the numbers tried
    raw = RawFrame(values);
    raw[1] = 0xFF;
    EXPECT_FALSE(CheckTelemetryFrame(AsFrame(raw)));
}

TEST(TelemetryFrameTest, StatusMessagesAndOtherBytes) {
    const TTelemetryItem status = Read({0x04, 'O', 'K', 0x03, 'J'});
    ASSERT_TRUE(std::holds_alternative<TTelemetryStatusBytes>(status));
    EXPECT_EQ(std::get<TTelemetryStatusBytes>(status).bytes, (std::vector<uint8_t>{'O', 'K'}));

    // a status message that never ends is cut at its cap
    const TTelemetryItem endless = Read(std::vector<uint8_t>(1000, 0x04));
    EXPECT_EQ(std::get<TTelemetryStatusBytes>(endless).bytes.size(), kTelemetryStatusMessageMax);

    EXPECT_TRUE(std::holds_alternative<std::monostate>(Read({'x', 'J'})));
}

TEST(TelemetryFrameTest, DecodingTimeSpeedAndValues) {
    TFrameValues values;
    values.hours = 23;
    values.minutes = 59;
    values.seconds = 58;
    values.power = 4094;
    values.speed = 360;
    values.counter = 0x01020304;
    std::optional<TTelemetryValues> decoded = DecodeTelemetryFrame(AsFrame(RawFrame(values)));
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->rider, 1);
    EXPECT_EQ(decoded->timeOfDay, 23 * 3600 + 59 * 60 + 58);
    EXPECT_EQ(decoded->power, 4094 * 8);
    EXPECT_EQ(decoded->speed, 10000); // 36 km/h in mm/s
    EXPECT_EQ(decoded->cadence, 90 * 32);
    EXPECT_EQ(decoded->heartRate, 140 * 64);
    EXPECT_EQ(decoded->counter, 0x01020304u);

    values.perMinute = true;
    values.speed = 600; // per minute: 600 m/min
    decoded = DecodeTelemetryFrame(AsFrame(RawFrame(values)));
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->timeOfDay, 23 * 3600 + 59 * 60 + 58); // the speed bit is no part of the hour
    EXPECT_EQ(decoded->speed, 10000);

    values.power = 4095;
    EXPECT_FALSE(DecodeTelemetryFrame(AsFrame(RawFrame(values))));
}

TEST(TelemetryFrameTest, AFrameWithAnImpossibleTimeIsIgnored) {
    for (const auto& [index, value] : {std::pair{2, 0x24}, {2, 0x1A}, {3, 0x60}, {4, 0x5A}, {4, 0xF0}}) {
        TTelemetryFrame frame = AsFrame(RawFrame({}));
        frame[static_cast<size_t>(index)] = static_cast<uint8_t>(value);
        EXPECT_FALSE(DecodeTelemetryFrame(frame)) << index << " " << value;
    }
}

} // namespace
} // namespace klt
