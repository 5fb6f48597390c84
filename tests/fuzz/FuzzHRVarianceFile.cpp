// Any bytes as a heart-rate-variability file: reading must never crash, and what it reads must be
// written so that it reads back equal.
#include <cstdint>
#include <string_view>

#include "core/Exceptions.h"
#include "online/HeartRateVarianceFile.h"
#include "tests/fuzz/FuzzSupport.h"

using klt::fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<klt::THRVarianceLine> lines;
    try {
        lines = klt::ParseHRVarianceText(std::string_view(reinterpret_cast<const char*>(data), size));
    } catch (const klt::EInOutError&) {
        return 0;
    }
    std::vector<klt::THRDistRecord> records;
    for (const klt::THRVarianceLine& line : lines) {
        records.push_back({.time = {0, line.timeOfDay}, .hrDist = line.hrDist});
    }
    Check(klt::ParseHRVarianceText(klt::HRVarianceText(records)) == lines);
    return 0;
}
