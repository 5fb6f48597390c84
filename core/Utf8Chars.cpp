#include "core/Utf8Chars.h"

namespace klt {
namespace {

constexpr std::string_view SmallYDiaeresis = "\xC3\xBF"; // U+00FF

bool IsSingleByteTrimChar(char c) {
    switch (c) {
    case '\0':
    case '\b':
    case '\t':
    case '\n':
    case '\r':
    case ' ':
    case '\x7F':
        return true;
    default:
        return false;
    }
}

// Byte length of the trim-set character text starts with, 0 when it starts with another one.
std::size_t LeadingTrimCharLength(std::string_view text) {
    if (!text.empty() && IsSingleByteTrimChar(text.front())) {
        return 1;
    }
    return text.starts_with(SmallYDiaeresis) ? SmallYDiaeresis.size() : 0;
}

std::size_t TrailingTrimCharLength(std::string_view text) {
    if (!text.empty() && IsSingleByteTrimChar(text.back())) {
        return 1;
    }
    return text.ends_with(SmallYDiaeresis) ? SmallYDiaeresis.size() : 0;
}

} // namespace

bool IsContinuationByte(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

std::size_t CountChars(std::string_view text) {
    std::size_t chars = 0;
    for (char c : text) {
        chars += IsContinuationByte(c) ? 0 : 1;
    }
    return chars;
}

std::string_view TrimField(std::string_view text) {
    while (std::size_t length = LeadingTrimCharLength(text)) {
        text.remove_prefix(length);
    }
    while (std::size_t length = TrailingTrimCharLength(text)) {
        text.remove_suffix(length);
    }
    return text;
}

std::string RemoveTrimChars(std::string_view text) {
    std::string kept;
    kept.reserve(text.size());
    while (!text.empty()) {
        if (std::size_t length = LeadingTrimCharLength(text)) {
            text.remove_prefix(length);
        } else {
            kept += text.front();
            text.remove_prefix(1);
        }
    }
    return kept;
}

std::string TruncateChars(std::string_view text, std::size_t maxChars) {
    std::size_t chars = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (!IsContinuationByte(text[i]) && chars++ == maxChars) {
            return std::string(text.substr(0, i));
        }
    }
    return std::string(text);
}

std::string TrimText(std::string_view text) {
    auto isBlank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && isBlank(text[begin])) {
        ++begin;
    }
    while (end > begin && isBlank(text[end - 1])) {
        --end;
    }
    return std::string(text.substr(begin, end - begin));
}

} // namespace klt
