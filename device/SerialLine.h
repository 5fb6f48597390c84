#pragma once
// A raw serial line as the head-unit protocols see it: settings, time-outs, purges, breaks and
// unframed reads and writes. The termios backend drives real ports and pseudo-terminals; tests
// may script one.
#include <cstddef>
#include <cstdint>
#include <string>

namespace klt {

enum class TParity : uint8_t { None, Even, Odd };

struct TLineSettings {
    int baudRate = 9600;
    int dataBits = 8;
    TParity parity = TParity::None;
    int stopBits = 1;
    bool operator==(const TLineSettings&) const = default;
};

// Milliseconds, as the serial driver counts them: a read waits at most interval between bytes and
// perByte * n + constant in all; all zero except an infinite interval means "return at once".
struct TLineTimeouts {
    int readInterval = 50;
    int readPerByte = 50;
    int readConstant = 50;
    int writePerByte = 50;
    int writeConstant = 50;
    bool operator==(const TLineTimeouts&) const = default;
};

class ISerialLine {
public:
    virtual ~ISerialLine() = default;
    // Opens the device for reading and writing, exclusively; throws EVeltrakComError.
    virtual void Open(const std::string& path) = 0;
    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;
    virtual void Configure(const TLineSettings& settings) = 0;
    virtual void SetTimeouts(const TLineTimeouts& timeouts) = 0;
    // Drops what waits in both directions.
    virtual void Purge() = 0;
    // False when the line cannot signal a break.
    virtual bool SetBreak(bool on) = 0;
    // Bytes taken (possibly fewer than count); throws EVeltrakComError on a hard failure.
    virtual size_t Write(const uint8_t* bytes, size_t count) = 0;
    // Waits until written bytes have left.
    virtual void Flush() = 0;
    // Up to count bytes within the time-outs; 0 when none came.
    virtual size_t Read(uint8_t* bytes, size_t count) = 0;
};

} // namespace klt
