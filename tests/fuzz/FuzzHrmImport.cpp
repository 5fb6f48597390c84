// Any bytes as a Polar HRM file, with and without altitude as power: the import either fails with
// the program's own error or gives a training within the file limits.
#include <cstdint>
#include <string_view>

#include "core/Exceptions.h"
#include "core/HrmImport.h"
#include "core/KLTFile.h"
#include "tests/fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view content(reinterpret_cast<const char*>(data), size);
    for (bool altitudeAsPower : {false, true}) {
        klt::TKLTFile file("fuzz.hrm");
        try {
            klt::ImportHrmTraining(file, content, altitudeAsPower);
        } catch (const klt::Exception&) {
            klt::fuzz::Check(file.SampleCount() == 0);
            continue;
        }
        klt::fuzz::Check(file.SampleCount() > 0 && file.SampleCount() <= klt::TKLTFile::kMaxSamples);
        klt::fuzz::Check(file.Marker(0).first == 1 && file.Marker(0).last == file.SampleCount());
        klt::fuzz::Check(file.Header().intervalNumerator > 0 && file.Header().intervalDenominator == 1);
        klt::fuzz::Check(file.Comment().size() <= 4 * klt::TKLTFile::kCommentLength);
    }
    return 0;
}
