#include "tools/sim/CharacterHeadUnit.h"

#include <algorithm>
#include <cstring>

#include "tools/sim/SimBlockMemory.h"
#include "tools/sim/SimMemory.h"

namespace klt::sim {
namespace {

constexpr uint8_t kStx = 0x02, kEtx = 0x03, kAck = 0x06, kNak = 0x15;
constexpr int kInterByteMs = 500; // the computer paces its bytes; leave room for a busy machine
constexpr int kMaxFrame = 100;
constexpr int kEmptyMemoryQuirkFirmware = 0x6411;

std::vector<uint8_t> Be16(int value) {
    return {static_cast<uint8_t>((value >> 8) & 0xFF), static_cast<uint8_t>(value & 0xFF)};
}

bool AllBytes(const std::vector<uint8_t>& data, uint8_t value) {
    return !data.empty() && std::all_of(data.begin(), data.end(), [value](uint8_t b) { return b == value; });
}

// Data bytes of an unframed command; for the commands that read with one byte and write with
// more, the first byte tells which.
int RawLength(char command, uint8_t first) {
    switch (command) {
    case 'P':
    case 'O':
    case 'B':
    case 'T':
    case 'A':
    case 'y':
        return 0;
    case 'M':
        return first == 0 ? 1 : 6;
    case 'N':
        return first == 0 ? 1 : 8;
    case 'H':
        return first == 0 ? 1 : 11;
    case 'x':
    case 'Y':
    case 'v':
        return 3;
    case 'Z':
    case 'E':
    case 'F':
    case 'G':
    case 'S':
    case 'n':
        return 2;
    case 'R':
    case 'c':
    case 'K':
    case 'L':
    case 'a':
    case 'W':
    case 'U':
    case 'h':
    case 'b':
    case 'e':
    case 'J':
    case 'p':
    case 'V':
    case 'd':
    case 'X':
    case 'I':
        return 1;
    default:
        return -1;
    }
}

int DecodeIntervalByte(uint8_t value) {
    if (value & 0x80) {
        const int tenths = value & 0x7F;
        return tenths >= 1 && tenths <= 9 ? tenths : 10;
    }
    return value >= 1 && value <= 32 ? value * 10 : 10;
}

} // namespace

std::vector<uint8_t> ToNibbleCharacters(const std::vector<uint8_t>& bytes) {
    std::vector<uint8_t> characters;
    for (const uint8_t byte : bytes) {
        characters.push_back(static_cast<uint8_t>((byte >> 4) + 0x30));
        characters.push_back(static_cast<uint8_t>((byte & 0x0F) + 0x30));
    }
    return characters;
}

TCharacterHeadUnit::TCharacterHeadUnit(THeadUnitContext& context)
    : context_(context), firmware_(context.Options().Firmware()),
      badClockReadsLeft_(context.Options().faults.badClockReads) {
    const TSimOptions& options = context.Options();
    memory_ = BuildBlockMemory(options, context.ClockNow().seconds);

    std::vector<uint8_t> initials(8, ' ');
    std::copy_n(options.initials.begin(), std::min<size_t>(6, options.initials.size()), initials.begin());
    values_['E'] = Be16(238); // 23.8 Hz/Nm
    values_['F'] = Be16(485);
    values_['G'] = Be16(2105);
    values_['N'] = initials;
    values_['R'] = {IntervalByte(options.intervalTenths)};
    values_['H'] = {1, 0x03, 0x20, 0x06, 0x40, 0x09, 0x60, 0x0C, 0x80, 0x0F, 0xA0}; // power zones to 4000
    values_['O'] = {0x00, 0x01, 0x23, 0x45, 0x00, 0x00, 0x41, 0x80, 0x00, 0x02, 0x17, 0x30, 0x00, 0x00};
    values_['S'] = {20, 28};
    values_['c'] = {0x00, 0x04, 0x71, 0x15, 0x12, 0x03, 0x24, 0x00}; // serial 047115, made 12.03.24
    values_['K'] = {1};
    values_['L'] = {1};
    values_['a'] = {9};
    values_['W'] = {3};
    values_['U'] = {0};
    values_['h'] = {'0'};
    values_['v'] = {static_cast<uint8_t>(options.powerDownMode),
                    static_cast<uint8_t>(options.powerDownSeconds >> 8),
                    static_cast<uint8_t>(options.powerDownSeconds & 0xFF)};
    values_['b'] = {0, 0};
    for (int n = 1; n <= 4; ++n) {
        values_[static_cast<char>('0' + n)] = {static_cast<uint8_t>(n), 0x12, 0x34, 0,
                                               1}; // wireless settings n
    }
    const int year = options.odometerYear.value_or(
        CivilFromDaysSince1880(static_cast<int32_t>(context.ClockNow().seconds / 86400) + kClockEpochDay)
            .year);
    Setting(2, 0x34) = ToBcd(year % 100);
    Setting(2, 0x35) = ToBcd(year / 100);
    Setting(3, 0x4E) = static_cast<uint8_t>(kOdometerYearKm >> 8);
    Setting(3, 0x4F) = static_cast<uint8_t>(kOdometerYearKm & 0xFF);
    PublishSettingsMemory();
}

bool TCharacterHeadUnit::Supports(char command) const {
    switch (command) {
    case 'c':
        return firmware_ > 0x2B23;
    case 'a':
    case 'W':
    case 'U':
        return firmware_ > 0x147E;
    case 'n':
        return firmware_ > 0x7601;
    case 'h':
        return firmware_ > 0x6412;
    case 'v':
        return firmware_ > 0x3330;
    case 'b':
        return firmware_ > 0x2615;
    case 'y':
        return firmware_ >= 0x3328;
    default:
        return RawLength(command, 0) >= 0;
    }
}

void TCharacterHeadUnit::Serve() {
    TSimLine& line = context_.Line();
    while (!line.Stopping()) {
        const auto byte = line.Receive(100);
        if (!byte) {
            continue;
        }
        if (*byte == kStx) {
            wakeRun_ = 0;
            if (auto frame = ReadFrame(); frame && !frame->empty()) {
                Dispatch(static_cast<char>(frame->front()),
                         std::vector<uint8_t>(frame->begin() + 1, frame->end()));
            }
            continue;
        }
        if (Framed()) {
            // Outside a frame only the wake-up call means anything.
            wakeRun_ = *byte == 'x' ? wakeRun_ + 1 : 0;
            if (wakeRun_ == 4) {
                wakeRun_ = 0;
                context_.Update([](TSimState& s) { ++s.wakeUps; });
            }
            continue;
        }
        if (RawLength(static_cast<char>(*byte), 0) >= 0) {
            if (auto data = ReadRaw(static_cast<char>(*byte))) {
                Dispatch(static_cast<char>(*byte), *data);
            }
        }
    }
}

// The command and its decoded data bytes of a telegram whose STX has been heard.
std::optional<std::vector<uint8_t>> TCharacterHeadUnit::ReadFrame() {
    std::vector<uint8_t> frame;
    while (frame.size() < kMaxFrame) {
        const auto byte = context_.Line().Receive(kInterByteMs);
        if (!byte) {
            return std::nullopt;
        }
        if (*byte == kEtx) {
            if (frame.empty() || frame.size() % 2 == 0) {
                return std::nullopt; // a command and whole pairs of characters, or nothing
            }
            std::vector<uint8_t> decoded = {frame.front()};
            for (size_t i = 1; i < frame.size(); i += 2) {
                if (frame[i] < 0x30 || frame[i] > 0x3F || frame[i + 1] < 0x30 || frame[i + 1] > 0x3F) {
                    return std::nullopt;
                }
                decoded.push_back(static_cast<uint8_t>((frame[i] - 0x30) << 4 | (frame[i + 1] - 0x30)));
            }
            return decoded;
        }
        if (*byte == kStx) {
            frame.clear(); // a new telegram began: the last one was cut short
            continue;
        }
        frame.push_back(*byte);
    }
    return std::nullopt;
}

std::optional<std::vector<uint8_t>> TCharacterHeadUnit::ReadRaw(char command) {
    std::vector<uint8_t> data;
    int length = RawLength(command, 0);
    while (static_cast<int>(data.size()) < length) {
        const auto byte = context_.Line().Receive(kInterByteMs);
        if (!byte) {
            return std::nullopt;
        }
        data.push_back(*byte);
        if (data.size() == 1) {
            length = RawLength(command, *byte);
        }
    }
    return data;
}

void TCharacterHeadUnit::Dispatch(char command, const std::vector<uint8_t>& data) {
    if (command == 'x' && data == std::vector<uint8_t>{'x', 'x', 'x'}) {
        context_.Update([](TSimState& s) { ++s.wakeUps; });
        return;
    }
    if (!Supports(command)) {
        return;
    }
    std::optional<std::vector<uint8_t>> reply;
    const bool special = command == 'P' || command == 'A' || command == 'y' || command == 'I';
    if (!special) {
        reply = Execute(command, data);
        if (!reply) {
            return; // not understood: no acknowledgement
        }
    }
    context_.Update([&](TSimState& s) { s.telegrams.push_back({command, data}); });
    if (command == 'I' || context_.RefuseThisTelegram()) {
        return;
    }
    const auto c = static_cast<uint8_t>(command);
    if (command == 'P') {
        // The version query always answers in characters, framed or not.
        std::vector<uint8_t> answer = Framed() ? std::vector<uint8_t>{kStx, c} : std::vector<uint8_t>{c};
        const auto characters = ToNibbleCharacters(Be16(firmware_));
        answer.insert(answer.end(), characters.begin(), characters.end());
        answer.push_back(kEtx);
        context_.Reply(answer);
        return;
    }
    if (command == 'A' || command == 'y') {
        Download(command);
        return;
    }
    std::vector<uint8_t> answer;
    if (Framed()) {
        answer = {kStx, c};
        const auto characters = ToNibbleCharacters(*reply);
        answer.insert(answer.end(), characters.begin(), characters.end());
        answer.push_back(kEtx);
    } else {
        answer = {c};
        answer.insert(answer.end(), reply->begin(), reply->end());
    }
    context_.Reply(answer);
}

std::optional<std::vector<uint8_t>> TCharacterHeadUnit::Execute(char command,
                                                                const std::vector<uint8_t>& data) {
    const size_t size = data.size();
    // A value of all 0xFF asks for the setting without changing it (0 too where 0 means nothing).
    auto value = [&](size_t width, bool zeroAsks) -> std::optional<std::vector<uint8_t>> {
        if (size != width) {
            return std::nullopt;
        }
        std::vector<uint8_t>& kept = values_[command];
        if (!AllBytes(data, 0xFF) && !(zeroAsks && AllBytes(data, 0))) {
            kept = data;
            if (command == 'R') {
                context_.Update([&](TSimState& s) { s.intervalTenths = DecodeIntervalByte(data[0]); });
            }
        }
        return kept;
    };
    switch (command) {
    case 'x':
        if (size != 3) {
            return std::nullopt;
        }
        return std::vector<uint8_t>{static_cast<uint8_t>(firmware_ >> 8),
                                    static_cast<uint8_t>(firmware_ & 0xFF), context_.Options().featureByte};
    case 'Z':
        if (size != 2 || data[0] >= kSettingsPages) {
            return std::nullopt;
        }
        return std::vector<uint8_t>{Setting(data[0], data[1])};
    case 'Y':
        if (size != 3 || data[0] >= kSettingsPages) {
            return std::nullopt;
        }
        Setting(data[0], data[1]) = data[2];
        PublishSettingsMemory();
        return std::vector<uint8_t>{};
    case 'M': {
        if (size == 1) {
            TBcdTime time = ToBcdTime(context_.ClockNow().seconds);
            if (badClockReadsLeft_ > 0) {
                --badClockReadsLeft_;
                time.bytes[0] = 0x31; // 31 February
                time.bytes[1] = 0x02;
                context_.Update([](TSimState& s) { ++s.faultsInjected; });
            }
            time.bytes[3] |= 0x40; // the clock runs; the computer keeps two bits of the hour's tens
            return std::vector<uint8_t>(time.bytes, time.bytes + 6);
        }
        int64_t seconds = 0;
        if (size != 6) {
            return std::nullopt;
        }
        if (FromBcdTime(data.data(), seconds)) {
            context_.SetClock(seconds);
        }
        return std::vector<uint8_t>{};
    }
    case 'E':
    case 'G':
        return value(2, true);
    case 'F':
    case 'S':
        return value(2, false);
    case 'R':
        return value(1, true);
    case 'K':
    case 'L':
    case 'a':
    case 'W':
    case 'U':
    case 'h':
        return value(1, false);
    case 'v':
        return value(3, false);
    case 'N':
    case 'H': {
        const size_t width = command == 'N' ? 8 : 11;
        if (size == 1) {
            return values_[command];
        }
        if (size != width) {
            return std::nullopt;
        }
        values_[command] = data;
        if (command == 'N') {
            std::string initials(data.begin(), data.end());
            initials.erase(initials.find_last_not_of(' ') + 1);
            context_.Update([&](TSimState& s) { s.initials = initials; });
        }
        return std::vector<uint8_t>{};
    }
    case 'O':
        return size == 0 ? std::optional(values_['O']) : std::nullopt;
    case 'c':
        return size == 1 ? std::optional(values_['c']) : std::nullopt;
    case 'n':
        if (size != 2 || data[0] != 0 || data[1] < 1 || data[1] > 4) {
            return std::nullopt;
        }
        return values_[static_cast<char>('0' + data[1])];
    case 'b': {
        if (size != 1 && size != 2) {
            return std::nullopt;
        }
        std::vector<uint8_t>& mode = values_['b'];
        if (data[0] != 0xFF) {
            mode[0] = data[0];
        }
        std::vector<uint8_t> answer = mode;
        if (size == 2) {
            answer.push_back(data[1] == 0xFF ? 0 : data[1]);
        }
        return answer;
    }
    case 'e':
    case 'J':
    case 'p':
    case 'V':
    case 'd':
        if (size == 0) {
            return std::nullopt;
        }
        values_[command] = data;
        return std::vector<uint8_t>{};
    case 'X':
        return size == 1 ? std::optional(std::vector<uint8_t>{}) : std::nullopt;
    case 'B':
        memory_.clear();
        context_.Update([](TSimState& s) { ++s.memoryClears; });
        return std::vector<uint8_t>{};
    case 'T':
        context_.Update([](TSimState& s) { ++s.recordingsStarted; });
        return std::vector<uint8_t>{};
    default:
        return std::nullopt;
    }
}

void TCharacterHeadUnit::PublishSettingsMemory() {
    context_.Update([&](TSimState& s) { s.settingsMemory = settingsMemory_; });
}

// Acknowledgement and the number of blocks, then block after block, each sent again on NAK;
// a computer silent for longer than the head unit waits has given up.
void TCharacterHeadUnit::Download(char command) {
    TSimLine& line = context_.Line();
    const int blocks = static_cast<int>(memory_.size() / kBlockSize);
    const int announced = blocks == 0 && firmware_ >= kEmptyMemoryQuirkFirmware ? 3 : blocks;
    context_.Update([&](TSimState& s) {
        ++s.downloadsStarted;
        s.announcedBlocks = announced;
    });
    const auto c = static_cast<uint8_t>(command);
    std::vector<uint8_t> answer = Framed() ? std::vector<uint8_t>{kStx, c} : std::vector<uint8_t>{c};
    const auto count = Be16(announced);
    answer.insert(answer.end(), count.begin(), count.end());
    context_.Reply(answer);
    for (int block = 0; block < blocks; ++block) {
        const auto first = memory_.begin() + static_cast<long>(block) * kBlockSize;
        const std::vector<uint8_t> bytes(first, first + kBlockSize);
        for (bool acknowledged = false; !acknowledged;) {
            context_.Reply(bytes, [](std::vector<uint8_t>& b) { std::fill_n(b.begin() + 20, 4, 0xFF); });
            context_.Update([](TSimState& s) { ++s.blocksSent; });
            const auto reply = line.Receive(context_.Options().blockAckTimeoutMs);
            if (!reply || (*reply != kAck && *reply != kNak)) {
                if (reply) {
                    line.Unreceive(*reply); // the computer has moved on to a new telegram
                }
                if (!line.Stopping()) {
                    context_.Update([](TSimState& s) { ++s.downloadsAborted; });
                }
                return;
            }
            acknowledged = *reply == kAck;
            context_.Update([&](TSimState& s) { ++(acknowledged ? s.blocksAcknowledged : s.blocksRefused); });
        }
    }
    context_.Update([](TSimState& s) { ++s.downloadsCompleted; });
}

} // namespace klt::sim
