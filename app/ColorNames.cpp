#include "app/ColorNames.h"

#include <array>
#include <charconv>
#include <cstdio>
#include <utility>

#include "core/IgnoreCase.h"

namespace klt {
namespace {

constexpr std::array<std::pair<std::string_view, uint32_t>, 20> kColorNames = {{
    {"clBlack", 0x000000},      {"clMaroon", 0x000080},  {"clGreen", 0x008000}, {"clOlive", 0x008080},
    {"clNavy", 0x800000},       {"clPurple", 0x800080},  {"clTeal", 0x808000},  {"clGray", 0x808080},
    {"clSilver", 0xC0C0C0},     {"clRed", 0x0000FF},     {"clLime", 0x00FF00},  {"clYellow", 0x00FFFF},
    {"clBlue", 0xFF0000},       {"clFuchsia", 0xFF00FF}, {"clAqua", 0xFFFF00},  {"clWhite", 0xFFFFFF},
    {"clMoneyGreen", 0xC0DCC0}, {"clSkyBlue", 0xF0CAA6}, {"clCream", 0xF0FBFF}, {"clMedGray", 0xA4A0A0},
}};

// The whole of `digits` as a number of that base, or nothing.
std::optional<int64_t> WholeNumber(std::string_view digits, int base) {
    int64_t value = 0;
    const char* end = digits.data() + digits.size();
    auto [stop, error] = std::from_chars(digits.data(), end, value, base);
    if (digits.empty() || error != std::errc() || stop != end) {
        return std::nullopt;
    }
    return value;
}

} // namespace

std::string ColorToText(uint32_t color) {
    for (const auto& [name, value] : kColorNames) {
        if (value == color) {
            return std::string(name);
        }
    }
    char text[16];
    std::snprintf(text, sizeof text, "$%08X", color);
    return text;
}

std::optional<uint32_t> ColorFromText(std::string_view text) {
    for (const auto& [name, value] : kColorNames) {
        if (EqualsIgnoringCase(text, name)) {
            return value;
        }
    }
    std::optional<int64_t> number;
    if (text.starts_with('$')) {
        number = WholeNumber(text.substr(1), 16);
    } else if (text.starts_with("0x") || text.starts_with("0X")) {
        number = WholeNumber(text.substr(2), 16);
    } else {
        number = WholeNumber(text, 10);
    }
    if (!number || *number < INT32_MIN || *number > UINT32_MAX) {
        return std::nullopt;
    }
    return static_cast<uint32_t>(*number);
}

} // namespace klt
