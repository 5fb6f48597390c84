#pragma once
// The syntax of the property text form (see PropertyText.h): the header, "name = value" lines and
// their values, before anything is known about the object they belong to.
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "core/Persistent.h"

namespace klt {

// A visitor that knows the dotted name of the property it is at: nested objects add their name
// and a "." in front of their properties' names.
class TDottedNameVisitor : public TPropertyVisitor {
public:
    void Object(std::string_view name, const TNestedProperties& visitNested) override {
        const size_t prefixLength = prefix_.size();
        prefix_.append(name).append(".");
        visitNested(*this);
        prefix_.resize(prefixLength);
    }

protected:
    std::string DottedName(std::string_view name) const { return prefix_ + std::string(name); }
    const std::string& Prefix() const { return prefix_; }

private:
    std::string prefix_;
};

struct TParsedValue {
    enum class TKind { Word, Integer, Number, Text, List, Set };

    TKind kind = TKind::Word;
    std::string text;               // Word, Text
    int64_t integer = 0;            // Integer
    double number = 0.0;            // Integer, Number
    std::vector<std::string> items; // List: texts, Set: words
    int line = 0;
    bool used = false; // taken by a property
};

// The values by dotted property name. EConvertError naming the line for a text that is not of
// this form or not of className, and for a property given twice.
std::map<std::string, TParsedValue> ParsePropertyText(std::string_view text, std::string_view className);

// Throws EConvertError "Line <line>: <problem>".
[[noreturn]] void PropertyTextError(int line, const std::string& problem);

} // namespace klt
