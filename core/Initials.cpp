#include "core/Initials.h"

#include "core/Utf8Chars.h"

namespace klt {

std::string NormalizeInitials(const std::string& text) {
    constexpr size_t kMaxLength = 20;
    std::string kept;
    for (char c : text) {
        const bool allowed = c == ' ' || c == ',' || c == '.' || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') ||
                             (c >= 'a' && c <= 'z');
        if (allowed) {
            kept += c;
        }
    }
    return TrimText(TrimText(kept).substr(0, kMaxLength));
}

} // namespace klt
