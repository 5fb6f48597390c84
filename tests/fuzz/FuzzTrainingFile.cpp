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

// The same record, except that the upper half of the speed field (bytes 6 and 7) is kept as read
// and written as the sign extension of the lower half.
void CheckSameSample(const klt::TSampleElement& read, const klt::TSampleElement& written) {
    Check(std::memcmp(read.bytes, written.bytes, 6) == 0);
    Check(std::memcmp(read.bytes + 8, written.bytes + 8, klt::TSampleElement::kSize - 8) == 0);
    const uint8_t extension = (written.bytes[5] & 0x80) != 0 ? 0xFF : 0x00;
    Check(written.bytes[6] == extension && written.bytes[7] == extension);
}

void CheckSame(const klt::TKLTFile& a, const klt::TKLTFile& b) {
    Check(a.SampleCount() == b.SampleCount());
    for (int i = 1; i <= a.SampleCount(); ++i) {
        CheckSameSample(a.Sample(i), b.Sample(i));
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
