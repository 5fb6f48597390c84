#include "device/usb/UsbTrafficLog.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

namespace klt {

TUsbTrafficLog::TUsbTrafficLog(const std::string& databaseDir) {
    if (!databaseDir.empty()) {
        path_ = (std::filesystem::path(databaseDir) / "LogCommFiles" / "VeltrakUSB.log").string();
    }
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
    if (path_.empty()) {
        return;
    }
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(path_).parent_path(), error);
    if (std::FILE* file = std::fopen(path_.c_str(), "ab")) {
        std::fwrite(line.data(), 1, line.size(), file);
        std::fclose(file);
    }
}

} // namespace klt
