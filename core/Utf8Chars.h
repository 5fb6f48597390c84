#pragma once
// Character-level helpers for the program's UTF-8 texts.
#include <cstddef>
#include <string>
#include <string_view>

namespace klt {

// The trim set holds the characters that pad stored fields and typed numbers and carry no meaning
// there: NUL, backspace, tab, line feed, carriage return, space, DEL and "ÿ" (character 255 of the
// old single-byte code page, which is what erased memory reads back as).

// Removes trim-set characters at both ends.
std::string_view TrimField(std::string_view text);

// Removes every trim-set character, wherever it stands.
std::string RemoveTrimChars(std::string_view text);

// Removes control characters and blanks (everything up to the space) at both ends, as every text
// the user gives (comments, names, initials) is stored.
std::string TrimText(std::string_view text);

// Whether the byte continues a multi-byte character rather than starting one.
bool IsContinuationByte(char c);

// The number of characters (not bytes) of text.
std::size_t CountChars(std::string_view text);

// The first maxChars characters (not bytes) of text; a multi-byte character is never split.
std::string TruncateChars(std::string_view text, std::size_t maxChars);

} // namespace klt
