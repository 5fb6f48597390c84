#include "core/PropertyText.h"

#include <algorithm>

#include "core/PropertyTextParser.h"

namespace klt {
namespace {

// Hands the parsed values to the object's setters, checking each against its property.
class TPropertyApplier : public TDottedNameVisitor {
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

private:
    static bool Is(const TParsedValue& value, TParsedValue::TKind kind) { return value.kind == kind; }

    TParsedValue* Find(std::string_view name) {
        const auto it = values_.find(DottedName(name));
        if (it == values_.end()) {
            return nullptr;
        }
        it->second.used = true;
        return &it->second;
    }

    [[noreturn]] void Wrong(std::string_view name, const TParsedValue& value,
                            const std::string& expected) const {
        PropertyTextError(value.line, DottedName(name) + " must be " + expected);
    }

    std::map<std::string, TParsedValue>& values_;
};

} // namespace

void ReadPropertyText(std::string_view text, TPersistent& object, std::string_view className) {
    std::map<std::string, TParsedValue> values = ParsePropertyText(text, className);
    TPropertyApplier applier(values);
    object.VisitProperties(applier);
    const auto unknown = std::min_element(values.begin(), values.end(), [](const auto& a, const auto& b) {
        return !a.second.used && (b.second.used || a.second.line < b.second.line);
    });
    if (unknown != values.end() && !unknown->second.used) {
        PropertyTextError(unknown->second.line, "unknown property " + unknown->first);
    }
}

} // namespace klt
