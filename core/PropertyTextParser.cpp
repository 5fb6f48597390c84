#include "core/PropertyTextParser.h"

#include <charconv>

#include "core/Exceptions.h"

namespace klt {
namespace {

bool IsWordStart(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}
bool IsWordChar(char c) {
    return IsWordStart(c) || (c >= '0' && c <= '9');
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

void AppendUtf8(std::string& out, uint32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// Splits the text into its header and its "name = value" assignments.
class TPropertyTextParser {
public:
    explicit TPropertyTextParser(std::string_view text) : text_(text) {}

    std::map<std::string, TParsedValue> Parse(std::string_view className) {
        if (Word() != "object") {
            PropertyTextError(line_, "the text does not start with \"object\"");
        }
        Word(); // the object's name is of no interest
        Expect(':');
        if (Word() != className) {
            PropertyTextError(line_, "the object is no " + std::string(className));
        }
        std::map<std::string, TParsedValue> values;
        for (;;) {
            const std::string name = Name();
            if (name == "end") {
                break;
            }
            const int line = line_;
            Expect('=');
            TParsedValue value = Value();
            value.line = line;
            if (!values.emplace(name, std::move(value)).second) {
                PropertyTextError(line, name + " is given twice");
            }
        }
        SkipBlanks();
        if (pos_ != text_.size()) {
            PropertyTextError(line_, "text after \"end\"");
        }
        return values;
    }

private:
    bool AtEnd() const { return pos_ == text_.size(); }
    char Peek() const { return AtEnd() ? '\0' : text_[pos_]; }

    void SkipBlanks() {
        while (!AtEnd() && (Peek() == ' ' || Peek() == '\t' || Peek() == '\r' || Peek() == '\n')) {
            line_ += Peek() == '\n' ? 1 : 0;
            ++pos_;
        }
    }

    void Expect(char c) {
        SkipBlanks();
        if (Peek() != c) {
            PropertyTextError(line_, std::string("\"") + c + "\" expected");
        }
        ++pos_;
    }

    std::string Word() {
        SkipBlanks();
        if (!IsWordStart(Peek())) {
            PropertyTextError(line_, "a name expected");
        }
        const size_t start = pos_;
        while (IsWordChar(Peek())) {
            ++pos_;
        }
        return std::string(text_.substr(start, pos_ - start));
    }

    // A dotted property path such as "SystemData.VeltrakComPort.Name".
    std::string Name() {
        std::string name = Word();
        while (Peek() == '.') {
            ++pos_;
            if (!IsWordStart(Peek())) {
                PropertyTextError(line_, "a name expected after \".\"");
            }
            name += '.' + Word();
        }
        return name;
    }

    TParsedValue Value() {
        SkipBlanks();
        TParsedValue value;
        const char c = Peek();
        if (c == '\'' || c == '#') {
            value.kind = TParsedValue::TKind::Text;
            value.text = QuotedText();
        } else if (c == '-' || IsDigit(c)) {
            NumberValue(value);
        } else if (c == '(') {
            value.kind = TParsedValue::TKind::List;
            value.items = List();
        } else if (c == '[') {
            value.kind = TParsedValue::TKind::Set;
            value.items = Set();
        } else {
            value.kind = TParsedValue::TKind::Word;
            value.text = Word();
        }
        return value;
    }

    void NumberValue(TParsedValue& value) {
        const size_t start = pos_;
        auto digits = [this] {
            if (!IsDigit(Peek())) {
                PropertyTextError(line_, "a digit expected");
            }
            while (IsDigit(Peek())) {
                ++pos_;
            }
        };
        pos_ += Peek() == '-' ? 1 : 0;
        digits();
        bool whole = true;
        if (Peek() == '.') {
            ++pos_;
            digits();
            whole = false;
        }
        if (Peek() == 'e' || Peek() == 'E') {
            ++pos_;
            pos_ += Peek() == '+' || Peek() == '-' ? 1 : 0;
            digits();
            whole = false;
        }
        const char* first = text_.data() + start;
        const char* last = text_.data() + pos_;
        if (std::from_chars(first, last, value.number).ec != std::errc{}) {
            PropertyTextError(line_, "number out of range");
        }
        value.kind = TParsedValue::TKind::Number;
        if (whole) {
            if (std::from_chars(first, last, value.integer).ec != std::errc{}) {
                PropertyTextError(line_, "number out of range");
            }
            value.kind = TParsedValue::TKind::Integer;
        }
    }

    // Quoted pieces and #<code> characters, written without blanks between them.
    std::string QuotedText() {
        std::string text;
        for (;;) {
            if (Peek() == '\'') {
                ++pos_;
                for (;;) {
                    if (AtEnd() || Peek() == '\n' || Peek() == '\r') {
                        PropertyTextError(line_, "text without closing quote");
                    }
                    const char c = text_[pos_++];
                    if (c == '\'') {
                        if (Peek() != '\'') {
                            break;
                        }
                        ++pos_;
                    }
                    text += c;
                }
            } else if (Peek() == '#') {
                ++pos_;
                const size_t start = pos_;
                while (IsDigit(Peek())) {
                    ++pos_;
                }
                uint32_t code = 0;
                const auto result = std::from_chars(text_.data() + start, text_.data() + pos_, code);
                if (result.ec != std::errc{} || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
                    PropertyTextError(line_, "bad character code");
                }
                AppendUtf8(text, code);
            } else {
                return text;
            }
        }
    }

    std::vector<std::string> List() {
        ++pos_; // (
        std::vector<std::string> items;
        for (SkipBlanks(); Peek() != ')'; SkipBlanks()) {
            if (Peek() != '\'' && Peek() != '#') {
                PropertyTextError(line_, "a quoted text or \")\" expected");
            }
            items.push_back(QuotedText());
        }
        ++pos_;
        return items;
    }

    std::vector<std::string> Set() {
        ++pos_; // [
        std::vector<std::string> members;
        SkipBlanks();
        if (Peek() == ']') {
            ++pos_;
            return members;
        }
        for (;;) {
            members.push_back(Word());
            SkipBlanks();
            if (Peek() == ']') {
                ++pos_;
                return members;
            }
            Expect(',');
        }
    }

    std::string_view text_;
    size_t pos_ = 0;
    int line_ = 1;
};

} // namespace

std::map<std::string, TParsedValue> ParsePropertyText(std::string_view text, std::string_view className) {
    return TPropertyTextParser(text).Parse(className);
}

void PropertyTextError(int line, const std::string& problem) {
    throw EConvertError("Line " + std::to_string(line) + ": " + problem);
}

} // namespace klt
