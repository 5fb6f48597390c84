#pragma once
// The read thread's debug logs below the training database: "Telemetrie/Testwerte.txt" (decoded
// frames), "Telemetrie/TestwerteAll.txt" (every byte read) and "ErgoFiles/Testwerte.txt" (timing
// and errors). Each starts empty with the thread and starts afresh at its cap, so a long ride
// cannot fill the disk; a log that cannot be written is left out and never stops the reading.
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>

#include "core/CappedLog.h"

namespace klt {

struct TLiveLogs {
    explicit TLiveLogs(uint64_t cap = TCappedLog::kDefaultCapBytes) : frames(cap), bytes(cap), timing(cap) {}
    // Starts the three logs empty below `databaseDir`; an empty one logs nothing.
    void Open(const std::filesystem::path& databaseDir);

    TCappedLog frames; // Telemetrie/Testwerte.txt
    TCappedLog bytes;  // Telemetrie/TestwerteAll.txt
    TCappedLog timing; // ErgoFiles/Testwerte.txt
};

// Bytes as two hexadecimal digits each, separated by spaces.
std::string HexBytes(std::span<const uint8_t> bytes);

} // namespace klt
