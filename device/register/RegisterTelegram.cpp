#include "device/register/RegisterTelegram.h"

#include <algorithm>

#include "device/VeltrakExceptions.h"
#include "device/kltcomm.h"

namespace klt {

uint8_t RegisterChecksum(std::span<const uint8_t> bytes) {
    uint8_t sum = 0;
    for (uint8_t byte : bytes) {
        sum = static_cast<uint8_t>(sum + byte);
    }
    return static_cast<uint8_t>(-sum);
}

std::array<uint8_t, 9> RegisterRequest(uint8_t address, uint8_t registerNumber,
                                       std::span<const uint8_t, 4> data) {
    std::array<uint8_t, 9> request{kRegisterStart, address, kRegisterMark, registerNumber,
                                   data[0],        data[1], data[2],       data[3]};
    request[8] = RegisterChecksum(std::span(request).subspan(2, 6));
    return request;
}

void TVeltrakInternal::StartReplyTimer() {
    replyStart_ = Clock().Milliseconds();
    replyTimedOut_ = false;
    chunkFill_ = chunkNext_ = 0;
}

uint8_t TVeltrakInternal::ReadReplyByte() {
    while (chunkNext_ >= chunkFill_) {
        if (Clock().Since(replyStart_) > kReplyTimeoutMs) {
            replyTimedOut_ = true;
            return kNak;
        }
        ProcessIdle();
        Clock().Sleep(2);
        const size_t got = line_.ReadBytes(chunk_.data(), chunk_.size());
        chunkFill_ = got <= chunk_.size() ? got : 0;
        chunkNext_ = 0;
    }
    return chunk_[chunkNext_++];
}

void TVeltrakInternal::RegisterExchange(uint8_t registerNumber) {
    const auto request = RegisterRequest(block_[0], registerNumber, std::span(block_).subspan<3, 4>());
    int sends = 0;
    int badReplies = 0;
    auto send = [&] {
        line_.WriteBlock(request.data(), request.size());
        ++sends;
        StartReplyTimer();
    };
    send();
    for (;;) {
        const uint8_t first = ReadReplyByte();
        if (first == kNak) {
            if (replyTimedOut_ || sends >= 2) {
                throw EVeltrakTimeout(PortText());
            }
            send();
            continue;
        }
        if (first != kRegisterMark) {
            continue; // start bytes and noise before the reply
        }
        std::array<uint8_t, 6> reply{};
        for (uint8_t& byte : reply) {
            byte = ReadReplyByte();
        }
        const uint8_t checksum = ReadReplyByte();
        if (!replyTimedOut_ && checksum == RegisterChecksum(reply)) {
            // The checksum vouches for the reply whatever address it comes from; the next request
            // still goes to the address the head unit listens at.
            std::copy(reply.begin() + 1, reply.end(), block_.begin() + 2);
            return;
        }
        if (++badReplies >= 2) {
            throw EVeltrakTimeout(PortText());
        }
        line_.WriteBlock(&kNak, 1);
        StartReplyTimer();
    }
}

void TVeltrakInternal::ProbeRegisterPort(TVeltrakComPort& port) {
    OpenPort(port);
    line_.ApplyMode(kRegisterLineMode);
    try {
        RegisterExchange(5);
    } catch (const EVeltrakAbort&) {
        throw;
    } catch (const EVeltrak&) {
        line_.ResetLine();
        RegisterExchange(5);
    }
}

void TVeltrakInternal::SearchRegisterPorts() {
    const std::array<uint8_t, 7> request = block_;
    for (TVeltrakComPort port : SearchedPorts()) {
        try {
            block_ = request;
            ProbeRegisterPort(port);
            port_ = port;
            searchedAllPorts_ = false;
            Status().SetHWVersion(TVeltrakHWVersion::HWVersionVT4x128);
            return;
        } catch (const EVeltrakAbort&) {
            throw;
        } catch (const EVeltrak&) {
            // the next port
        }
    }
    line_.ClosePort();
    searchedAllPorts_ = true;
    throw EVeltrakTimeout(PortText());
}

void TVeltrakInternal::Identify() {
    if (version_ != 0) {
        return;
    }
    const std::array<uint8_t, 7> callersBlock = block_;
    block_ = {kDefaultAddress, kRegisterMark, 0, 0, 0, 1, 0};
    if (searchAllPorts_) {
        SearchRegisterPorts();
    } else {
        Status().SetHWVersion(TVeltrakHWVersion::HWVersionVT4x128);
        ProbeRegisterPort(port_);
    }
    const auto version = static_cast<uint16_t>(Data(3) * 100 + Data(4));
    if (version < 200) {
        throw EVeltrakTooOld(PortText());
    }
    if (version >= 500) {
        throw EVeltrakTooNew(PortText());
    }
    if (version >= 240) {
        if (StatusByte() == 0) {
            SetData32(password_);
            RegisterExchange(26);
            block_ = {kDefaultAddress, kRegisterMark, 0, 0, 0, 1, 0};
            RegisterExchange(5);
            if (StatusByte() == 0) {
                throw EVeltrakPassword();
            }
        }
        accessLevel_ = static_cast<TVeltrakPasswordLevel>(std::min<uint8_t>(StatusByte(), 4));
    } else {
        accessLevel_ = TVeltrakPasswordLevel::PasswordLevelUnknown;
    }
    Status().PasswordLevel = accessLevel_;
    Status().Frequenz = static_cast<int16_t>(Data16(1));
    const uint16_t hardware = version >= 210 ? version % 5 : 1;
    Status().SetSWVersion(static_cast<uint16_t>(version - (version >= 210 ? hardware : 0)));
    Status().SetHWVersion(static_cast<TVeltrakHWVersion>(hardware));
    version_ = version;
    block_ = callersBlock;
}

void TVeltrakInternal::ReadRegister(uint8_t registerNumber) {
    try {
        Identify();
        RegisterExchange(registerNumber);
    } catch (const EVeltrak&) {
        version_ = 0;
        throw;
    }
}

} // namespace klt
