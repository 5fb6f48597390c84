// Any bytes as a memory-image backup: loading must refuse them cleanly or give an image whose
// backup loads back to the same trainings (register records) or the same blocks (generation V).
#include <cstdint>
#include <string>

#include "core/Exceptions.h"
#include "device/VeltrakImage.h"
#include "tests/fuzz/FuzzSupport.h"

namespace {

using klt::fuzz::Check;

constexpr klt::TVeltrakTrainingLimits kLimits{6000, 2160000, 6000};

// Loads `path`; false when the file is refused or its records cannot be parsed.
bool Load(klt::TVeltrakImage& image, const std::string& path) {
    try {
        const bool loaded = image.LoadBackup(path, kLimits, [](const std::exception&) {});
        Check(loaded || (image.RecordCount() == 0 && image.Headers().empty()));
        return loaded;
    } catch (const klt::Exception&) {
        return false;
    }
}

void CheckSameMemory(const klt::TVeltrakImage& a, const klt::TVeltrakImage& b) {
    Check(a.BlockMemory() == b.BlockMemory() && a.GarbledBlocks() == b.GarbledBlocks());
    Check(a.RecordCount() == b.RecordCount());
    Check(a.Headers().size() == b.Headers().size());
    for (size_t i = 0; i < a.Headers().size(); ++i) {
        const auto& x = a.Headers()[i];
        const auto& y = b.Headers()[i];
        Check(x.initials == y.initials && x.startDay == y.startDay && x.startTime == y.startTime);
        Check(x.recordCount == y.recordCount && x.interval == y.interval && x.flags == y.flags);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string input = klt::fuzz::TempPath("image-backup", "in");
    static const std::string output = klt::fuzz::TempPath("image-backup", "out");
    if (!klt::fuzz::WriteInput(input, data, size)) {
        return 0;
    }
    klt::TVeltrakImage image;
    if (!Load(image, input)) {
        return 0;
    }
    image.SaveBackup(output);
    klt::TVeltrakImage again;
    Check(Load(again, output));
    CheckSameMemory(image, again);
    return 0;
}
