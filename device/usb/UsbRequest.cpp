#include "device/usb/UsbRequest.h"

#include <algorithm>

#include "core/Exceptions.h"
#include "device/VeltrakExceptions.h"
#include "device/usb/UsbTrafficLog.h"

namespace klt {
namespace {

constexpr int kWrongAnswerRetries = 2;
constexpr int kExceptionRetries = 3;
// A busy head unit did not carry the request out, so even a request that moves the read cursor
// may go again; a head unit busy for longer than this counts as answering wrongly.
constexpr int kBusyRepeats = 5;
constexpr int kBusyWaitMs = 5000;
constexpr int kDiscardedReplyKind = 34;

bool NeverRetried(int kind) {
    return kind == 30 || kind == 32;
}

[[noreturn]] void ThrowInvalidData() {
    throw Exception(kInvalidDataText);
}

} // namespace

std::vector<uint8_t> BuildUsbRequest(uint8_t requestClass, uint8_t code, std::span<const uint8_t> data) {
    std::vector<uint8_t> request{
        kUsbRequestStart, kUsbRequestMark, 0x00, static_cast<uint8_t>(data.size() + 3), requestClass, code};
    request.insert(request.end(), data.begin(), data.end());
    uint8_t checksum = 0;
    for (size_t i = 0; i + 1 < request.size(); ++i) {
        checksum ^= request[i];
    }
    request.push_back(checksum);
    return request;
}

TUsbRequestLink::TUsbRequestLink(IFtdiLink& link, IProtocolClock& clock, TUsbTrafficLog* log,
                                 std::function<void()> idle, std::function<bool()> waitWhileBusy)
    : link_(link), clock_(clock), log_(log), idle_(std::move(idle)), waitWhileBusy_(std::move(waitWhileBusy)) {}

bool TUsbRequestLink::SendRequest(const TUsbRequestKind& kind, std::span<const uint8_t> data) {
    int wrongAnswersLeft = NeverRetried(kind.kind) ? 0 : kWrongAnswerRetries;
    int exceptionsLeft = NeverRetried(kind.kind) ? 0 : kExceptionRetries;
    int busyRepeatsLeft = kBusyRepeats;
    for (;;) {
        try {
            const TReply reply = TryRequest(kind, data);
            if (reply == TReply::Good) {
                failures_ = 0;
                return true;
            }
            if (reply == TReply::Busy && busyRepeatsLeft-- > 0) {
                continue;
            }
            if (wrongAnswersLeft-- <= 0) {
                return false;
            }
        } catch (const EVeltrakAbort&) {
            throw;
        } catch (const EVeltrakInvalidRequest&) {
            // the head unit's own answer that it does not know the request
            if (++failures_ >= kFailuresBeforeGivingUp || exceptionsLeft-- <= 0) {
                throw;
            }
        } catch (const std::exception&) {
            if (++failures_ >= kFailuresBeforeGivingUp) {
                throw;
            }
            if (exceptionsLeft-- <= 0) {
                return false; // as for silence: the caller decides what no answer means
            }
        }
    }
}

void TUsbRequestLink::Check(TFtStatus status, const char* call) {
    if (status != FT_OK) {
        throw EVeltrakComError(call);
    }
}

void TUsbRequestLink::ResetLine() {
    link_.PurgeTransmit();
    link_.PurgeReceive();
    link_.SetBreak(true);
    clock_.Sleep(100);
    link_.SetBreak(false);
    clock_.Sleep(100);
}

void TUsbRequestLink::Write(std::span<const uint8_t> bytes) {
    size_t written = 0;
    Check(link_.Write(bytes.data(), bytes.size(), written), "FT_Write");
    if (log_ != nullptr) {
        log_->Sent(bytes.first(std::min(written, bytes.size())));
    }
    if (written != bytes.size()) {
        throw EVeltrakComError("FT_Write");
    }
}

bool TUsbRequestLink::ReadByte(uint8_t& byte) {
    size_t read = 0;
    Check(link_.Read(&byte, 1, read), "FT_Read");
    if (read == 1 && log_ != nullptr) {
        log_->Received(std::span(&byte, 1));
    }
    if (read == 0 && idle_) {
        idle_(); // a silent head unit is where an abort is most wanted
    }
    return read == 1;
}

std::vector<uint8_t> TUsbRequestLink::ReadBytes(size_t count) {
    std::vector<uint8_t> bytes(count);
    size_t got = 0;
    while (got < count) {
        size_t read = 0;
        Check(link_.Read(bytes.data() + got, count - got, read), "FT_Read");
        if (read == 0) {
            ThrowInvalidData();
        }
        if (log_ != nullptr) {
            log_->Received(std::span(bytes).subspan(got, read));
        }
        got += read;
    }
    return bytes;
}

bool TUsbRequestLink::ReadReply(std::vector<uint8_t>& body) {
    uint8_t byte = 0;
    bool found = false;
    for (int search = 0; search < 2 && !found; ++search) {
        // a head unit that never stops sending noise must not hold the program
        for (size_t noise = 0; noise < kMaxReplyLength && ReadByte(byte); ++noise) {
            if (byte == kUsbRequestStart) {
                found = true;
                break;
            }
        }
    }
    if (!found) {
        return false;
    }
    const std::vector<uint8_t> header = ReadBytes(3);
    const size_t length = static_cast<size_t>(header[1] << 8 | header[2]);
    if (header[0] != kUsbRequestMark || length < 3 || length > kMaxReplyLength) {
        ThrowInvalidData();
    }
    body = ReadBytes(length);
    uint8_t checksum = kUsbRequestStart ^ kUsbRequestMark ^ header[1] ^ header[2];
    for (size_t i = 0; i + 1 < body.size(); ++i) {
        checksum ^= body[i];
    }
    if (checksum != body.back()) {
        ThrowInvalidData();
    }
    body.pop_back();
    return true;
}

void TUsbRequestLink::Send(std::span<const uint8_t> request) {
    link_.PurgeTransmit();
    link_.PurgeReceive();
    clock_.Sleep(1);
    Write(request);
}

bool TUsbRequestLink::Exchange(std::span<const uint8_t> request, std::vector<uint8_t>& body) {
    Send(request);
    return ReadReply(body);
}

TUsbRequestLink::TReply TUsbRequestLink::TryRequest(const TUsbRequestKind& kind, std::span<const uint8_t> data) {
    payload_.clear();
    if (kind.kind == kDiscardedReplyKind) {
        Send(BuildUsbRequest(kind.requestClass, kind.code, data));
        uint8_t byte = 0;
        for (size_t discarded = 0; discarded < kMaxReplyLength && ReadByte(byte); ++discarded) {
        }
        return TReply::Good;
    }
    std::vector<uint8_t> body;
    if (!Exchange(BuildUsbRequest(kind.requestClass, kind.code, data), body)) {
        ResetLine();
        if (kind.requestClass != 1 && kind.code == 1) {
            ThrowInvalidData();
        }
        return TReply::Wrong;
    }
    if (body[0] == 0xFF && body[1] == 4) {
        throw EVeltrakInvalidRequest();
    }
    if (body[0] == 0xFF && body[1] == 5) {
        if (!waitWhileBusy_ || !waitWhileBusy_()) {
            throw EVeltrakAbort();
        }
        const uint32_t start = clock_.Milliseconds();
        while (clock_.Since(start) < kBusyWaitMs) {
            if (idle_) {
                idle_();
            }
            clock_.Sleep(10);
        }
        return TReply::Busy;
    }
    if (body[0] != kind.requestClass || body[1] != kind.code) {
        return TReply::Wrong;
    }
    payload_.assign(body.begin() + 2, body.end());
    return TReply::Good;
}

} // namespace klt
