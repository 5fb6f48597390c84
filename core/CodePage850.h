#pragma once
// Training files store their texts in code page 850; the program works in UTF-8.
#include <string>
#include <string_view>

namespace klt {

std::string Cp850ToUtf8(std::string_view oem);

// Characters without a code page 850 form become '?'; malformed UTF-8 bytes too.
std::string Utf8ToCp850(std::string_view utf8);

} // namespace klt
