#include "core/Initials.h"

namespace klt {
namespace {

bool IsInitialsChar(char c) {
    return c == ' ' || c == ',' || c == '.' || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') ||
           (c >= 'a' && c <= 'z');
}

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && text.front() == ' ') {
        text.remove_prefix(1);
    }
    while (!text.empty() && text.back() == ' ') {
        text.remove_suffix(1);
    }
    return text;
}

} // namespace

std::string NormalizeInitials(std::string_view text) {
    std::string kept;
    for (char c : text) {
        if (IsInitialsChar(c)) {
            kept += c;
        }
    }
    // Trimming before the cut keeps leading blanks from eating into the 20 characters; trimming
    // after it drops a blank the cut may have left at the end.
    std::string_view trimmed = TrimBlanks(kept);
    return std::string(TrimBlanks(trimmed.substr(0, kMaxInitialsLength)));
}

} // namespace klt
