// Any bytes as a demo results file: reading must never crash, and what it reads must be written
// so that it reads back equal and writes the same text again.
#include <cstdint>
#include <string>
#include <string_view>

#include "online/DemoResultFile.h"
#include "tests/fuzz/FuzzSupport.h"

using klt::fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<klt::TKLTDemoResult> results;
    try {
        results =
            klt::ReadDemoResultText(std::string_view(reinterpret_cast<const char*>(data), size), "fuzz.rst");
    } catch (const klt::EDemoResultsDamaged&) {
        return 0;
    }
    Check(results.size() <= klt::kMaxDemoResults);
    const std::string written = klt::WriteDemoResultText(results);
    const std::vector<klt::TKLTDemoResult> reread =
        klt::ReadDemoResultText(written, "fuzz.rst"); // throws: stops
    Check(reread == results);
    Check(klt::WriteDemoResultText(reread) == written);
    return 0;
}
