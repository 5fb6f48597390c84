#include "online/CollectedWarnings.h"

#include <utility>

namespace klt {

void TCollectedWarnings::Warning(const std::string& caption, const std::string& text) {
    const std::lock_guard lock(mutex_);
    warnings_.push_back({caption, text});
}

std::vector<std::string> TCollectedWarnings::Texts() const {
    const std::lock_guard lock(mutex_);
    std::vector<std::string> texts;
    for (const TBrakeWarning& warning : warnings_) {
        texts.push_back(warning.caption + ": " + warning.text);
    }
    return texts;
}

std::vector<TBrakeWarning> TCollectedWarnings::Take() {
    const std::lock_guard lock(mutex_);
    return std::exchange(warnings_, {});
}

} // namespace klt
