#include "cli/Json.h"

#include <cmath>
#include <cstdio>

namespace klt::cli {

std::string JsonEscape(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 2);
    out += '"';
    for (char c : text) {
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                char buffer[8];
                std::snprintf(buffer, sizeof buffer, "\\u%04x", static_cast<unsigned>(c));
                out += buffer;
            } else {
                out += c;
            }
        }
    }
    out += '"';
    return out;
}

void TJsonWriter::Separate() {
    if (afterKey_) {
        afterKey_ = false;
        return;
    }
    if (!first_.empty()) {
        if (!first_.back()) {
            out_ += ',';
        }
        first_.back() = false;
    }
}

TJsonWriter& TJsonWriter::Value(double number) {
    Separate();
    if (!std::isfinite(number)) {
        out_ += "null";
        return *this;
    }
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.17g", number);
    out_ += buffer;
    return *this;
}

TJsonWriter& TJsonWriter::BeginObject() {
    Separate();
    out_ += '{';
    first_.push_back(true);
    return *this;
}

TJsonWriter& TJsonWriter::EndObject() {
    out_ += '}';
    first_.pop_back();
    return *this;
}

TJsonWriter& TJsonWriter::BeginArray() {
    Separate();
    out_ += '[';
    first_.push_back(true);
    return *this;
}

TJsonWriter& TJsonWriter::EndArray() {
    out_ += ']';
    first_.pop_back();
    return *this;
}

TJsonWriter& TJsonWriter::Key(std::string_view key) {
    Separate();
    out_ += JsonEscape(key);
    out_ += ':';
    afterKey_ = true;
    return *this;
}

TJsonWriter& TJsonWriter::Value(std::string_view text) {
    Separate();
    out_ += JsonEscape(text);
    return *this;
}

TJsonWriter& TJsonWriter::Number(int64_t number) {
    Separate();
    out_ += std::to_string(number);
    return *this;
}

TJsonWriter& TJsonWriter::Value(bool flag) {
    Separate();
    out_ += flag ? "true" : "false";
    return *this;
}

} // namespace klt::cli
