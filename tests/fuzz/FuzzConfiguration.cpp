// Any text as the configuration file: reading must never crash, and whatever it accepts must come
// back unchanged when it is written and read again.
#include <cstdint>
#include <string>
#include <string_view>

#include "app/KLTIniData.h"
#include "core/Exceptions.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    klt::TKLTIniData ini;
    try {
        ini.ReadText(text);
    } catch (const klt::Exception&) {
        return 0; // damaged: the program falls back to defaults
    }
    const std::string written = ini.Text();
    klt::TKLTIniData again;
    again.ReadText(written); // our own text must never count as damaged
    if (!again.Equals(ini) || again.Text() != written) {
        __builtin_trap();
    }
    return 0;
}
