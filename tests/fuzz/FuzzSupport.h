#pragma once
// What the fuzz targets share: a place for their files and a check that stops the run.
#include <cstdint>
#include <cstdio>
#include <string>
#include <unistd.h>

namespace klt::fuzz {

// In memory where possible: every write is synced to disk, which would slow fuzzing to a crawl.
inline std::string TempPath(const char* target, const char* what) {
    const char* dir = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    return std::string(dir) + "/klt-" + target + "-" + std::to_string(::getpid()) + "-" + what + ".klt";
}

inline void Check(bool condition) {
    if (!condition) {
        __builtin_trap();
    }
}

// Writes the fuzzer's bytes to `path`; false when that is not possible.
inline bool WriteInput(const std::string& path, const uint8_t* data, size_t size) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) {
        return false;
    }
    const bool written = std::fwrite(data, 1, size, f) == size;
    return std::fclose(f) == 0 && written;
}

} // namespace klt::fuzz
