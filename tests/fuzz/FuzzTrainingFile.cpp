// Any bytes as a training file: reading must fail cleanly or load a file that survives writing and
// reading back unchanged.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>

#include "core/Exceptions.h"
#include "core/KLTFile.h"

namespace {

// In memory where possible: every write is synced to disk, which would slow fuzzing to a crawl.
std::string TempPath(const char* what) {
    const char* dir = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    return std::string(dir) + "/klt-fuzz-" + std::to_string(::getpid()) + "-" + what + ".klt";
}

void Check(bool condition) {
    if (!condition) {
        __builtin_trap();
    }
}

void CheckSame(const klt::TKLTFile& a, const klt::TKLTFile& b) {
    Check(a.SampleCount() == b.SampleCount());
    for (int i = 1; i <= a.SampleCount(); ++i) {
        Check(std::memcmp(a.Sample(i).bytes, b.Sample(i).bytes, klt::TSampleElement::kSize) == 0);
    }
    Check(a.MarkerCount() == b.MarkerCount());
    for (int i = 0; i < a.MarkerCount(); ++i) {
        Check(a.Marker(i).first == b.Marker(i).first && a.Marker(i).last == b.Marker(i).last);
        Check(a.Marker(i).name == b.Marker(i).name);
        Check(a.Marker(i).sumPower == b.Marker(i).sumPower && a.Marker(i).climb == b.Marker(i).climb);
    }
    Check(a.Blocks() == b.Blocks());
    Check(a.Comment() == b.Comment());
    Check(a.Interval() == b.Interval());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string input = TempPath("in");
    static const std::string output = TempPath("out");
    std::FILE* f = std::fopen(input.c_str(), "wb");
    if (f == nullptr) {
        return 0;
    }
    std::fwrite(data, 1, size, f);
    std::fclose(f);

    klt::TKLTFile file(input);
    try {
        file.ReadFile();
    } catch (const klt::Exception&) {
        Check(file.LoadState() == klt::TLoadState::Empty && file.SampleCount() == 0);
        return 0;
    }
    file.WriteKLT7(output, klt::TDateTimeMark::None());
    klt::TKLTFile again(output);
    again.ReadFile();
    CheckSame(file, again);
    Check(!again.Modified());
    return 0;
}
