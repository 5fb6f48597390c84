// Any bytes as a RAW file: the import must fail with an engine error or give a training that
// survives writing and reading back.
#include <cstdint>
#include <cstdio>
#include <string_view>

#include "core/Exceptions.h"
#include "core/RawImport.h"
#include "tests/fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using klt::fuzz::Check;
    klt::TKLTFile file("/fuzz/12-09-2026.raw");
    try {
        klt::ImportRawTraining(file, std::string_view(reinterpret_cast<const char*>(data), size));
    } catch (const klt::Exception&) {
        return 0;
    }
    Check(file.SampleCount() > 0 && file.SampleCount() <= klt::TKLTFile::kMaxSamples);
    Check(file.Marker(0).first == 1 && file.Marker(0).last == file.SampleCount());
    const std::string output = klt::fuzz::TempPath("raw-import", "out");
    file.WriteKLT7(output, klt::TDateTimeMark::None());
    klt::TKLTFile again(output);
    again.ReadFile();
    std::remove(output.c_str());
    Check(again.SampleCount() == file.SampleCount());
    return 0;
}
