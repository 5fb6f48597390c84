// Any bytes as the online options file: reading must never crash, and what it reads must be
// written so that it reads back without complaint, equal, and writes the same text again.
#include <cstdint>
#include <string>
#include <string_view>

#include "core/Exceptions.h"
#include "online/OnlineOptions.h"
#include "tests/fuzz/FuzzSupport.h"

using klt::fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // No directory: a selected program is never looked for on disk.
    klt::TOnlineOptions options("");
    try {
        options.ReadText(std::string_view(reinterpret_cast<const char*>(data), size));
    } catch (const klt::EInOutError&) {
        options.SetDefaults(); // as loading does
    }
    const std::string written = options.WriteText();
    klt::TOnlineOptions reread("");
    Check(reread.ReadText(written).empty());
    const std::string again = reread.WriteText();
    Check(again == written);
    klt::TOnlineOptions third("");
    third.ReadText(again);
    // A passing mode read from the input is written as the mode to restore, so the first
    // generation may differ in that alone.
    Check(third.SameAs(reread));
    return 0;
}
