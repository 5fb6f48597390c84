#include "cli/TerminalText.h"

#include <cstdio>

namespace klt::cli {

std::string Printable(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        char escape[8];
        if (byte < 0x20 || byte == 0x7F) {
            std::snprintf(escape, sizeof escape, "\\x%02x", byte);
            out += escape;
        } else if (byte == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
                   static_cast<unsigned char>(text[i + 1]) <= 0x9F) { // U+0080..U+009F in UTF-8
            std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned char>(text[++i]));
            out += escape;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string PrintableLines(std::string_view text) {
    std::string out;
    size_t start = 0;
    for (size_t end = text.find('\n'); end != std::string_view::npos; end = text.find('\n', start)) {
        std::string_view line = text.substr(start, end - start);
        if (line.ends_with('\r')) { // the messages' own line breaks are "\r\n"
            line.remove_suffix(1);
        }
        out += Printable(line) + '\n';
        start = end + 1;
    }
    return out + Printable(text.substr(start));
}

} // namespace klt::cli
