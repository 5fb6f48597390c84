#include "device/live/LiveLogs.h"

namespace klt {

namespace fs = std::filesystem;

void TLiveLogs::Open(const fs::path& databaseDir) {
    if (databaseDir.empty()) {
        return;
    }
    frames.Open(databaseDir / "Telemetrie" / "Testwerte.txt");
    bytes.Open(databaseDir / "Telemetrie" / "TestwerteAll.txt");
    timing.Open(databaseDir / "ErgoFiles" / "Testwerte.txt");
}

std::string HexBytes(std::span<const uint8_t> bytes) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(bytes.size() * 3);
    for (const uint8_t byte : bytes) {
        if (!text.empty()) {
            text += ' ';
        }
        text += kDigits[byte >> 4];
        text += kDigits[byte & 0x0F];
    }
    return text;
}

} // namespace klt
