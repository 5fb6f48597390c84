#include "device/usb/UsbTrafficLog.h"

#include <filesystem>
#include <system_error>

namespace klt {

bool TUsbTrafficLog::Open(const std::string& databaseDir, const std::string& header) {
    file_.reset();
    path_.clear();
    if (databaseDir.empty()) {
        return false;
    }
    const std::filesystem::path folder = std::filesystem::path(databaseDir) / "LogCommFiles";
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    const std::unique_ptr<std::FILE, TCloser> headerFile(std::fopen((folder / "Header.txt").c_str(), "wb"));
    if (headerFile == nullptr || std::fwrite(header.data(), 1, header.size(), headerFile.get()) != header.size()) {
        return false;
    }
    file_.reset(std::fopen((folder / "Log.txt").c_str(), "wb"));
    if (file_ != nullptr) {
        path_ = (folder / "Log.txt").string();
    }
    return IsOpen();
}

std::string TUsbTrafficLog::Line(const char* direction, std::span<const uint8_t> bytes) {
    std::string line = direction;
    char digits[4];
    for (uint8_t byte : bytes) {
        std::snprintf(digits, sizeof digits, "%02X,", byte);
        line += digits;
    }
    return line + ";\n";
}

void TUsbTrafficLog::Sent(std::span<const uint8_t> bytes) {
    Append(Line("Send:", bytes));
}
void TUsbTrafficLog::Received(std::span<const uint8_t> bytes) {
    Append(Line("Received:", bytes));
}

void TUsbTrafficLog::Append(const std::string& line) {
    if (file_ == nullptr) {
        return;
    }
    // Flushed line by line, so the log shows how far the head unit got when the program stopped.
    std::fwrite(line.data(), 1, line.size(), file_.get());
    std::fflush(file_.get());
}

} // namespace klt
