#include "core/ProfileText.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <utility>

#include "core/KLTDate.h"

namespace klt {
namespace {

constexpr std::string_view kVariableStart = "<Variable ";
constexpr std::string_view kNameStart = "Name=\"";
constexpr std::string_view kValueStart = "Value=\"";

// The text after `start` up to the next quote or the end of the line, and where it ends.
std::optional<std::string_view> QuotedAfter(std::string_view line, std::string_view start, std::size_t& end) {
    std::size_t begin = line.find(start, end);
    if (begin == std::string_view::npos) {
        return std::nullopt;
    }
    begin += start.size();
    end = std::min(line.find('"', begin), line.size());
    return line.substr(begin, end - begin);
}

std::optional<int64_t> WholeDecimal(std::string_view text) {
    int64_t value = 0;
    const char* end = text.data() + text.size();
    auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || stop != end) {
        return std::nullopt;
    }
    return value;
}

} // namespace

std::string EscapeProfileValue(std::string_view value) {
    std::string out;
    out.reserve(value.size());
    for (char c : value) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
                out += "&#" + std::to_string(static_cast<int>(c)) + ";";
            } else {
                out += c;
            }
        }
    }
    return out;
}

std::string UnescapeProfileValue(std::string_view text) {
    static constexpr std::pair<std::string_view, char> kEntities[] = {
        {"&amp;", '&'}, {"&quot;", '"'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&apos;", '\''}};
    std::string out;
    out.reserve(text.size());
    while (!text.empty()) {
        bool replaced = false;
        if (text.front() == '&') {
            for (const auto& [entity, c] : kEntities) {
                if (text.starts_with(entity)) {
                    out += c;
                    text.remove_prefix(entity.size());
                    replaced = true;
                    break;
                }
            }
            std::size_t semicolon = text.find(';');
            if (!replaced && text.starts_with("&#") && semicolon != std::string_view::npos &&
                semicolon <= 5) {
                std::optional<int64_t> code = WholeDecimal(text.substr(2, semicolon - 2));
                if (code && *code >= 0 && *code < 0x80) {
                    out += static_cast<char>(*code);
                    text.remove_prefix(semicolon + 1);
                    replaced = true;
                }
            }
        }
        if (!replaced) {
            out += text.front();
            text.remove_prefix(1);
        }
    }
    return out;
}

std::string ProfileVariableLine(std::string_view name, std::string_view value) {
    std::string line;
    line.append("<Variable Name=\"").append(name).append("\" Value=\"");
    line.append(EscapeProfileValue(value)).append("\"/>");
    return line;
}

std::optional<TProfileVariable> ParseProfileVariable(std::string_view line) {
    std::size_t at = line.find(kVariableStart);
    if (at == std::string_view::npos) {
        return std::nullopt;
    }
    TProfileVariable variable;
    if (std::optional<std::string_view> name = QuotedAfter(line, kNameStart, at)) {
        variable.name = *name;
    }
    if (std::optional<std::string_view> value = QuotedAfter(line, kValueStart, at)) {
        variable.value = UnescapeProfileValue(*value);
    }
    return variable;
}

int64_t ProfileInteger(std::string_view value, int64_t minimum, int64_t maximum) {
    std::optional<int64_t> number = WholeDecimal(value);
    return number && *number >= minimum && *number <= maximum ? *number : 0;
}

int32_t ProfileInteger32(std::string_view value) {
    return static_cast<int32_t>(ProfileInteger(value, INT32_MIN, INT32_MAX));
}

std::string JoinProfileNames(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names) {
        if (!text.empty()) {
            text += ',';
        }
        if (name.find_first_of(",\"") == std::string::npos) {
            text += name;
            continue;
        }
        text += '"';
        for (char c : name) {
            text += c;
            if (c == '"') {
                text += '"';
            }
        }
        text += '"';
    }
    return text;
}

std::vector<std::string> SplitProfileNames(std::string_view text) {
    std::vector<std::string> names;
    std::string name;
    bool quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (quoted && c == '"') {
            if (i + 1 < text.size() && text[i + 1] == '"') {
                name += '"';
                ++i;
            } else {
                quoted = false;
            }
        } else if (!quoted && c == '"') {
            quoted = true;
        } else if (!quoted && c == ',') {
            if (!name.empty()) {
                names.push_back(std::move(name));
            }
            name.clear();
        } else {
            name += c;
        }
    }
    if (!name.empty()) {
        names.push_back(std::move(name));
    }
    return names;
}

std::string ProfileDateText(int32_t days) {
    TCivilDate date = CivilFromDaysSince1880(days);
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", date.year, date.month, date.day);
    return text;
}

int32_t ProfileDate(std::string_view text) {
    if (text.size() != 10 || text[4] != '-' || text[7] != '-') {
        return 0;
    }
    std::optional<int64_t> year = WholeDecimal(text.substr(0, 4));
    std::optional<int64_t> month = WholeDecimal(text.substr(5, 2));
    std::optional<int64_t> day = WholeDecimal(text.substr(8, 2));
    if (!year || !month || !day) {
        return 0;
    }
    TCivilDate date{static_cast<int>(*year), static_cast<int>(*month), static_cast<int>(*day)};
    return IsValidCivilDate(date) ? DaysSince1880(date) : 0;
}

} // namespace klt
