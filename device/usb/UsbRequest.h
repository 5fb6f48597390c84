#pragma once
// Binary requests of generation VI and 7 head units over the FTDI link: 0xA4 0xB0, length,
// class, code, data and an XOR checksum; replies checked, busy and invalid requests answered,
// and the retries of each kind.
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "device/FtdiLink.h"
#include "device/ProtocolClock.h"

namespace klt {

class TUsbTrafficLog;

inline constexpr uint8_t kUsbRequestStart = 0xA4;
inline constexpr uint8_t kUsbRequestMark = 0xB0;

struct TUsbRequestKind {
    int kind;
    uint8_t requestClass;
    uint8_t code;
};

// The request bytes; the checksum leaves out the byte just before it.
std::vector<uint8_t> BuildUsbRequest(uint8_t requestClass, uint8_t code, std::span<const uint8_t> data);

inline constexpr const char* kInvalidDataText =
    "Invalid data from Veltrak received\r\n Please try again later";
inline constexpr const char* kBusyText = "Veltrak busy\r\nPlease wait";

class TUsbRequestLink {
public:
    static constexpr int kFailuresBeforeGivingUp = 7;
    static constexpr size_t kMaxReplyLength = 4096;

    // idle runs while a busy head unit is waited for and after each read that timed out;
    // waitWhileBusy asks whether to (false aborts);
    // log may be null.
    TUsbRequestLink(IFtdiLink& link, IProtocolClock& clock, TUsbTrafficLog* log, std::function<void()> idle,
                    std::function<bool()> waitWhileBusy);

    // The exchange with its retries; true with the reply's payload in Payload(), false when the
    // retries ran out. Throws EVeltrakInvalidRequest, EVeltrakAbort and, from the seventh failure in
    // a row, what failed.
    bool SendRequest(const TUsbRequestKind& kind, std::span<const uint8_t> data);
    const std::vector<uint8_t>& Payload() const { return payload_; }
    int ConsecutiveFailures() const { return failures_; }
    void ClearFailures() { failures_ = 0; }

    // Sends request bytes as they are and reads one reply without retries, busy handling or checks of
    // class and code: false when none came, else its class, code and data in `body`. Throws the
    // invalid-data error for a garbled reply and EVeltrakComError when the link fails.
    bool Exchange(std::span<const uint8_t> request, std::vector<uint8_t>& body);

    // Purge both queues and a 100 ms break.
    void ResetLine();

private:
    enum class TReply { Good, Wrong, Busy };
    // One exchange; Busy once the user has let the busy head unit be waited for.
    TReply TryRequest(const TUsbRequestKind& kind, std::span<const uint8_t> data);
    // Purges both queues and writes the request.
    void Send(std::span<const uint8_t> request);
    // The next reply frame's class, code and data; false when no frame start came.
    bool ReadReply(std::vector<uint8_t>& body);
    void Write(std::span<const uint8_t> bytes);
    bool ReadByte(uint8_t& byte);
    std::vector<uint8_t> ReadBytes(size_t count);
    void Check(TFtStatus status, const char* call);

    IFtdiLink& link_;
    IProtocolClock& clock_;
    TUsbTrafficLog* log_;
    std::function<void()> idle_;
    std::function<bool()> waitWhileBusy_;
    std::vector<uint8_t> payload_;
    int failures_ = 0;
};

} // namespace klt
