#pragma once
// The computer's end of a simulated head unit's line, driven with plain termios the way a
// terminal program would: speed, parity, raw bytes out, bounded waits for bytes in.
#include <cstdint>
#include <string>
#include <vector>

namespace klt::sim::test {

class TSerialTestPort {
public:
    enum class TParity { None, Even, Odd };

    TSerialTestPort(const std::string& path, int baud, TParity parity = TParity::None);
    ~TSerialTestPort();
    TSerialTestPort(const TSerialTestPort&) = delete;
    TSerialTestPort& operator=(const TSerialTestPort&) = delete;

    bool IsOpen() const { return fd_ >= 0; }
    void Configure(int baud, TParity parity = TParity::None);
    void Write(const std::vector<uint8_t>& bytes);
    void Write(const std::string& text) { Write(std::vector<uint8_t>(text.begin(), text.end())); }
    // Up to `count` bytes; fewer when nothing more arrived within `timeoutMs` of the last byte.
    std::vector<uint8_t> Read(size_t count, int timeoutMs = 3000);
    // Bytes up to and including `last`, or what came before the line was quiet for `quietMs`.
    std::vector<uint8_t> ReadThrough(uint8_t last, int quietMs = 300);
    // Whatever arrives until the line has been quiet for `quietMs`.
    std::vector<uint8_t> ReadUntilQuiet(int quietMs);

private:
    int fd_ = -1;
};

// Register telegram to the head unit at address 0x30.
std::vector<uint8_t> RegisterRequest(int reg, std::vector<uint8_t> data = {0, 0, 0, 0});
// Framed character telegram: STX, command, data bytes as characters, ETX.
std::vector<uint8_t> FramedTelegram(char command, const std::vector<uint8_t>& data = {});

} // namespace klt::sim::test
