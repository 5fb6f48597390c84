#pragma once
// Texts from files and head units on their way to a terminal, where a control character could
// move the cursor, retitle the window or worse.
#include <string>
#include <string_view>

namespace klt::cli {

// The text with every control character shown as an escape: C0 controls and DEL as \xHH (an
// escape character as the four characters \x1b), C1 controls as \uHHHH. Everything else,
// backslashes included, stays as it is.
std::string Printable(std::string_view text);

// The same for a message of several lines: its line breaks ("\n" or "\r\n") stay breaks.
std::string PrintableLines(std::string_view text);

} // namespace klt::cli
