// Character telegrams of generation V head units.
#include <algorithm>

#include "core/Exceptions.h"
#include "core/Texts.h"
#include "device/VeltrakExceptions.h"
#include "device/genv/VeltrakV.h"

namespace klt {
namespace {

constexpr uint8_t kStx = 0x02;
constexpr uint8_t kEtx = 0x03;
constexpr int kMaxAcknowledgementReads = 70;
constexpr int kMaxZeroBytes = 500;
constexpr int kMaxVersionReads = 51;
constexpr size_t kMaxReplyCharacters = 50;
constexpr int kRetries = 3;

[[noreturn]] void ThrowShortReply(char command) {
    throw Exception(std::string("Not all data for Telegram ") + command + " could be received");
}

} // namespace

std::string SettingGroupName(TSettingGroup group) {
    const int index = static_cast<int>(group);
    return LoadText(index < 16 ? 65136 + index : 65120 + index - 16);
}

std::string SettingGroupNames(TSettingGroups groups) {
    std::string names;
    for (int i = 0; i <= static_cast<int>(TSettingGroup::Telemetry); ++i) {
        if ((groups & (1u << i)) != 0) {
            names += (names.empty() ? "" : ",") + SettingGroupName(static_cast<TSettingGroup>(i));
        }
    }
    return names;
}

std::string NotAcknowledgedText(const std::string& telegram) {
    return FormatText(
        "Veltrak was not able to acknowledge the reception of Telegramm \"%s\"\r\nJust try again", {telegram});
}

std::array<uint8_t, 2> NibbleCharacters(uint8_t byte) {
    return {static_cast<uint8_t>((byte >> 4) + 0x30), static_cast<uint8_t>((byte & 0x0F) + 0x30)};
}

uint8_t FoldNibbleCharacters(uint8_t high, uint8_t low) {
    return static_cast<uint8_t>(((high - 0x30) & 0x0F) << 4 | ((low - 0x30) & 0x0F));
}

std::vector<uint8_t> FrameTelegramV(char command, std::span<const uint8_t> data, bool framed) {
    std::vector<uint8_t> bytes;
    if (framed) {
        bytes.push_back(kStx);
    }
    bytes.push_back(static_cast<uint8_t>(command));
    for (uint8_t byte : data) {
        if (framed) {
            const auto characters = NibbleCharacters(byte);
            bytes.insert(bytes.end(), characters.begin(), characters.end());
        } else {
            bytes.push_back(byte);
        }
    }
    if (framed) {
        bytes.push_back(kEtx);
    }
    return bytes;
}

bool HasFFRun(std::span<const uint8_t> block) {
    int run = 0;
    for (uint8_t byte : block) {
        run = byte == 0xFF ? run + 1 : 0;
        if (run >= 4) {
            return true;
        }
    }
    return false;
}

TVeltrakV::TVeltrakV(std::unique_ptr<ISerialLine> line, IProtocolClock* clock)
    : TVeltrakOld(std::move(line), clock) {
    SetConfiguredHWVersion(TVeltrakHWVersion::HWVersionVT5x128);
}

void TVeltrakV::ByGeneration(const std::function<void()>& generationV,
                             const std::function<void()>& registers) {
    if (IsGenerationV()) {
        generationV();
        return;
    }
    try {
        registers();
    } catch (const EVeltrakAbort&) {
        throw;
    } catch (const std::exception&) {
        if (!IsGenerationV()) {
            throw;
        }
        generationV();
    }
}

bool TVeltrakV::SendTelegramV(char command, std::span<const uint8_t> data, size_t replyLength) {
    for (int attempt = 0;; ++attempt) {
        try {
            TryTelegramV(command, data, replyLength);
            ClearFailures();
            return true;
        } catch (const EVeltrakAbort&) {
            throw;
        } catch (const std::exception&) {
            CountFailure();
            if (ConsecutiveFailures() >= kFailuresBeforeTimeout) {
                throw EVeltrakTimeout(PortText());
            }
            if (attempt >= kRetries) {
                return false;
            }
            if (attempt == 0) {
                ResetLineV();
            }
            DrainLine();
        }
    }
}

void TVeltrakV::TryTelegramV(char command, std::span<const uint8_t> data, size_t replyLength) {
    Line().Purge();
    Clock().Sleep(1);
    Line().WriteBytes(FrameTelegramV(command, data, Framed()));
    reply_.clear();
    switch (command) {
    case 'I':
        return;
    case 'P':
        ReadVersionReply();
        return;
    case 'Q':
    case 'z':
        ReadReplyData(command, replyLength);
        return;
    case 'T':
        Wait(150);
        break;
    case 'n':
        Wait(0);
        break;
    default:
        break;
    }
    ReadAcknowledgement(command);
    ReadReplyData(command, replyLength);
}

bool TVeltrakV::ReadByteV(uint8_t& byte) {
    return Line().ReadBytes(&byte, 1) == 1;
}

void TVeltrakV::ReadAcknowledgement(char command) {
    const auto echo = static_cast<uint8_t>(command);
    const bool framed = Framed();
    int reads = 0;
    int zeros = 0;
    uint8_t byte = 0;
    // A silent line ends the wait at once: every read already waited its time-out twice.
    while (reads < kMaxAcknowledgementReads && zeros < kMaxZeroBytes && ReadByteV(byte)) {
        if (byte == 0) {
            ++zeros;
            continue;
        }
        ++reads;
        if (!framed) {
            if (byte == echo) {
                return;
            }
            if (byte == 0xFF) {
                break;
            }
        } else if (byte == kStx) {
            if (!ReadByteV(byte)) {
                break;
            }
            ++reads;
            if (byte == echo) {
                return;
            }
        }
    }
    throw Exception(NotAcknowledgedText(command));
}

void TVeltrakV::ReadReplyData(char command, size_t length) {
    if (length == 0) {
        return;
    }
    if (!Framed()) {
        reply_.resize(length);
        size_t got = 0;
        while (got < length) {
            const size_t n = Line().ReadBytes(reply_.data() + got, length - got);
            if (n == 0) {
                ThrowShortReply(command);
            }
            got += n;
        }
        return;
    }
    std::vector<uint8_t> characters;
    const size_t limit = std::min(2 * length + 1, kMaxReplyCharacters);
    uint8_t byte = 0;
    while (characters.size() < limit && ReadByteV(byte) && byte != kEtx) {
        characters.push_back(byte);
    }
    if (characters.size() < 2 * length) {
        ThrowShortReply(command);
    }
    for (size_t i = 0; i < length; ++i) {
        reply_.push_back(FoldNibbleCharacters(characters[2 * i], characters[2 * i + 1]));
    }
}

void TVeltrakV::ReadVersionReply() {
    uint8_t byte = 0;
    bool found = false;
    for (int i = 0; i < kMaxVersionReads && !found; ++i) {
        if (!ReadByteV(byte)) {
            break;
        }
        if (byte == kStx) {
            found = ReadByteV(byte) && byte == 'P';
            break;
        }
        found = byte == 'P';
    }
    if (!found) {
        throw Exception(NotAcknowledgedText('P'));
    }
    std::array<uint8_t, 4> characters{};
    for (uint8_t& character : characters) {
        if (!ReadByteV(character)) {
            ThrowShortReply('P');
        }
    }
    reply_ = {FoldNibbleCharacters(characters[0], characters[1]),
              FoldNibbleCharacters(characters[2], characters[3])};
    ReadByteV(byte); // the closing byte
}

void TVeltrakV::ResetLineV() {
    Line().ResetLine();
    try {
        TryTelegramV('X', std::array<uint8_t, 1>{'0'}, 0);
    } catch (const EVeltrakAbort&) {
        throw;
    } catch (const std::exception&) {
        // the telegram that follows tells whether the head unit is back
    }
}

void TVeltrakV::DrainLine() {
    // Only what has arrived: waiting for more would only delay the retry.
    const TLineTimeouts timeouts = Line().Timeouts();
    Line().SetTimeouts(kPollingTimeouts);
    std::array<uint8_t, 64> pending{};
    for (int i = 0; i < 16 && Line().ReadBytes(pending.data(), pending.size()) != 0; ++i) {
    }
    Line().SetTimeouts(timeouts);
    Line().Purge();
}

} // namespace klt
