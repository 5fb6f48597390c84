#pragma once
// Colours (0x00BBGGRR) as profile files spell them: a name such as "clRed" for the standard
// colours, else "$" and eight hexadecimal digits.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace klt {

std::string ColorToText(uint32_t color);

// Accepts a colour name (any case), "$" or "0x" and hexadecimal digits, or a decimal number
// (negative ones as their 32-bit pattern); nothing for anything else.
std::optional<uint32_t> ColorFromText(std::string_view text);

} // namespace klt
