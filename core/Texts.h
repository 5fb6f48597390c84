#pragma once
// The program's numbered, translatable texts. Everything a user reads comes from here by number.
#include <initializer_list>
#include <string>
#include <string_view>

namespace klt {

// The text with this number (UTF-8), or "{Text <id>}" when the table has none.
std::string LoadText(int id);

// Fills a message pattern: each "%s" or "%d" takes the next argument in order, "%%" is a percent
// sign. Missing arguments leave the rest of the pattern as it stands; extra ones are ignored.
std::string FormatText(std::string_view pattern, std::initializer_list<std::string_view> args);

} // namespace klt
