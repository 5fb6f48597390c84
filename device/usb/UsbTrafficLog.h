#pragma once
// The traffic of the USB link in plain text files below the training database: "LogCommFiles/
// Header.txt" says what was logged, "LogCommFiles/Log.txt" holds one line per read or write,
// "Send:" or "Received:" and each byte as two hexadecimal digits and ",", then ";".
#include <cstdint>
#include <cstdio>
#include <memory>
#include <span>
#include <string>

namespace klt {

class TUsbTrafficLog {
public:
    // Creates LogCommFiles below the database, writes `header` into a fresh Header.txt and starts a
    // fresh Log.txt. False when that failed (or there is no database): the log then stays closed.
    // Never throws: a log that cannot be written must not stop the head unit's work.
    bool Open(const std::string& databaseDir, const std::string& header);
    bool IsOpen() const { return file_ != nullptr; }
    // Log.txt while open.
    const std::string& Path() const { return path_; }

    // Nothing happens while the log is closed.
    void Sent(std::span<const uint8_t> bytes);
    void Received(std::span<const uint8_t> bytes);

    static std::string Line(const char* direction, std::span<const uint8_t> bytes);

private:
    struct TCloser {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };
    void Append(const std::string& line);

    std::string path_;
    std::unique_ptr<std::FILE, TCloser> file_;
};

} // namespace klt
