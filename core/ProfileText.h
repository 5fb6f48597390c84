#pragma once
// The line syntax of profile files: one element or variable per line,
//   <Variable Name="Time" Value="500"/>
// Values are escaped like XML attribute text, so quotes, angle brackets and line breaks in a
// title or name cannot break the line structure.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace klt {

inline constexpr std::string_view kProfileDeclaration = "<?xml version=\"1.0\"?>";

std::string EscapeProfileValue(std::string_view value);
// Undoes the escapes; anything that is no escape stays as it is.
std::string UnescapeProfileValue(std::string_view text);

// The variable line without indentation.
std::string ProfileVariableLine(std::string_view name, std::string_view value);

struct TProfileVariable {
    std::string name;
    std::string value; // unescaped
};
// The name and value of a "<Variable " line: the texts after Name=" and Value=" up to the next
// quote (or the end of the line); nothing for other lines.
std::optional<TProfileVariable> ParseProfileVariable(std::string_view line);

// Whole decimal numbers within minimum…maximum; everything else reads as 0.
int64_t ProfileInteger(std::string_view value, int64_t minimum, int64_t maximum);
int32_t ProfileInteger32(std::string_view value);
// False exactly for "0".
inline bool ProfileBoolean(std::string_view value) {
    return value != "0";
}
inline std::string_view ProfileBooleanText(bool value) {
    return value ? "1" : "0";
}

// Names joined with ","; a name holding a comma or quote is quoted, doubling its quotes.
std::string JoinProfileNames(const std::vector<std::string>& names);
// The names of such a list; empty entries are left out.
std::vector<std::string> SplitProfileNames(std::string_view text);

// Days since 1880 as "YYYY-MM-DD"; a text that is no valid date reads as day 0.
std::string ProfileDateText(int32_t days);
int32_t ProfileDate(std::string_view text);

} // namespace klt
