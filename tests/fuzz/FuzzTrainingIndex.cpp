// Any bytes as a month folder's index: refused, or entries that encode to bytes giving the same
// entries back.
#include <cstdint>
#include <string_view>

#include "core/TrainingIndexFormat.h"
#include "tests/fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto entries = klt::DecodeTrainingIndex(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!entries) {
        return 0;
    }
    klt::fuzz::Check(entries->size() <= klt::kMaxTrainingIndexEntries);
    const auto again = klt::DecodeTrainingIndex(klt::EncodeTrainingIndex(*entries));
    klt::fuzz::Check(again.has_value() && *again == *entries);
    return 0;
}
