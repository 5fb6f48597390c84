// Any bytes as an ergo program: reading must never crash, and what it reads must be written so
// that it reads back equal and writes the same text again.
#include <cstdint>
#include <string>
#include <string_view>

#include "core/Exceptions.h"
#include "online/KLTErgoFile.h"
#include "tests/fuzz/FuzzSupport.h"

using klt::fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    klt::TKLTErgoFile program;
    try {
        program.ReadText(std::string_view(reinterpret_cast<const char*>(data), size), "fuzz.erg");
    } catch (const klt::EInOutError&) {
        Check(program.SameAs(klt::TKLTErgoFile())); // a damaged program leaves a reset one
    }
    const std::string written = program.WriteText();
    klt::TKLTErgoFile reread;
    reread.ReadText(written, "fuzz.erg"); // throws, and so stops the run, when it does not read
    Check(reread.SameAs(program));
    Check(reread.WriteText() == written);
    return 0;
}
