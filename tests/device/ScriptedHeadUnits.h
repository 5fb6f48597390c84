#pragma once
// Head units for protocol tests, answering what the fake line hands them byte by byte.
#include <array>
#include <cstdint>
#include <deque>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "device/SerialLine.h"
#include "device/genv/VeltrakV.h"
#include "device/register/RegisterTelegram.h"

namespace klt::test {

// A generation IV head unit on register telegrams.
struct TRegisterHeadUnit {
    uint8_t hundreds = 2, units = 40;
    uint8_t level = 2;
    bool passwordNeeded = false;
    uint32_t password = 0;
    bool granted = false;
    bool silent = false;
    int badChecksums = 0; // replies sent with a wrong checksum
    int naksToSend = 0;   // requests answered with 0x15
    uint8_t replyAddress = 0x30;
    std::map<uint8_t, std::array<uint8_t, 5>> registers; // status byte and four data bytes
    std::vector<uint8_t> requests;                       // register numbers received
    std::vector<std::array<uint8_t, 4>> requestData;
    int naksReceived = 0;

    void operator()(uint8_t byte, const TLineSettings&, std::deque<uint8_t>& out) {
        if (pending_.empty() && byte == kNak) {
            ++naksReceived;
            Send(out);
            return;
        }
        if (pending_.empty() && byte != kRegisterStart) {
            return;
        }
        pending_.push_back(byte);
        if (pending_.size() < 9) {
            return;
        }
        const std::vector<uint8_t> request = std::exchange(pending_, {});
        const uint8_t reg = request[3];
        requests.push_back(reg);
        requestData.push_back({request[4], request[5], request[6], request[7]});
        if (silent) {
            return;
        }
        if (naksToSend > 0) {
            --naksToSend;
            out.push_back(kNak);
            return;
        }
        std::array<uint8_t, 5> reply{};
        if (reg == 5) {
            reply = {static_cast<uint8_t>(passwordNeeded && !granted ? 0 : level), 0x01, 0x02, hundreds,
                     units};
        } else if (reg == 26) {
            granted = (uint32_t{request[4]} << 24 | uint32_t{request[5]} << 16 | uint32_t{request[6]} << 8 |
                       request[7]) == password;
        } else if (auto it = registers.find(reg); it != registers.end()) {
            reply = it->second;
        }
        last_ = {replyAddress, reply[0], reply[1], reply[2], reply[3], reply[4]};
        Send(out);
    }

private:
    void Send(std::deque<uint8_t>& out) {
        out.push_back(0x04);
        out.push_back(kRegisterMark);
        out.insert(out.end(), last_.begin(), last_.end());
        uint8_t checksum = RegisterChecksum(last_);
        if (badChecksums > 0) {
            --badChecksums;
            checksum ^= 0x5A;
        }
        out.push_back(checksum);
    }

    std::vector<uint8_t> pending_;
    std::array<uint8_t, 6> last_{};
};

// A generation V head unit on framed character telegrams.
struct THeadUnitV {
    uint16_t firmware = 0x430A;
    int baudRate = 9600;
    TParity parity = TParity::None;
    bool needsWakeUp = false;
    std::map<char, std::vector<uint8_t>> replies; // reply data; commands not listed are acknowledged only
    // The settings memory "Z" reads and "Y" writes, by page << 8 | address.
    std::map<uint16_t, uint8_t> settingsMemory;
    std::set<char> silent;
    int silentTelegrams = 0;
    // Memory blocks; each entry lists what is sent on the first, second, ... try of that block.
    std::vector<std::vector<std::vector<uint8_t>>> blocks;
    uint16_t announcedBlocks = 0xFFFF;  // the block count sent; the number of blocks when left
    std::vector<std::string> telegrams; // command and data bytes as received
    int wakeUps = 0;
    int acknowledgements = 0, refusals = 0;

    void operator()(uint8_t byte, const TLineSettings& settings, std::deque<uint8_t>& out) {
        const bool hears = settings.baudRate == baudRate && settings.parity == parity;
        if (!inFrame_) {
            if (byte == 0x02) {
                inFrame_ = true;
                pending_.clear();
            } else if (hears && byte == 'x' && ++xs_ >= 4) {
                ++wakeUps;
            } else if (downloading_ && (byte == kAck || byte == kNak)) {
                Download(byte == kAck, out);
            }
            return;
        }
        if (byte != 0x03) {
            pending_.push_back(byte);
            return;
        }
        inFrame_ = false;
        if (!hears || (needsWakeUp && wakeUps == 0) || pending_.empty()) {
            return;
        }
        const char command = static_cast<char>(pending_[0]);
        std::string telegram(1, command);
        for (size_t i = 1; i + 1 < pending_.size(); i += 2) {
            telegram += static_cast<char>(FoldNibbleCharacters(pending_[i], pending_[i + 1]));
        }
        telegrams.push_back(telegram);
        if (silentTelegrams > 0) {
            --silentTelegrams;
            return;
        }
        if (silent.count(command) != 0) {
            return;
        }
        out.push_back(0x02);
        out.push_back(static_cast<uint8_t>(command));
        if (command == 'P') {
            for (uint8_t b : {static_cast<uint8_t>(firmware >> 8), static_cast<uint8_t>(firmware)}) {
                const auto characters = NibbleCharacters(b);
                out.insert(out.end(), characters.begin(), characters.end());
            }
            out.push_back(0x03);
            return;
        }
        if (command == 'A' || command == 'y') {
            const uint16_t count =
                announcedBlocks != 0xFFFF ? announcedBlocks : static_cast<uint16_t>(blocks.size());
            out.push_back(static_cast<uint8_t>(count >> 8));
            out.push_back(static_cast<uint8_t>(count));
            block_ = 0;
            try_ = 0;
            downloading_ = count != 0;
            SendBlock(out);
            return;
        }
        if (command == 'Y' && telegram.size() == 4) {
            settingsMemory[static_cast<uint16_t>(static_cast<uint8_t>(telegram[1]) << 8 | static_cast<uint8_t>(telegram[2]))] =
                static_cast<uint8_t>(telegram[3]);
        }
        if (command == 'Z' && telegram.size() == 3) {
            const auto value = settingsMemory.find(
                static_cast<uint16_t>(static_cast<uint8_t>(telegram[1]) << 8 | static_cast<uint8_t>(telegram[2])));
            if (value != settingsMemory.end()) {
                const auto characters = NibbleCharacters(value->second);
                out.insert(out.end(), characters.begin(), characters.end());
                out.push_back(0x03);
            }
            return;
        }
        if (auto it = replies.find(command); it != replies.end()) {
            for (uint8_t b : it->second) {
                const auto characters = NibbleCharacters(b);
                out.insert(out.end(), characters.begin(), characters.end());
            }
            out.push_back(0x03);
        }
    }

private:
    void SendBlock(std::deque<uint8_t>& out) {
        if (block_ >= blocks.size()) {
            downloading_ = false;
            return;
        }
        const auto& tries = blocks[block_];
        const auto& bytes = tries[std::min(try_, tries.size() - 1)];
        out.insert(out.end(), bytes.begin(), bytes.end());
    }
    void Download(bool acknowledged, std::deque<uint8_t>& out) {
        if (acknowledged) {
            ++acknowledgements;
            ++block_;
            try_ = 0;
        } else {
            ++refusals;
            ++try_;
        }
        SendBlock(out);
    }

    std::vector<uint8_t> pending_;
    bool inFrame_ = false;
    int xs_ = 0;
    bool downloading_ = false;
    size_t block_ = 0;
    size_t try_ = 0;
};

} // namespace klt::test
