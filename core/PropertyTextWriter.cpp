#include "core/PropertyText.h"
#include "core/PropertyTextParser.h"

#include <charconv>
#include <cmath>

#include "core/Exceptions.h"

namespace klt {
namespace {

bool IsControlChar(char c) {
    return static_cast<unsigned char>(c) < 0x20 || c == '\x7F';
}

std::string QuotedText(std::string_view text) {
    std::string quoted;
    bool open = false;
    for (char c : text) {
        if (IsControlChar(c)) {
            if (open) {
                quoted += '\'';
                open = false;
            }
            quoted += '#' + std::to_string(static_cast<unsigned char>(c));
            continue;
        }
        if (!open) {
            quoted += '\'';
            open = true;
        }
        quoted += c;
        if (c == '\'') {
            quoted += '\'';
        }
    }
    if (quoted.empty()) {
        return "''";
    }
    return open ? quoted + '\'' : quoted;
}

class TPropertyWriter : public TDottedNameVisitor {
public:
    std::string text;

    void Boolean(std::string_view name, bool value, const TSetter<bool>&) override {
        Line(name, value ? "True" : "False");
    }
    void Integer(std::string_view name, int64_t value, int64_t, int64_t, const TSetter<int64_t>&) override {
        Line(name, std::to_string(value));
    }
    void Number(std::string_view name, double value, const TSetter<double>&) override {
        if (!std::isfinite(value)) {
            throw EConvertError(std::string(name) + " is not a finite number");
        }
        char buffer[32];
        const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
        Line(name, std::string_view(buffer, static_cast<size_t>(result.ptr - buffer)));
    }
    void Enumeration(std::string_view name, int value, TValueNames names, const TSetter<int>&) override {
        if (value < 0 || static_cast<size_t>(value) >= names.size()) {
            throw EConvertError(std::string(name) + " has no value " + std::to_string(value));
        }
        Line(name, names[static_cast<size_t>(value)]);
    }
    void Flags(std::string_view name, uint32_t value, TValueNames names, const TSetter<uint32_t>&) override {
        std::string members;
        for (size_t bit = 0; bit < names.size() && bit < 32; ++bit) {
            if (value & (1u << bit)) {
                members += (members.empty() ? "" : ", ") + std::string(names[bit]);
                value &= ~(1u << bit);
            }
        }
        if (value != 0) {
            throw EConvertError(std::string(name) + " holds members without a name");
        }
        Line(name, "[" + members + "]");
    }
    void Text(std::string_view name, const std::string& value, const TSetter<std::string>&) override {
        Line(name, QuotedText(value));
    }
    void TextList(std::string_view name, const std::vector<std::string>& value,
                  const TSetter<std::vector<std::string>>&) override {
        std::string list = "(";
        for (const std::string& item : value) {
            list += "\n    " + QuotedText(item);
        }
        Line(name, list + ")");
    }

private:
    void Line(std::string_view name, std::string_view value) {
        text.append("  ").append(Prefix()).append(name).append(" = ").append(value).append("\n");
    }

};

} // namespace

std::string WritePropertyText(TPersistent& object, std::string_view objectName, std::string_view className) {
    TPropertyWriter writer;
    object.VisitProperties(writer);
    return "object " + std::string(objectName) + ": " + std::string(className) + "\n" + writer.text + "end\n";
}

} // namespace klt
