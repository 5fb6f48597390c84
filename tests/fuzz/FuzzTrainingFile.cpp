// Any bytes as a training file: reading must fail cleanly or load a file that survives writing and
// reading back unchanged.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>

#include "core/Exceptions.h"
#include "tests/fuzz/FuzzSupport.h"
#include "core/KLTFile.h"

namespace {

using klt::fuzz::Check;

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
    static const std::string input = klt::fuzz::TempPath("training-file", "in");
    static const std::string output = klt::fuzz::TempPath("training-file", "out");
    if (!klt::fuzz::WriteInput(input, data, size)) {
        return 0;
    }

    klt::TKLTFile file(input);
    try {
        file.ReadFile();
    } catch (const klt::Exception&) {
        Check(file.LoadState() == klt::TLoadState::Empty && file.SampleCount() == 0);
        return 0;
    }
    if (klt::fuzz::MostlyMissingSamples(file.SampleCount(), size)) {
        return 0;
    }
    file.WriteKLT7(output, klt::TDateTimeMark::None());
    klt::TKLTFile again(output);
    again.ReadFile();
    CheckSame(file, again);
    Check(!again.Modified());
    return 0;
}
