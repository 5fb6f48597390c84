#pragma once
// The read thread's debug logs below the training database: "Telemetrie/Testwerte.txt" (decoded
// frames), "Telemetrie/TestwerteAll.txt" (every byte read) and "ErgoFiles/Testwerte.txt" (timing
// and errors). Each starts empty with the thread and stops growing at its cap, so a long ride
// cannot fill the disk; a log that cannot be written is left out and never stops the reading.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <span>
#include <string>

namespace klt {

class TCappedLog {
public:
    static constexpr uintmax_t kDefaultCap = 4u << 20;

    TCappedLog() = default;
    // Creates the folder and the empty file; a failure leaves the log closed.
    TCappedLog(const std::filesystem::path& path, uintmax_t cap);

    // Appends `line` and a line end while it fits under the cap; the last line says the log is full.
    void Line(const std::string& line);
    bool IsOpen() const { return file_ != nullptr; }

private:
    struct TClose {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };
    std::unique_ptr<std::FILE, TClose> file_;
    uintmax_t cap_ = 0;
    uintmax_t written_ = 0;
};

struct TLiveLogs {
    TLiveLogs() = default; // nothing logged
    // Below `databaseDir`; an empty one logs nothing.
    TLiveLogs(const std::filesystem::path& databaseDir, uintmax_t cap = TCappedLog::kDefaultCap);

    TCappedLog frames; // Telemetrie/Testwerte.txt
    TCappedLog bytes;  // Telemetrie/TestwerteAll.txt
    TCappedLog timing; // ErgoFiles/Testwerte.txt
};

// Bytes as two hexadecimal digits each, separated by spaces.
std::string HexBytes(std::span<const uint8_t> bytes);

} // namespace klt
