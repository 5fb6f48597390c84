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

// A sample table cut short reads with its missing samples zeroed, so a few garbled count bytes
// can make every step after the read walk 65,535 samples. Each sample needs at least five bytes
// of the input (the packed records of old versions); beyond that, and a margin that still
// exercises the zero filling, the extra samples are all alike and only slow the search down.
inline bool MostlyMissingSamples(int declaredSamples, size_t inputSize) {
    constexpr size_t kMargin = 256;
    return static_cast<size_t>(declaredSamples) > inputSize / 5 + kMargin;
}

} // namespace klt::fuzz
