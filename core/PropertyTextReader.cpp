#include "core/PropertyText.h"

#include <algorithm>
#include <charconv>
#include <map>

#include "core/Exceptions.h"

namespace klt {
namespace {

struct TParsedValue {
    enum class TKind { Word, Integer, Number, Text, List, Set };

    TKind kind = TKind::Word;
    std::string text;               // Word, Text
    int64_t integer = 0;            // Integer
    double number = 0.0;            // Integer, Number
    std::vector<std::string> items; // List: texts, Set: words
    int line = 0;
    bool used = false;
};

[[noreturn]] void Fail(int line, const std::string& problem) {
    throw EConvertError("Line " + std::to_string(line) + ": " + problem);
}

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
            Fail(line_, "the text does not start with \"object\"");
        }
        Word(); // the object's name is of no interest
        Expect(':');
        if (Word() != className) {
            Fail(line_, "the object is no " + std::string(className));
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
                Fail(line, name + " is given twice");
            }
        }
        SkipBlanks();
        if (pos_ != text_.size()) {
            Fail(line_, "text after \"end\"");
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
            Fail(line_, std::string("\"") + c + "\" expected");
        }
        ++pos_;
    }

    std::string Word() {
        SkipBlanks();
        if (!IsWordStart(Peek())) {
            Fail(line_, "a name expected");
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
                Fail(line_, "a name expected after \".\"");
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
                Fail(line_, "a digit expected");
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
            Fail(line_, "number out of range");
        }
        value.kind = TParsedValue::TKind::Number;
        if (whole) {
            if (std::from_chars(first, last, value.integer).ec != std::errc{}) {
                Fail(line_, "number out of range");
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
                        Fail(line_, "text without closing quote");
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
                    Fail(line_, "bad character code");
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
                Fail(line_, "a quoted text or \")\" expected");
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

// Hands the parsed values to the object's setters, checking each against its property.
class TPropertyApplier : public TPropertyVisitor {
public:
    explicit TPropertyApplier(std::map<std::string, TParsedValue>& values) : values_(values) {}

    void Boolean(std::string_view name, bool, const TSetter<bool>& set) override {
        if (const TParsedValue* value = Find(name)) {
            const bool isTrue = Is(*value, TParsedValue::TKind::Word) && value->text == "True";
            if (!isTrue && !(Is(*value, TParsedValue::TKind::Word) && value->text == "False")) {
                Wrong(name, *value, "True or False");
            }
            set(isTrue);
        }
    }
    void Integer(std::string_view name, int64_t, int64_t minimum, int64_t maximum,
                 const TSetter<int64_t>& set) override {
        if (const TParsedValue* value = Find(name)) {
            if (!Is(*value, TParsedValue::TKind::Integer) || value->integer < minimum ||
                value->integer > maximum) {
                Wrong(name, *value,
                      "a whole number from " + std::to_string(minimum) + " to " + std::to_string(maximum));
            }
            set(value->integer);
        }
    }
    void Number(std::string_view name, double, const TSetter<double>& set) override {
        if (const TParsedValue* value = Find(name)) {
            if (!Is(*value, TParsedValue::TKind::Integer) && !Is(*value, TParsedValue::TKind::Number)) {
                Wrong(name, *value, "a number");
            }
            set(value->number);
        }
    }
    void Enumeration(std::string_view name, int, TValueNames names, const TSetter<int>& set) override {
        if (const TParsedValue* value = Find(name)) {
            const auto found = std::find(names.begin(), names.end(), value->text);
            if (!Is(*value, TParsedValue::TKind::Word) || found == names.end()) {
                Wrong(name, *value, "one of its value names");
            }
            set(static_cast<int>(found - names.begin()));
        }
    }
    void Flags(std::string_view name, uint32_t, TValueNames names, const TSetter<uint32_t>& set) override {
        if (const TParsedValue* value = Find(name)) {
            if (!Is(*value, TParsedValue::TKind::Set)) {
                Wrong(name, *value, "a set [...]");
            }
            uint32_t bits = 0;
            for (const std::string& member : value->items) {
                const auto found = std::find(names.begin(), names.end(), member);
                if (found == names.end() || found - names.begin() >= 32) {
                    Wrong(name, *value, "known set members");
                }
                bits |= 1u << (found - names.begin());
            }
            set(bits);
        }
    }
    void Text(std::string_view name, const std::string&, const TSetter<std::string>& set) override {
        if (const TParsedValue* value = Find(name)) {
            if (!Is(*value, TParsedValue::TKind::Text)) {
                Wrong(name, *value, "a quoted text");
            }
            set(value->text);
        }
    }
    void TextList(std::string_view name, const std::vector<std::string>&,
                  const TSetter<std::vector<std::string>>& set) override {
        if (const TParsedValue* value = Find(name)) {
            if (!Is(*value, TParsedValue::TKind::List)) {
                Wrong(name, *value, "a list (...)");
            }
            set(value->items);
        }
    }
    void Object(std::string_view name, const TNestedProperties& visitNested) override {
        const size_t prefixLength = prefix_.size();
        prefix_.append(name).append(".");
        visitNested(*this);
        prefix_.resize(prefixLength);
    }

private:
    static bool Is(const TParsedValue& value, TParsedValue::TKind kind) { return value.kind == kind; }

    TParsedValue* Find(std::string_view name) {
        const auto it = values_.find(prefix_ + std::string(name));
        if (it == values_.end()) {
            return nullptr;
        }
        it->second.used = true;
        return &it->second;
    }

    [[noreturn]] void Wrong(std::string_view name, const TParsedValue& value,
                            const std::string& expected) const {
        Fail(value.line, prefix_ + std::string(name) + " must be " + expected);
    }

    std::map<std::string, TParsedValue>& values_;
    std::string prefix_;
};

} // namespace

void ReadPropertyText(std::string_view text, TPersistent& object, std::string_view className) {
    std::map<std::string, TParsedValue> values = TPropertyTextParser(text).Parse(className);
    TPropertyApplier applier(values);
    object.VisitProperties(applier);
    const auto unknown = std::min_element(values.begin(), values.end(), [](const auto& a, const auto& b) {
        return !a.second.used && (b.second.used || a.second.line < b.second.line);
    });
    if (unknown != values.end() && !unknown->second.used) {
        Fail(unknown->second.line, "unknown property " + unknown->first);
    }
}

} // namespace klt
