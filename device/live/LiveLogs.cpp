#include "device/live/LiveLogs.h"

#include <system_error>

namespace klt {

namespace fs = std::filesystem;

TCappedLog::TCappedLog(const fs::path& path, uintmax_t cap) : cap_(cap) {
    std::error_code error;
    fs::create_directories(path.parent_path(), error);
    file_.reset(std::fopen(path.c_str(), "w"));
}

void TCappedLog::Line(const std::string& line) {
    if (!file_) {
        return;
    }
    static constexpr char kFull[] = "(log full)\n";
    if (written_ + line.size() + 1 + sizeof kFull > cap_) {
        std::fputs(kFull, file_.get());
        file_.reset(); // nothing more fits
        return;
    }
    if (std::fputs(line.c_str(), file_.get()) < 0 || std::fputc('\n', file_.get()) < 0 || std::fflush(file_.get()) != 0) {
        file_.reset(); // a full or broken disk: leave the log out
        return;
    }
    written_ += line.size() + 1;
}

TLiveLogs::TLiveLogs(const fs::path& databaseDir, uintmax_t cap) {
    if (databaseDir.empty()) {
        return;
    }
    frames = TCappedLog(databaseDir / "Telemetrie" / "Testwerte.txt", cap);
    bytes = TCappedLog(databaseDir / "Telemetrie" / "TestwerteAll.txt", cap);
    timing = TCappedLog(databaseDir / "ErgoFiles" / "Testwerte.txt", cap);
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
