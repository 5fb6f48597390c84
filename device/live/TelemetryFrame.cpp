#include "device/live/TelemetryFrame.h"

#include "device/genv/VeltrakV.h"

namespace klt {
namespace {

constexpr size_t kChecksumByte = 15;
constexpr size_t kSpoiltByte = 14;
constexpr uint8_t kSpoilt = 'c';

uint8_t Checksum(const TTelemetryFrame& frame) {
    uint8_t sum = 0;
    for (size_t i = 0; i < kChecksumByte; ++i) {
        sum ^= frame[i];
    }
    return sum;
}

TTelemetryFrame ReadRawFrame(ITelemetryByteSource& source) {
    TTelemetryFrame frame{kTelemetryFrameMark};
    size_t got = 0;
    while (got < frame.size() - 1) {
        const size_t read = source.Read(frame.data() + 1 + got, frame.size() - 1 - got);
        if (read == 0) {
            frame[kSpoiltByte] = kSpoilt;
            break;
        }
        got += read;
    }
    return frame;
}

// Two characters per byte: the rider number, then bytes 2 to 15. A 0x03 ends the frame early,
// leaving the rest zero; a failed read spoils it.
TTelemetryFrame ReadCharacterFrame(ITelemetryByteSource& source) {
    TTelemetryFrame frame{kTelemetryFrameMark};
    for (size_t index = 1; index < frame.size(); ++index) {
        uint8_t pair[2];
        for (uint8_t& character : pair) {
            if (source.Read(&character, 1) != 1) {
                frame[kSpoiltByte] = kSpoilt;
                return frame;
            }
            if (character == kTelemetryCharacterFrameEnd) {
                return frame;
            }
        }
        frame[index] = FoldNibbleCharacters(pair[0], pair[1]);
    }
    return frame;
}

TTelemetryStatusBytes ReadStatusMessage(ITelemetryByteSource& source) {
    TTelemetryStatusBytes message;
    uint8_t byte = 0;
    while (message.bytes.size() < kTelemetryStatusMessageMax && source.Read(&byte, 1) == 1 &&
           byte != kTelemetryCharacterFrameEnd) {
        message.bytes.push_back(byte);
    }
    return message;
}

// A BCD number below `limit`; none for digits beyond 9 or a value out of range.
std::optional<int> Bcd(uint8_t value, uint8_t tensMask, int limit) {
    const int tens = (value >> 4) & tensMask, units = value & 0x0F;
    const int number = tens * 10 + units;
    return tens <= 9 && units <= 9 && number < limit ? std::optional(number) : std::nullopt;
}

uint32_t Word(const TTelemetryFrame& frame, size_t first) {
    return static_cast<uint32_t>(frame[first] << 8 | frame[first + 1]);
}

} // namespace

TTelemetryItem ReadTelemetryItem(uint8_t first, ITelemetryByteSource& source) {
    switch (first) {
    case kTelemetryFrameMark:
        return ReadRawFrame(source);
    case kTelemetryCharacterFrameStart:
        return ReadCharacterFrame(source);
    case kTelemetryStatusMessage:
        return ReadStatusMessage(source);
    default:
        return std::monostate{};
    }
}

std::optional<TTelemetryFrame> CheckTelemetryFrame(TTelemetryFrame frame) {
    if (frame[0] != kTelemetryFrameMark) {
        return std::nullopt;
    }
    if (frame[1] != kTelemetryUnknownRider) {
        return Checksum(frame) == frame[kChecksumByte] ? std::optional(frame) : std::nullopt;
    }
    for (uint8_t rider = 0; rider <= 4; ++rider) {
        frame[1] = rider;
        if (Checksum(frame) == frame[kChecksumByte]) {
            return frame;
        }
    }
    return std::nullopt;
}

std::optional<TTelemetryValues> DecodeTelemetryFrame(const TTelemetryFrame& frame) {
    const uint32_t power = Word(frame, 5);
    const std::optional<int> hours = Bcd(frame[2], 0x03, 24), minutes = Bcd(frame[3], 0x0F, 60),
                             seconds = Bcd(frame[4], 0x0F, 60);
    // an impossible time would upset the rider's watchdog, which reckons with the frames' times
    if (power > kTelemetryMaxPower || !hours || !minutes || !seconds) {
        return std::nullopt;
    }
    const bool perMinute = (frame[2] & 0x80) != 0;
    const int64_t speed = Word(frame, 7);
    TTelemetryValues values;
    values.rider = frame[1];
    values.timeOfDay = *hours * 3600 + *minutes * 60 + *seconds;
    values.power = static_cast<int32_t>(power * 8);
    values.speed = static_cast<int32_t>(perMinute ? speed * 1000 / 60 : speed * 100000 / 3600);
    values.cadence = frame[9] * 32;
    values.heartRate = frame[10] * 64;
    values.counter = static_cast<uint32_t>(frame[11]) << 24 | static_cast<uint32_t>(frame[12]) << 16 |
                     static_cast<uint32_t>(frame[13]) << 8 | frame[14];
    return values;
}

} // namespace klt
