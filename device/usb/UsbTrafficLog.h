#pragma once
// The traffic of the USB link, appended to a plain text log below the training database:
// "Send:" or "Received:" and each byte as two hexadecimal digits and ",", then ";".
#include <cstdint>
#include <span>
#include <string>

namespace klt {

class TUsbTrafficLog {
public:
    // Logs into databaseDir/LogCommFiles/VeltrakUSB.log; nothing is logged without a database.
    explicit TUsbTrafficLog(const std::string& databaseDir);
    const std::string& Path() const { return path_; }

    // Never throws: a log that cannot be written must not stop the head unit's work.
    void Sent(std::span<const uint8_t> bytes);
    void Received(std::span<const uint8_t> bytes);

    static std::string Line(const char* direction, std::span<const uint8_t> bytes);

private:
    void Append(const std::string& line);

    std::string path_;
};

} // namespace klt
