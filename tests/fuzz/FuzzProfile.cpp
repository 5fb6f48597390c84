// Any bytes as a profile file: reading must never crash, and what it loads must be written so that
// it reads back without complaint and writes the same text again.
#include <cstdint>
#include <string>
#include <string_view>

#include "app/ProfileReader.h"
#include "app/ProfileWriter.h"
#include "core/Prompt.h"

namespace {

// Counts messages instead of printing them: a damaged file is the normal case here.
class TCountingPrompt : public klt::IPrompt {
public:
    klt::TPromptAnswer Ask(const std::string&, const std::string&, klt::TPromptButtons) override {
        ++shown;
        return klt::TPromptAnswer::Cancel;
    }
    void ShowMessage(const std::string&, const std::string&) override { ++shown; }
    int shown = 0;
};

void Check(bool condition) {
    if (!condition) {
        __builtin_trap();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static TCountingPrompt prompt;
    static const klt::TProfileOptionSets defaults(53000);
    klt::SetPrompt(&prompt);

    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::string written = klt::WriteProfileText(klt::ReadProfileText(text, defaults, "fuzz.xml"));
    prompt.shown = 0;
    const std::string again = klt::WriteProfileText(klt::ReadProfileText(written, defaults, "fuzz.xml"));
    Check(prompt.shown == 0);
    Check(again == written);
    return 0;
}
